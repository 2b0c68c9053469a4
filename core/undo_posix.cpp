// The undo. A file goes back only when the file at its new name is still the
// one renamed (same inode, size and modification time: the device may differ
// after the disk is mounted again) and its old name is free; it never
// replaces or deletes anything. Names are reached through their folder held
// open, so a folder path of any length works, and the file checked is the
// file moved: should another take its place between the check and the
// rename, that other file is moved back.
#include "undo.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <set>
#include <string>

#include "diagnostics.h"
#include "escape.h"
#include "file_io_posix.h"
#include "journal.h"
#include "name_plan.h"
#include "outcome_messages.h"
#include "texts.h"

namespace {

bool SameFile(const struct stat& st, const FileIdentity& id) {
    return static_cast<uint64_t>(st.st_ino) == id.inode && st.st_size == id.size &&
           st.st_mtim.tv_sec == id.modifiedSeconds && st.st_mtim.tv_nsec == id.modifiedNanoseconds;
}

bool ToPutBack(char state) {
    return state == RECORD_INTENDED || state == RECORD_RENAMED;
}

// A folder opened for the names in it, whatever the length of its path.
int OpenFolder(const std::string& path) {
    int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;
    fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (size_t start = 1; fd >= 0 && start < path.size();) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        int next = openat(fd, path.substr(start, slash - start).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        int reason = errno;
        close(fd);
        errno = reason;
        fd = next;
        start = slash + 1;
    }
    return fd;
}

// The folder of the records being put back, opened once for a run of them.
struct Place {
    std::string path;
    int fd = -1;
    int error = 0;
};

void Enter(Place* place, const std::string& path) {
    if (place->fd >= 0 && place->path == path) return;
    if (place->fd >= 0) close(place->fd);
    place->path = path;
    place->fd = OpenFolder(path);
    place->error = place->fd < 0 ? errno : 0;
}

// What an undo of one file came to.
struct Outcome {
    char state;       // the record's state after it
    std::string why;  // empty when the file is back
};

// What is at `name`: 0 and its stat, or the error; a dry run asks its plan
// of names.
int Look(const Place& place, const std::string& name, NamePlan* plan, struct stat* st) {
    if (plan == nullptr) return fstatat(place.fd, name.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
    std::string onDisk;
    if (!PlanHolds(*plan, place.path + "/" + name, &onDisk)) return ENOENT;
    return lstat(onDisk.c_str(), st) == 0 ? 0 : errno;
}

std::string Taken(const JournalRecord& record) {
    return std::string(Tr("its old name ")) + EscapeControls(record.folder + "/" + record.from) + Tr(" is taken");
}

// The move of the file checked (`held`), and then the file found under the
// old name compared with it: a rename goes by name, so only the inode after
// it tells whether the file moved was the file checked.
Outcome Move(const Place& place, const JournalRecord& record, const struct stat& held) {
    const char* to = record.to.c_str();
    const char* from = record.from.c_str();
    struct stat now;
    if (!MoveNoReplaceAt(place.fd, to, from)) return {record.state, errno == EEXIST ? Taken(record) : strerror(errno)};
    if (fstatat(place.fd, from, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == held.st_dev &&
        now.st_ino == held.st_ino) {
        return {RECORD_BACK, ""};
    }
    // Another file took the name between the check and the rename.
    return {record.state, MoveNoReplaceAt(place.fd, from, to)
                              ? Tr("another file took its place as it was put back, and was moved back")
                              : std::string(Tr("another file took its place as it was put back, and is now named ")) +
                                    EscapeControls(record.folder + "/" + record.from)};
}

Outcome PutBack(const Place& place, const JournalRecord& record, NamePlan* plan) {
    if (place.fd < 0) {
        return {record.state, std::string(Tr("its folder cannot be reached: ")) + strerror(place.error)};
    }
    struct stat st, old;
    int error = Look(place, record.to, plan, &st);
    Outcome outcome = {RECORD_BACK, ""};
    if (error != 0 || !SameFile(st, record.identity)) {
        // Back already: put back by an undo that stopped before it could say
        // so, or never renamed by a run that stopped just before the rename.
        if (Look(place, record.from, plan, &old) == 0 && SameFile(old, record.identity)) {
            outcome = {RECORD_BACK, ""};
        } else if (error != 0) {
            outcome = {record.state, error == ENOENT ? Tr("no file has this name any more") : strerror(error)};
        } else {
            outcome = {RECORD_SETTLED, Tr("the file was changed or replaced since")};
        }
    } else if (plan == nullptr) {
        outcome = Move(place, record, st);
    } else if (Look(place, record.from, plan, &old) == 0) {
        outcome = {record.state, Taken(record)};
    } else {
        PlanNoteMove(plan, place.path + "/" + record.to, place.path + "/" + record.from);
    }
    return outcome;
}

std::string Plural(unsigned count, const char* one, const char* many) {
    char text[160];
    snprintf(text, sizeof text, count == 1 ? one : many, count);
    return text;
}

// `newest`: the batch was taken as the newest with files to put back, which
// the next plain --undo takes again.
int UndoBatch(JournalBatch* batch, bool dryRun, bool newest, UndoOutput output) {
    if (!dryRun && !JournalMarkBatch(batch, 'p')) {
        Diagnose(Tr("cannot write to the undo journal of batch %llu: %s; nothing was changed"),
                 static_cast<unsigned long long>(batch->sequence), strerror(errno));
        JournalRelease(batch);
        return 1;
    }
    NamePlan plan;
    Place place;
    unsigned pending = 0, notBack = 0, unmarked = 0;
    if (output.files != nullptr) {
        unsigned count = 0;
        for (const JournalRecord& record : batch->records) count += ToPutBack(record.state) ? 1 : 0;
        output.files(output.context, count);
    }
    for (size_t i = batch->records.size(); i-- > 0;) {
        JournalRecord& record = batch->records[i];
        if (record.state == RECORD_SETTLED) ++notBack;
        if (!ToPutBack(record.state)) continue;
        Enter(&place, record.folder);
        Outcome outcome = PutBack(place, record, dryRun ? &plan : nullptr);
        std::string to = EscapeControls(record.folder + "/" + record.to);
        std::string line = outcome.why.empty() ? std::string(OutcomeMessageUtf8(RESULT_OK)) + " - " + to + " -> " +
                                                     EscapeControls(record.folder + "/" + record.from)
                                               : std::string(OutcomeMessageUtf8(RESULT_ACCESS_FAILED)) + " - " + to +
                                                     " (" + outcome.why + Tr("; left as it is") + ")";
        output.line(output.context, line.c_str());
        if (ToPutBack(outcome.state)) ++pending;
        if (outcome.state != RECORD_BACK) ++notBack;
        if (!dryRun && outcome.state != record.state && !JournalMarkRecord(batch, i, outcome.state)) ++unmarked;
    }
    if (place.fd >= 0) close(place.fd);
    output.line(output.context, "READY.");
    if (!dryRun) {
        if (!JournalMarkBatch(batch, pending > 0 ? 'p' : 'u')) ++unmarked;
        JournalRelease(batch);
    }
    if (unmarked > 0) {
        // The next undo finds the same files on the disk and counts them as back.
        Diagnose(Tr("could not note %u outcome(s) in the undo journal of batch %llu"), unmarked,
                 static_cast<unsigned long long>(batch->sequence));
    }
    if (pending > 0 && !dryRun) {
        char again[160];
        if (newest) {
            snprintf(again, sizeof again, "%s", Tr("; the next --undo tries again (--undo-list shows the batches)"));
        } else {
            snprintf(again, sizeof again, Tr("; --undo=%llu tries again, a plain --undo takes the newest batch first"),
                     static_cast<unsigned long long>(batch->sequence));
        }
        Diagnose("%s%s",
                 Plural(pending, Tr("%u file of this batch is still to put back"),
                        Tr("%u files of this batch are still to put back"))
                     .c_str(),
                 again);
    }
    bool complete = batch->skipped == 0 && batch->missing == 0;
    if (!complete) {
        Diagnose(Tr("the journal of batch %llu is incomplete (%u unreadable line(s), %u record(s) missing): files it "
                    "does not describe are left as they are"),
                 static_cast<unsigned long long>(batch->sequence), batch->skipped, batch->missing);
    }
    return notBack == 0 && complete ? 0 : 1;
}

// Opens the journal folder for an undo or the list; false (and said why)
// when there is none or it cannot be trusted.
bool Folder(JournalFolder* folder) {
    std::string why;
    int opened = OpenJournalFolder(folder, false, &why);
    if (opened < 0) {
        Diagnose(Tr("will not read the undo journal in %s: %s"), EscapeControls(folder->path).c_str(), why.c_str());
    } else if (opened == 0) {
        Diagnose(Tr("nothing to undo: no batch in %s"), EscapeControls(folder->path).c_str());
    }
    return opened > 0;
}

// Reads batch `sequence`; false (and said why) when it cannot be used.
bool Read(const JournalFolder& folder, uint64_t sequence, bool take, JournalBatch* batch, bool* absent) {
    std::string why;
    int read = JournalReadBatch(folder, sequence, take, batch, &why);
    *absent = read == BATCH_ABSENT;
    if (read == BATCH_REFUSED) {
        Diagnose(Tr("will not use the undo journal of batch %llu in %s: %s; nothing was changed"),
                 static_cast<unsigned long long>(sequence), EscapeControls(folder.path).c_str(), why.c_str());
    } else if (read == BATCH_READ && batch->busy) {
        Diagnose(Tr("batch %llu is still being written (by quillon or quillon-gui, still running); nothing was "
                    "changed"),
                 static_cast<unsigned long long>(sequence));
    }
    return read == BATCH_READ && !batch->busy;
}

bool HasToPutBack(const JournalBatch& batch) {
    for (const JournalRecord& record : batch.records) {
        if (ToPutBack(record.state)) return true;
    }
    return false;
}

}  // namespace

int RunUndo(bool dryRun, UndoOutput output) {
    JournalFolder folder;
    if (!Folder(&folder)) return 1;
    unsigned earlier = 0;
    std::vector<uint64_t> sequences = JournalSequences(folder, &earlier);
    for (size_t i = sequences.size(); i-- > 0;) {
        JournalBatch batch;
        bool absent = false;
        if (!Read(folder, sequences[i], !dryRun, &batch, &absent)) {
            if (absent) continue;  // dropped meanwhile
            CloseJournalFolder(&folder);
            return 1;
        }
        if (!HasToPutBack(batch)) {
            if (batch.records.empty() && batch.skipped > 0) {
                Diagnose(Tr("the journal of batch %llu cannot be read (%u unreadable line(s)); passed over"),
                         static_cast<unsigned long long>(batch.sequence), batch.skipped);
            }
            JournalRelease(&batch);
            continue;
        }
        int status = UndoBatch(&batch, dryRun, true, output);
        CloseJournalFolder(&folder);
        return status;
    }
    Diagnose(Tr("nothing to undo: no batch with files to put back in %s"), EscapeControls(folder.path).c_str());
    if (earlier > 0) {
        // Said rather than passed over in silence: the user's last run may be
        // one of them, and their lines still name each file's two names.
        Diagnose("%s", Plural(earlier, Tr("%u journal of an earlier quillon (NAME.batch) is there but not read"),
                              Tr("%u journals of an earlier quillon (NAME.batch) are there but not read"))
                           .c_str());
    }
    CloseJournalFolder(&folder);
    return 1;
}

int RunUndoBatch(uint64_t sequence, bool dryRun, UndoOutput output) {
    JournalFolder folder;
    if (!Folder(&folder)) return 1;
    JournalBatch batch;
    bool absent = false;
    int status = 1;
    if (Read(folder, sequence, !dryRun, &batch, &absent)) {
        status = UndoBatch(&batch, dryRun, false, output);
    } else if (absent) {
        Diagnose(Tr("no batch %llu in %s"), static_cast<unsigned long long>(sequence),
                 EscapeControls(folder.path).c_str());
    }
    CloseJournalFolder(&folder);
    return status;
}

int RunUndoList(UndoOutput output) {
    JournalFolder folder;
    std::string why;
    int opened = OpenJournalFolder(&folder, false, &why);
    if (opened < 0) {
        Diagnose(Tr("will not read the undo journal in %s: %s"), EscapeControls(folder.path).c_str(), why.c_str());
        return 1;
    }
    std::vector<uint64_t> sequences = opened > 0 ? JournalSequences(folder) : std::vector<uint64_t>();
    for (size_t i = sequences.size(); i-- > 0;) {
        JournalBatch batch;
        int read = JournalReadBatch(folder, sequences[i], false, &batch, &why);
        if (read == BATCH_ABSENT) continue;  // dropped meanwhile
        if (read == BATCH_REFUSED) {
            // Listed all the same: a batch left out would look undone.
            std::string line = std::to_string(sequences[i]) + "  " + Tr("not used: ") + why;
            output.line(output.context, line.c_str());
            continue;
        }
        unsigned files = 0, left = 0, back = 0;
        std::set<std::string> places;
        std::string where;
        for (const JournalRecord& record : batch.records) {
            if (record.state == RECORD_FAILED) continue;
            ++files;
            if (ToPutBack(record.state)) ++left;
            if (record.state == RECORD_BACK) ++back;
            places.insert(record.folder);
            if (where.empty()) where = record.folder;
        }
        std::string state = batch.busy                   ? Tr("being written")
                            : batch.records.empty()      ? Tr("its journal cannot be read")
                            : left == 0 && files == back ? Tr("undone")
                            : left == 0                  ? Tr("undone as far as it can be")
                            : batch.state == '.'         ? Tr("not undone")
                                                 : Plural(left, Tr("%u still to put back"), Tr("%u still to put back"));
        if (!batch.busy && !batch.ended) state += Tr(" (stopped before its end)");
        if (batch.skipped > 0 || batch.missing > 0) state += Tr(" (journal incomplete)");
        char when[32] = "?";
        time_t started = static_cast<time_t>(batch.started);
        struct tm local;
        if (started != 0 && localtime_r(&started, &local) != nullptr) {
            strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
        }
        std::string line = std::to_string(batch.sequence) + "  " + when + "  " +
                           Plural(files, Tr("%u file"), Tr("%u files")) + ", " + state;
        if (!where.empty()) {
            line += "  " + EscapeControls(where);
            unsigned others = static_cast<unsigned>(places.size()) - 1;
            if (others > 0) line += Plural(others, Tr(" and %u other folder"), Tr(" and %u other folders"));
        }
        output.line(output.context, line.c_str());
    }
    CloseJournalFolder(&folder);
    return 0;
}
