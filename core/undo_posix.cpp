// The undo. A file goes back only when the file at its new name is still the
// one renamed (same device, inode, size and modification time) and its old
// name is free; it never replaces or deletes anything.
#include "undo.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "diagnostics.h"
#include "escape.h"
#include "journal.h"
#include "name_plan.h"
#include "outcome_messages.h"
#include "texts.h"

namespace {

bool SameFile(const struct stat& st, const FileIdentity& id) {
    return static_cast<uint64_t>(st.st_dev) == id.device && static_cast<uint64_t>(st.st_ino) == id.inode &&
           st.st_size == id.size && st.st_mtim.tv_sec == id.modifiedSeconds &&
           st.st_mtim.tv_nsec == id.modifiedNanoseconds;
}

// `format` with its one %s made `text`.
std::string WithText(const char* format, const std::string& text) {
    int length = snprintf(nullptr, 0, format, text.c_str());
    std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) snprintf(&out[0], out.size() + 1, format, text.c_str());
    return out;
}

// Why the file of `record` cannot go back, or "" when it can (and, unless this
// is a dry run, has).
std::string PutBack(const JournalRecord& record, NamePlan* plan) {
    std::string onDisk = record.to, ignored;
    struct stat st;
    if ((plan != nullptr && !PlanHolds(*plan, record.to, &onDisk)) || lstat(onDisk.c_str(), &st) != 0) {
        return Tr("no file has this name any more");
    }
    if (!S_ISREG(st.st_mode) || !SameFile(st, record.identity)) return Tr("the file was changed or replaced since");
    bool taken = plan != nullptr ? PlanHolds(*plan, record.from, &ignored) : lstat(record.from.c_str(), &st) == 0;
    if (taken) return WithText(Tr("its old name %s is taken"), EscapeControls(record.from));
    if (plan != nullptr) {
        PlanNoteMove(plan, record.to, record.from);
        return "";
    }
    if (!RestoreName(record.to.c_str(), record.from.c_str())) return strerror(errno);
    return "";
}

}  // namespace

int RunUndo(bool dryRun, UndoOutput output) {
    JournalBatch batch;
    if (!JournalNewestBatch(&batch)) {
        Diagnose(Tr("nothing to undo: no batch left in %s"), EscapeControls(JournalFolder()).c_str());
        return 1;
    }
    NamePlan plan;
    unsigned failed = 0;
    for (size_t i = batch.records.size(); i-- > 0;) {
        const JournalRecord& record = batch.records[i];
        std::string why = PutBack(record, dryRun ? &plan : nullptr);
        std::string line = why.empty() ? std::string(OutcomeMessageUtf8(RESULT_OK)) + " - " +
                                             EscapeControls(record.to) + " -> " + EscapeControls(record.from)
                                       : std::string(OutcomeMessageUtf8(RESULT_ACCESS_FAILED)) + " - " +
                                             EscapeControls(record.to) + " (" + why + "; " + Tr("left as it is") + ")";
        output.line(output.context, line.c_str());
        if (!why.empty()) ++failed;
    }
    output.line(output.context, "READY.");
    if (batch.skipped > 0 || !batch.ended) {
        Diagnose(batch.skipped == 1 ? Tr("the journal of this batch is incomplete (%u unreadable line%s): files it "
                                         "does not describe are left as they are")
                                    : Tr("the journal of this batch is incomplete (%u unreadable lines%s): files it "
                                         "does not describe are left as they are"),
                 batch.skipped, batch.ended ? "" : Tr(", no end mark"));
        ++failed;
    }
    if (!dryRun && !JournalMarkUndone(batch)) {
        Diagnose(Tr("cannot mark the batch %s as undone: %s"), EscapeControls(batch.path).c_str(), strerror(errno));
    }
    return failed == 0 ? 0 : 1;
}
