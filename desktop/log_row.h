// One line of quillon-gui's log and what it says beside it.
#ifndef QUILLON_DESKTOP_LOG_ROW_H
#define QUILLON_DESKTOP_LOG_ROW_H

#include <QByteArray>

// The texts are UTF-8, turned into Qt's text only when a row is shown: a
// batch hands over thousands of rows, most of which are never painted.
struct LogRow {
    QByteArray line;     // "MESSAGE - PATH" (or "READY."), as the command line prints it
    QByteArray newPath;  // a renamed file's new path, escaped as the line is; empty otherwise
    int reason = 0;      // DropReason of a file left as it was
    int error = 0;       // the system's error number behind the reason
};

#endif
