// The main window of the desktop front end: the 140 by 140 picture that takes
// drops of files, a line under it with the batch's progress or totals, and
// the menu. It holds the live settings and the log window for the whole run;
// drops and undos run on a thread of their own.
#ifndef QUILLON_DESKTOP_MAIN_WINDOW_H
#define QUILLON_DESKTOP_MAIN_WINDOW_H

#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <stdint.h>

#include <memory>
#include <vector>

#include "batch_runner.h"
#include "core/diagnostics.h"
#include "core/records.h"

class LogWindow;
class MainWindow;
class PictureView;
class QLabel;
class WindowMenu;

// The main window as the shared window sequences see it.
struct WindowSite {
    MainWindow* window;
};

class MainWindow : public QWidget {
  public:
    // Loads the settings (or applies and saves the defaults) and creates the
    // log window, hidden unless the settings show it, holding "READY.".
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Settings* LiveSettings() {
        return &live_;
    }
    LogWindow* Log() const {
        return log_;
    }
    WindowMenu* Menu() const {
        return menu_.get();
    }
    PictureView* Picture() const {
        return picture_;
    }
    QString Status() const;
    // True while a drop or an undo runs.
    bool BatchRunning() const {
        return runner_.Running();
    }

    // Paints the picture for the live busy field at once.
    void DrawStateImage();
    // Shows or hides the log, beside this window when it first appears.
    void ShowLog(bool show);

    // Renames the files `urls` name, in order, on the batch's thread.
    void StartDrop(const QList<QUrl>& urls);
    // Puts back the files of the last drop not yet undone.
    void UndoLastDrop();
    // Runs `job` on the batch's thread, busy meanwhile, its lines into the
    // log as they come; then `totalsText` ("%1 ... %2") with its totals.
    void StartBatch(BatchRunner::Job job, const char* totalsText, bool undo = false);
    // Runs the properties sequence: the dialog, and the settings it saved.
    void OpenPropertiesDialog();
    void ShowAbout();

    // Shows, in one warning that does not block, what the core reported
    // since the last call (a journal that could not be kept, and the like).
    void ShowNotices();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    static void Notice(void* context, const char* text);
    void Deliver(LogFeed::Taken taken);
    void SetStatus(const QString& text);
    void SetBusy(bool busy);
    void OpenMenu(const QPoint& at);
    bool CloseNow();
    void PlaceLog();
    void RestorePlaces();
    void SavePlaces() const;

    Settings live_ = {0, 0, 0, 0};
    QStringList notices_;
    DiagnosticSink previousSink_;
    PictureView* picture_;
    QLabel* status_;
    LogWindow* log_;
    std::unique_ptr<WindowMenu> menu_;
    BatchRunner runner_;
    bool quitWhenDone_ = false;
    // The journal's numbers of this window's drops that renamed a file and
    // are not yet undone whole, the last one last.
    std::vector<uint64_t> drops_;
    bool logWanted_ = false;
    bool logPlaced_ = false;
    QRect savedLog_;
    QSize savedLogMargins_;  // its frame's, as last drawn
};

#endif
