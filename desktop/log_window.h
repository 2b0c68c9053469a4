// The log window: one list of lines, in arrival order, that the user can read
// and scroll but not select, close or resize. Hidden, it keeps its lines.
#ifndef QUILLON_DESKTOP_LOG_WINDOW_H
#define QUILLON_DESKTOP_LOG_WINDOW_H

#include <QStringList>
#include <QWidget>

class LogLines;
class QListView;

class LogWindow : public QWidget {
  public:
    // A top-level window that goes with `owner`, created hidden.
    explicit LogWindow(QWidget* owner);

    void Clear();
    // `line` is UTF-8; it is shown as given.
    void AddLine(const char* line);
    void AddReady();
    void AddConfiguration();

    QStringList Lines() const;
    QListView* View() const {
        return view_;
    }

  protected:
    // Nothing the user does closes the log; only its owner takes it away.
    void closeEvent(QCloseEvent* event) override;

  private:
    LogLines* lines_;
    QListView* view_;
};

#endif
