// The log window: the lines of the last drop (or undo) in a table the user
// can resize, select and copy, with each renamed file's new name and each
// refused file's reason beside its line, and below them the progress or the
// totals. Closing it only hides it; hidden, it keeps its lines.
#ifndef QUILLON_DESKTOP_LOG_WINDOW_H
#define QUILLON_DESKTOP_LOG_WINDOW_H

#include <QStringList>
#include <QWidget>

#include <vector>

#include "log_row.h"

class LogModel;
class QLabel;
class QTreeView;

class LogWindow : public QWidget {
  public:
    // A top-level window that goes with `owner`, created hidden.
    explicit LogWindow(QWidget* owner);

    void Clear();
    // `line` is UTF-8; it is shown as given.
    void AddLine(const char* line);
    void AddRows(std::vector<LogRow> rows);
    void AddReady();
    void AddConfiguration();
    // The line under the table: a batch's progress or totals.
    void SetStatus(const QString& text);

    QStringList Lines() const;
    QTreeView* View() const {
        return view_;
    }
    LogModel* Model() const {
        return lines_;
    }
    QString Status() const;
    // The selected rows' lines, one per line of text, as the command line
    // prints them; put on the clipboard by Copy.
    QString SelectedLines() const;

    // A size for a first showing that leaves room on `available` (the
    // screen's area without panels) for the main window beside it.
    static QSize DefaultSize(const QRect& available);

  private:
    void CopySelection();

    LogModel* lines_;
    QTreeView* view_;
    QLabel* status_;
};

#endif
