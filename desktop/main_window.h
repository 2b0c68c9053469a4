// The main window of the desktop front end: one 140 by 140 picture that takes
// drops of files and opens the properties on a right click. It holds the live
// settings and the log window for the whole run.
#ifndef QUILLON_DESKTOP_MAIN_WINDOW_H
#define QUILLON_DESKTOP_MAIN_WINDOW_H

#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include "core/records.h"

class LogWindow;
class MainWindow;

// The main window as the shared window sequences see it.
struct WindowSite {
    MainWindow* window;
};

class MainWindow : public QWidget {
  public:
    // Loads the settings (or applies and saves the defaults) and creates the
    // log window, hidden unless the settings show it, holding "READY.".
    explicit MainWindow(QWidget* parent = nullptr);

    Settings* LiveSettings() {
        return &live_;
    }
    LogWindow* Log() const {
        return log_;
    }
    // Paints the picture for the live busy field at once, not at the next
    // turn of the event loop, which does not run during a drop.
    void DrawStateImage();

    // Shows, in one warning that does not block, what the core reported
    // since the last call (a journal that could not be kept, and the like).
    void ShowNotices();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    static void Notice(void* context, const char* text);

    Settings live_ = {0, 0, 0, 0};
    QStringList notices_;
    LogWindow* log_;
    QPixmap idle_;
    QPixmap busy_;
};

#endif
