// The window's undo: the same undo, journal and lines as quillon --undo.
#ifndef QUILLON_DESKTOP_UNDO_BATCH_H
#define QUILLON_DESKTOP_UNDO_BATCH_H

#include "batch_runner.h"

class LogFeed;

// Puts the files of batch `batch` of the journal (the window's last drop) back
// under their old names, on the batch's thread: the log emptied, one line per
// file, "READY.". Returns how many went back and how many stayed as they
// were, and in `batch` the number if it is now back whole; when the journal
// has nothing to undo (which the diagnostics say), the log is left as it was
// and `ran` is false.
BatchTotals RunWindowUndo(LogFeed* feed, uint64_t batch);

#endif
