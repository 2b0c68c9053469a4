// The drop batch.
#include "drop_batch.h"

#include <stdio.h>

#include "rename_planner.h"

const char* OutcomeMessageUtf8(int code) {
    // The katakana are the half-width forms; 2, 3 and 5 end in a blank, so that
    // in code page 932 every message is ten bytes wide.
    static const char* const kMessages[] = {
        "", "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ", "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了",
    };
    return code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? kMessages[code] : "";
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
    if (snprintf(line, LINE_BUFFER, "%s - %s", message, path) < 0) line[0] = '\0';
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
