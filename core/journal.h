// The undo journal of the Linux front ends: each batch that renamed a file
// leaves one file under $XDG_STATE_HOME/Ombrix/Quillon (~/.local/state/...)
// that lists every rename with what identifies the file, so that an undo can
// put back exactly the files it describes and nothing else. The Windows
// program keeps no file of its own and builds none of this.
//
// A rename is journaled before it happens: its record goes into a shared
// mapping of the batch's file, which the kernel keeps whatever becomes of the
// process, and its outcome is noted after it. Batches are numbered in the
// order they start, from a counter kept under a lock in the folder, and each
// is locked by the run that writes it, then by the undo that reads it.
#ifndef QUILLON_CORE_JOURNAL_H
#define QUILLON_CORE_JOURNAL_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "drop_batch.h"
#include "file_io.h"
#include "records.h"

// How many batches are kept; older ones are dropped when a new one ends,
// unless one is still being written or an undo left files of it to put back.
enum { JOURNAL_BATCHES_KEPT = 20 };

// The state byte that opens each record line: what became of the rename.
enum : char {
    RECORD_INTENDED = '?',  // written before the rename; the disk tells whether it happened
    RECORD_RENAMED = '+',
    RECORD_FAILED = 'x',   // the rename did not happen
    RECORD_BACK = 'B',     // an undo put the file back (or found it back)
    RECORD_SETTLED = 'S',  // changed or replaced since: no longer the file renamed
};

// The journal folder, opened once it was found to be the user's alone.
struct JournalFolder {
    std::string path;
    int fd = -1;
};

// The journal of one batch as it is being written.
struct JournalWriter {
    JournalFolder folder;
    int lock = -1;  // the folder's counter, locked while a number is taken
    int fd = -1;    // the batch's file, locked until the batch ends
    // The batch's number, 0 until its first record: the number the undo of
    // exactly this batch asks for (RunUndoBatch).
    uint64_t sequence = 0;
    char* map = nullptr;
    size_t mapped = 0;  // bytes mapped, the file's length while it is written
    size_t used = 0;
    bool failed = false;  // said once, then nothing more is journaled
    unsigned records = 0;
    unsigned folders = 0;
    std::string cwd;         // asked for once, when a relative path is first journaled
    std::string givenDir;    // the folder part of the last path, as given
    std::string folderLine;  // the absolute form of givenDir, as journaled
};

// Starts the journal of a batch; nothing is written until the first record.
void JournalBegin(JournalWriter* journal);
// Writes the record of the rename of `from` to `to` (names in one folder)
// before it happens; `identity` is the file's as it was opened. Returns the
// record's handle for JournalOutcome, or 0 when nothing was journaled: the
// journal failed earlier or now (said once), and the rename may go on.
size_t JournalIntent(JournalWriter* journal, const char* from, const char* to, const FileIdentity& identity);
// Notes whether the rename of the record `handle` happened.
void JournalOutcome(JournalWriter* journal, size_t handle, bool renamed);
// Ends the batch: the end line, the file cut to its length and synced,
// unlocked, and batches beyond the newest JOURNAL_BATCHES_KEPT dropped.
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
// RunDropBatch returns; files->journal.sequence is the batch's number after
// (0 when it renamed nothing or could not be journaled).
unsigned RunJournaledDrop(DropSite* site, Settings* live, JournaledFiles* files);

// One rename as the journal gives it back.
struct JournalRecord {
    std::string folder;  // absolute, without . or .. parts
    std::string from;    // names in the folder
    std::string to;
    FileIdentity identity;  // device left 0: a remounted disk may get another
    char state;
    uint64_t offset;  // of the state byte in the file
};

// A batch read back from its file.
struct JournalBatch {
    uint64_t sequence = 0;
    int fd = -1;                         // open and locked while an undo holds it
    int64_t started = 0;                 // seconds since 1970, for the list alone
    char state = '.';                    // '.', or 'p' (an undo left files to put back), 'u' (nothing left)
    std::vector<JournalRecord> records;  // in the order the renames happened
    // Lines that could not be read (edited by hand, torn), records the end
    // line counts that were not found, and whether the end line is there.
    unsigned skipped = 0;
    unsigned missing = 0;
    bool ended = false;
    bool busy = false;  // a run is writing it
};

// The folder the journal lives in.
std::string JournalFolderPath();

// Opens the journal folder (made first when `create`). Returns 1 when it is
// open; 0 when it does not exist; -1 when it cannot be opened or is not the
// user's alone, with the reason in `why`.
int OpenJournalFolder(JournalFolder* folder, bool create, std::string* why);
void CloseJournalFolder(JournalFolder* folder);

// The numbers of the batches in the folder, oldest first.
// With `earlier`, also how many journals of an earlier quillon (NAME.batch,
// never undone) the folder holds, which this one does not read.
std::vector<uint64_t> JournalSequences(const JournalFolder& folder, unsigned* earlier = nullptr);

// What JournalReadBatch found.
enum { BATCH_READ = 1, BATCH_ABSENT = 0, BATCH_REFUSED = -1 };

// Reads batch `sequence`. With `take`, the batch is opened for writing and
// locked for an undo (waiting for another undo, never for a run: a batch a
// run is still writing comes back busy and unlocked); JournalRelease lets it
// go. A journal that is not the user's alone is refused, the reason in `why`.
int JournalReadBatch(const JournalFolder& folder, uint64_t sequence, bool take, JournalBatch* batch, std::string* why);
// Sets the state of record `index` of a taken batch, and of the batch.
int JournalMarkRecord(JournalBatch* batch, size_t index, char state);
int JournalMarkBatch(JournalBatch* batch, char state);
// Syncs and unlocks a taken batch.
void JournalRelease(JournalBatch* batch);

#endif
