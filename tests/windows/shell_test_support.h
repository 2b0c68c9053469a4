// Helpers for tests that drive the shell's real windows in-process under Wine:
// the settings key in the real registry, drops built like the shell builds
// them, the log's lines, and the pictures' pixels. Files and their bytes come
// from tests/support.
#ifndef QUILLON_TESTS_WINDOWS_SHELL_TEST_SUPPORT_H
#define QUILLON_TESTS_WINDOWS_SHELL_TEST_SUPPORT_H

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "main_window.h"
#include "resource.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace shelltest {

const char kSettingsKey[] = "Software\\Ombrix\\Quillon";

inline HINSTANCE TestInstance() {
    return GetModuleHandleA(nullptr);
}

// --- The settings key -------------------------------------------------------

inline void DeleteSettingsKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

inline void WriteSetting(const char* name, const char* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
}

// The stored text, or "<missing>" when the value (or the key) is absent.
inline std::string ReadSetting(const char* name) {
    char text[512] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return text;
}

// --- Messages ---------------------------------------------------------------

// Dispatches whatever is queued, a quit message included, so that nothing a
// test leaves behind reaches the next one.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// --- The main window ----------------------------------------------------------

// A main window created afresh, as WinMain creates it, over a live record
// that is all zero again as at process start. Destroyed (with its log window)
// at the end of the scope.
class MainWindow {
  public:
    MainWindow() {
        *LiveSettings() = Settings{};
        RegisterMainClass(TestInstance());
        hwnd_ = CreateMainWindow(TestInstance());
    }
    ~MainWindow() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        PumpMessages();
    }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shown and painted the way WinMain shows it.
    void Show() {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
        PumpMessages();
    }
    HWND hwnd() const {
        return hwnd_;
    }
    HWND log() const {
        return LogWindowHandle();
    }

  private:
    HWND hwnd_;
};

// --- The log ------------------------------------------------------------------

inline HWND LogList(HWND log) {
    return GetDlgItem(log, IDC_LOG_LIST);
}

// The log's lines, as the list box holds them (ANSI bytes).
inline std::vector<std::string> LogLines(HWND log) {
    std::vector<std::string> lines;
    HWND list = LogList(log);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR) length = 0;
        std::string line(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
        line.resize(strlen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

// --- Drops --------------------------------------------------------------------

// A drop handle as the shell hands it over: a moveable global block holding
// DROPFILES, then the paths, each NUL-terminated, then one more NUL; ANSI, or
// UTF-16 as the shell itself writes them (wide characters). The receiver
// releases it with DragFinish.
template <typename Char>
inline HDROP MakeDropOf(const std::vector<std::basic_string<Char>>& paths) {
    // Two NULs after the last path, so that even an empty list is terminated
    // as readers of the format expect.
    size_t listSize = 2;
    for (const std::basic_string<Char>& p : paths) listSize += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + listSize * sizeof(Char));
    if (block == nullptr) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = sizeof(Char) > 1;
    char* at = bytes + sizeof(DROPFILES);
    for (const std::basic_string<Char>& p : paths) {
        memcpy(at, p.c_str(), (p.size() + 1) * sizeof(Char));
        at += (p.size() + 1) * sizeof(Char);
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

inline HDROP MakeDrop(const std::vector<std::string>& paths) {
    return MakeDropOf(paths);
}

inline LRESULT SendDrop(HWND hwnd, const std::vector<std::string>& paths) {
    return SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropOf(paths)), 0);
}

inline LRESULT SendDrop(HWND hwnd, const std::vector<std::wstring>& paths) {
    return SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropOf(paths)), 0);
}

// --- Pictures -----------------------------------------------------------------

// A 24-bit bitmap resource decoded from the module's own bytes, so that tests
// compare the window with the art rather than with numbers copied from it.
class ResourcePicture {
  public:
    explicit ResourcePicture(int id) {
        HRSRC found = FindResourceA(TestInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
        if (found == nullptr) return;
        DWORD size = SizeofResource(TestInstance(), found);
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(TestInstance(), found)));
        if (data == nullptr || size < sizeof(BITMAPINFOHEADER)) return;
        BITMAPINFOHEADER header;
        memcpy(&header, data, sizeof header);
        if (header.biBitCount != 24 || header.biCompression != BI_RGB || header.biWidth <= 0) return;
        width_ = header.biWidth;
        height_ = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        topDown_ = header.biHeight < 0;
        stride_ = ((width_ * 3) + 3) & ~3;
        size_t offset = header.biSize;
        if (size < offset + static_cast<size_t>(stride_) * height_) {
            width_ = height_ = 0;
            return;
        }
        bits_.assign(data + offset, data + offset + static_cast<size_t>(stride_) * height_);
    }
    int width() const {
        return width_;
    }
    int height() const {
        return height_;
    }
    COLORREF At(int x, int y) const {
        int row = topDown_ ? y : height_ - 1 - y;
        const uint8_t* p = &bits_[static_cast<size_t>(row) * stride_ + static_cast<size_t>(x) * 3];
        return RGB(p[2], p[1], p[0]);
    }

  private:
    int width_ = 0, height_ = 0, stride_ = 0;
    bool topDown_ = false;
    std::vector<uint8_t> bits_;
};

// The pixel at x, y of the window's client area as it shows now.
inline COLORREF WindowPixel(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return color;
}

struct Point {
    int x, y;
};

// Points, spread over the picture, where the idle and the busy art differ, so
// that one pixel read there tells which picture is on the window.
inline std::vector<Point> TellingPoints(const ResourcePicture& idle, const ResourcePicture& busy, size_t wanted) {
    std::vector<Point> points;
    for (int y = 3; y < idle.height() && points.size() < wanted; y += 17) {
        for (int x = 5; x < idle.width() && points.size() < wanted; x += 23) {
            if (idle.At(x, y) != busy.At(x, y)) points.push_back(Point{x, y});
        }
    }
    return points;
}

}  // namespace shelltest

#endif
