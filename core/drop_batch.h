// The drop batch: one drop of files, each read, renamed and logged in turn.
// The batch is portable; the surroundings it works in (where the dropped paths
// come from, the pictures, the log, the message texts) are the operations
// below, which each front end supplies for its own DropSite.
#ifndef QUILLON_CORE_DROP_BATCH_H
#define QUILLON_CORE_DROP_BATCH_H

#include <stddef.h>

#include "outcome_messages.h"
#include "records.h"

enum { MESSAGE_BUFFER = 64, LINE_BUFFER = 512 };

// The length DropPath gives a path that the batch must refuse as it stands.
enum : unsigned { DROP_PATH_UNHELD = 0xFFFFFFFFu };

// Defined by the front end: the Windows shell's holds the window and the drop
// handle; the command line's holds the argument list.
struct DropSite;

// Number of dropped files.
unsigned DropCount(DropSite* site);
// Copies at most size - 1 bytes of the path of file `index` into `path`,
// NUL-terminated, and returns the path's whole length in bytes (so a size of 0
// only asks for the length). A path that the system text cannot hold as it was
// dropped (a name the code page lacks, a URL that names no local file) comes
// back shown as well as it can be, with DROP_PATH_UNHELD for its length: the
// batch then refuses it like a path too long, and touches nothing.
unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size);
// Reads the tags of the file at `path` into `info`, as ReadTags does. A dry
// run answers for the files as the batch has left them so far.
void DropReadTags(DropSite* site, const char* path, TagInfo& info);
// Renames `from` to `to` without replacing anything, as RenameNoReplace does;
// 1 on success. A dry run only notes the move.
int DropRename(DropSite* site, const char* from, const char* to);
// The drop's list is no longer needed.
void DropRelease(DropSite* site);
// Draws the picture for `settings.busy` at once.
void DropDrawState(DropSite* site, Settings settings);
void DropClearLog(DropSite* site);
void DropAddLine(DropSite* site, const char* line);
// Appends "READY." to the log.
void DropReady(DropSite* site);
// The log message of result code `code`, NUL-terminated in `text`
// (MESSAGE_BUFFER bytes).
void DropMessageText(DropSite* site, int code, char* text);

// What became of one dropped file beyond its log line.
struct DropOutcome {
    unsigned index;
    int code;    // RESULT_*
    int reason;  // DropReason (drop_reasons.h)
    int error;   // the system's error number behind REASON_OTHER and the like; 0 when none
    // The path the file was given (RESULT_OK) or would have been given; empty
    // when the batch did not get that far.
    char newPath[TEXT_BUFFER];
};
// Told just before the file's line is added. A front end that shows only the
// line does nothing here.
void DropReportOutcome(DropSite* site, const DropOutcome& outcome);

// Runs the whole drop: busy picture, empty log, one line per file in the
// drop's order (each told to DropReportOutcome first), release, idle picture,
// "READY.". `live` is the main window's settings record, whose busy field the
// batch sets and clears. A drop that arrives while it is already set (the
// properties dialog is open) is only released: no file, picture or log line
// is touched. Returns the number of files that were not renamed.
unsigned RunDropBatch(DropSite* site, Settings* live);

// What DropPath does with a path it holds whole: the `length` bytes of `text`
// into `path` (room for `size` bytes), cut to size - 1 bytes and
// NUL-terminated, and `length` returned.
unsigned CopyDropPath(const char* text, size_t length, char* path, unsigned size);

// One file of a drop, from its path to its log line: returns the result code
// and leaves "MESSAGE - PATH" in `line` (LINE_BUFFER bytes) and the rest of
// what became of the file in `outcome`. A path that does not fit TEXT_BUFFER is
// refused with RESULT_ACCESS_FAILED: cut short it could name another file.
int ProcessDroppedFile(DropSite* site, unsigned index, TagInfo& info, Settings settings, char* line,
                       DropOutcome* outcome);

#endif
