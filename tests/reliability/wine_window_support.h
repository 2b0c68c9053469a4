// Helpers for the reliability tests that drive the real main window under
// Wine: drop handles built as the shell builds them, the log's lines, and a
// main window created as WinMain creates it.
#ifndef QUILLON_TESTS_RELIABILITY_WINE_WINDOW_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_WINE_WINDOW_SUPPORT_H

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string.h>

#include <string>
#include <vector>

#include "main_window.h"
#include "resource.h"

// A moveable global block holding DROPFILES, the ANSI paths each
// NUL-terminated, and one more NUL; the window releases it with DragFinish.
inline HDROP MakeDropHandle(const std::vector<std::string>& paths) {
    // The list ends with an empty string; with no files the shell still writes
    // two zero bytes, and DragQueryFile reads both.
    size_t size = sizeof(DROPFILES) + 2;
    for (const std::string& p : paths) size += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* at = bytes + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

inline void SendDrop(HWND hwnd, const std::vector<std::string>& paths) {
    SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(paths)), 0);
}

// The log's lines as its list box holds them.
inline std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    HWND list = GetDlgItem(LogWindowHandle(), IDC_LOG_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string line(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
        line.resize(strlen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A main window over a live record that is all zero again, as at the start
// of the program; destroyed with its log window at the end of the scope.
class MainWindowScope {
  public:
    MainWindowScope() {
        *LiveSettings() = Settings{};
        RegisterMainClass(GetModuleHandleA(nullptr));
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
        PumpMessages();
    }
    ~MainWindowScope() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        PumpMessages();
    }
    MainWindowScope(const MainWindowScope&) = delete;
    MainWindowScope& operator=(const MainWindowScope&) = delete;

    HWND hwnd() const {
        return hwnd_;
    }

  private:
    HWND hwnd_;
};

#endif
