// The drop batch's surroundings in the Windows shell: the paths come from the
// shell's drop handle, the pictures go to the main window, the lines to the
// log window, the message texts from the string table.
#include "drop_site_win32.h"

#include "core/drop_batch.h"
#include "core/file_io.h"
#include "core/system_text_win32.h"
#include "core/tag_reader.h"
#include "log_window.h"
#include "main_window.h"

struct DropSite {
    HWND hwnd;
    HDROP drop;
};

unsigned DropCount(DropSite* site) {
    return DragQueryFileA(site->drop, 0xFFFFFFFF, nullptr, 0);
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    // The shell's own Unicode path, converted here without best fit: the ANSI
    // query turns "café.mp3" into "cafe.mp3" and "AC¥DC" into "AC\DC", other
    // files and folders that may well exist. A path longer than this buffer
    // is longer than any the batch takes, and is counted as far as it fits.
    wchar_t wide[LINE_BUFFER];
    wide[0] = 0;
    DragQueryFileW(site->drop, index, wide, LINE_BUFFER);
    char none[1];
    bool held = false;
    unsigned length = SystemPathFromWide(wide, GetACP(), size > 0 ? path : none, size > 0 ? size : 1, &held);
    return held ? length : DROP_PATH_UNHELD;
}

void DropReadTags(DropSite* site, const char* path, TagInfo& info) {
    (void)site;
    ReadTags(path, info);
}

int DropRename(DropSite* site, const char* from, const char* to) {
    (void)site;
    return RenameNoReplace(from, to);
}

void DropRelease(DropSite* site) {
    DragFinish(site->drop);
}

void DropDrawState(DropSite* site, Settings settings) {
    DrawStateImage(site->hwnd, settings);
}

void DropClearLog(DropSite* site) {
    (void)site;
    SendMessageA(LogWindowHandle(), LOGM_CLEAR, 0, 0);
}

void DropAddLine(DropSite* site, const char* line) {
    (void)site;
    SendMessageA(LogWindowHandle(), LOGM_ADD, 0, reinterpret_cast<LPARAM>(line));
}

void DropReady(DropSite* site) {
    (void)site;
    SendMessageA(LogWindowHandle(), LOGM_READY, 0, 0);
}

void DropMessageText(DropSite* site, int code, char* text) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(site->hwnd, GWLP_HINSTANCE));
    // A missing entry leaves the buffer untouched on some systems.
    text[0] = '\0';
    LoadStringA(instance, static_cast<UINT>(code), text, MESSAGE_BUFFER);
}

// The log shows the message and the path alone.
void DropReportOutcome(DropSite* /*site*/, const DropOutcome& /*outcome*/) {}

void ProcessDrop(HWND hwnd, HDROP hdrop) {
    DropSite site = {hwnd, hdrop};
    RunDropBatch(&site, LiveSettings());
}
