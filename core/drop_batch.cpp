// The drop batch.
#include "drop_batch.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "drop_reasons.h"
#include "file_io.h"
#include "rename_planner.h"

unsigned CopyDropPath(const char* text, size_t length, char* path, unsigned size) {
    if (size > 0) {
        size_t copy = length < size - 1 ? length : size - 1;
        memcpy(path, text, copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(length);
}

namespace {

// Why the rename of a planned name failed; `error` is its errno.
int RenameFailureReason(const char* to, int error) {
    return NameRefusedByFileSystem(to) ? REASON_FORBIDDEN_CHARACTER : ReasonOfError(error);
}

}  // namespace

int ProcessDroppedFile(DropSite* site, unsigned index, TagInfo& info, Settings settings, char* line,
                       DropOutcome* outcome) {
    char path[LINE_BUFFER];
    unsigned length = DropPath(site, index, path, sizeof path);
    int code = RESULT_ACCESS_FAILED;
    outcome->index = index;
    outcome->reason = length == DROP_PATH_UNHELD ? REASON_PATH_UNHELD : REASON_PATH_TOO_LONG;
    outcome->error = 0;
    outcome->newPath[0] = '\0';
    if (length < TEXT_BUFFER) {
        DropReadTags(site, path, info);
        code = PlanRename(path, info, settings, outcome->newPath, &outcome->reason);
        if (code == RESULT_ACCESS_FAILED) {
            outcome->reason = OpenFailureReason(path, &outcome->error);
        } else if (code == RESULT_OK) {
            errno = 0;
            if (!DropRename(site, path, outcome->newPath)) {
                code = RESULT_ACCESS_FAILED;
                outcome->error = errno;
                outcome->reason = RenameFailureReason(outcome->newPath, outcome->error);
            }
        }
    }
    outcome->code = code;
    char message[MESSAGE_BUFFER];
    DropMessageText(site, code, message);
    // A path too long for the line is shown cut; the line itself is bounded.
    const char* parts[] = {message, " - ", path};
    size_t used = 0;
    for (const char* part : parts) {
        size_t n = strlen(part);
        if (n > LINE_BUFFER - 1 - used) n = LINE_BUFFER - 1 - used;
        memcpy(line + used, part, n);
        used += n;
    }
    line[used] = '\0';
    return code;
}

unsigned RunDropBatch(DropSite* site, Settings* live) {
    // The properties dialog's loop hands drops on to its disabled owner; run
    // there, a batch would empty the log under "Configuration...", draw the
    // idle picture while the dialog is still up and add a second "READY.".
    if (live->busy) {
        unsigned count = DropCount(site);
        DropRelease(site);
        return count;
    }
    live->busy = 1;
    DropDrawState(site, *live);
    DropClearLog(site);
    // One record serves the whole drop; the planner reads only what the
    // reader wrote for the current file.
    TagInfo info = {};
    unsigned failed = 0;
    unsigned count = DropCount(site);
    for (unsigned i = 0; i < count; ++i) {
        char line[LINE_BUFFER];
        DropOutcome outcome;
        if (ProcessDroppedFile(site, i, info, *live, line, &outcome) != RESULT_OK) ++failed;
        DropReportOutcome(site, outcome);
        DropAddLine(site, line);
    }
    DropRelease(site);
    live->busy = 0;
    DropDrawState(site, *live);
    DropReady(site);
    return failed;
}
