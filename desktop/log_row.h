// One line of quillon-gui's log and what it says beside it.
#ifndef QUILLON_DESKTOP_LOG_ROW_H
#define QUILLON_DESKTOP_LOG_ROW_H

#include <QString>

struct LogRow {
    QString line;     // "MESSAGE - PATH" (or "READY."), as the command line prints it
    QString newPath;  // a renamed file's new path, escaped as the line is; empty otherwise
    int reason = 0;   // DropReason of a file left as it was
    int error = 0;    // the system's error number behind the reason
};

#endif
