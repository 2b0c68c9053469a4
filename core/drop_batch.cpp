// The drop batch.
#include "drop_batch.h"

#include <string.h>

#include "rename_planner.h"

unsigned CopyDropPath(const char* text, size_t length, char* path, unsigned size) {
    if (size > 0) {
        size_t copy = length < size - 1 ? length : size - 1;
        memcpy(path, text, copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(length);
}

int ProcessDroppedFile(DropSite* site, unsigned index, TagInfo& info, Settings settings, char* line) {
    char path[LINE_BUFFER];
    unsigned length = DropPath(site, index, path, sizeof path);
    int code = RESULT_ACCESS_FAILED;
    if (length < TEXT_BUFFER) {
        DropReadTags(site, path, info);
        char newPath[TEXT_BUFFER];
        code = PlanRename(path, info, settings, newPath);
        if (code == RESULT_OK && !DropRename(site, path, newPath)) code = RESULT_ACCESS_FAILED;
    }
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
        if (ProcessDroppedFile(site, i, info, *live, line) != RESULT_OK) ++failed;
        DropAddLine(site, line);
    }
    DropRelease(site);
    live->busy = 0;
    DropDrawState(site, *live);
    DropReady(site);
    return failed;
}
