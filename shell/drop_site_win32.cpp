// The drop batch's surroundings in the Windows shell: the paths come from the
// shell's drop handle, the pictures go to the main window, the lines to the
// log window, the message texts from the string table.
#include "drop_site_win32.h"

#include "core/drop_batch.h"
#include "core/file_io.h"
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
    // The whole length lets the batch refuse a path that the buffer would cut.
    unsigned length = DragQueryFileA(site->drop, index, nullptr, 0);
    if (size == 0) return length;
    path[0] = '\0';
    DragQueryFileA(site->drop, index, path, size);
    return length;
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

void ProcessDrop(HWND hwnd, HDROP hdrop) {
    DropSite site = {hwnd, hdrop};
    RunDropBatch(&site, LiveSettings());
}
