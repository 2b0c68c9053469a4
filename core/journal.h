// The undo journal of the Linux front ends: each batch that renamed a file
// leaves one file under $XDG_STATE_HOME/Ombrix/Quillon (~/.local/state/...)
// that lists every rename with what identifies the file, so that an undo can
// put back exactly the files it describes and nothing else. The Windows
// program keeps no file of its own and builds none of this.
#ifndef QUILLON_CORE_JOURNAL_H
#define QUILLON_CORE_JOURNAL_H

#include <string>
#include <vector>

#include "drop_batch.h"
#include "file_io.h"
#include "records.h"

// How many batches are kept; older ones are dropped when a new one is written.
enum { JOURNAL_BATCHES_KEPT = 20 };

// The journal of one batch as it is being written. Records are buffered and
// appended to the batch's own file when the buffer fills and when the batch
// ends, so the journal costs a few system calls per batch, not per file; a
// crash leaves the records written so far, and never touches an earlier batch.
struct JournalWriter {
    std::string folder;
    std::string path;  // empty until the first record
    std::string cwd;   // asked for once, when a relative path is first journaled
    int fd = -1;
    bool failed = false;  // said once on standard error, then records are dropped
    unsigned records = 0;
    std::string buffer;
};

// Starts the journal of a batch; nothing is written until the first record.
void JournalBegin(JournalWriter* journal);
// Notes that `from` now has the name `to`; `identity` is the file's as it was
// opened. A failure to journal never stops the batch: it is reported once.
void JournalRename(JournalWriter* journal, const char* from, const char* to, const FileIdentity& identity);
// Ends the batch: the last records and the end mark are written, the file is
// closed, and batches beyond the newest JOURNAL_BATCHES_KEPT are dropped.
void JournalEnd(JournalWriter* journal);

// The file side of a Linux front end's drop site: reads keep the identity of
// the file just read, and renames are journaled with it.
struct JournaledFiles {
    JournalWriter journal;
    FileIdentity last = {};
};
void JournaledReadTags(JournaledFiles* files, const char* path, TagInfo& info);
int JournaledRename(JournaledFiles* files, const char* from, const char* to);

// A drop with its renames journaled: the journal begun, RunDropBatch, the
// journal ended. The site's DropReadTags and DropRename go through
// JournaledReadTags and JournaledRename with the same `files`. Returns what
// RunDropBatch returns.
unsigned RunJournaledDrop(DropSite* site, Settings* live, JournaledFiles* files);

// One rename as the journal gives it back.
struct JournalRecord {
    std::string from;
    std::string to;
    FileIdentity identity;
};

// A batch read back from its file.
struct JournalBatch {
    std::string path;
    std::vector<JournalRecord> records;  // in the order the renames happened
    // Lines that could not be read (torn by a crash, edited by hand), and
    // whether the end mark was missing: the batch is then incomplete.
    unsigned skipped = 0;
    bool ended = false;
};

// The folder the journal lives in.
std::string JournalFolder();

// Reads the newest batch not yet undone into `batch`. Returns 1 when there is
// one, 0 when there is none (or the folder cannot be read).
int JournalNewestBatch(JournalBatch* batch);

// Marks the batch as undone, so that the next undo takes the one before it.
// Returns 1 on success.
int JournalMarkUndone(const JournalBatch& batch);

#endif
