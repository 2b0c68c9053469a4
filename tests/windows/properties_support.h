// Support for the properties dialog tests, on top of the shell's test support
// (registry, folders, drops, log lines): the stored texts at a glance, the
// pictures compared whole, and a driver that acts on the modal dialog from
// inside its own message loop.
#ifndef QUILLON_TESTS_WINDOWS_PROPERTIES_SUPPORT_H
#define QUILLON_TESTS_WINDOWS_PROPERTIES_SUPPORT_H

#include <windows.h>

#include <stdint.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "main_window.h"
#include "properties.h"
#include "resource.h"
#include "shell_test_support.h"

namespace props {

inline void WriteStore(const char* nameFormat, const char* primaryTag, const char* logWindow) {
    shelltest::DeleteSettingsKey();
    shelltest::WriteSetting("Filename Type", nameFormat);
    shelltest::WriteSetting("Primary Tag", primaryTag);
    shelltest::WriteSetting("Log Window", logWindow);
}

// The three stored texts, "Filename Type|Primary Tag|Log Window".
inline std::string StoredTexts() {
    return shelltest::ReadSetting("Filename Type") + "|" + shelltest::ReadSetting("Primary Tag") + "|" +
           shelltest::ReadSetting("Log Window");
}

// The program's main window, created as WinMain creates it and shown at the
// top left corner, so that the centred dialog never covers its picture.
class ShownMainWindow : public shelltest::MainWindow {
  public:
    ShownMainWindow() {
        SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Show();
    }
    std::vector<std::string> LogLines() const {
        return shelltest::LogLines(log());
    }
    bool LogVisible() const {
        return IsWindowVisible(log()) != FALSE;
    }
};

// ---- pictures ---------------------------------------------------------------

enum { PICTURE = 140 };

// Copies the 140x140 area at the origin of `from` into a 32-bit top-down DIB
// and returns its pixels without the unused top byte.
inline std::vector<uint32_t> GrabPixels(HDC from) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = PICTURE;
    info.bmiHeader.biHeight = -PICTURE;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(from, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(from);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, PICTURE, PICTURE, from, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* first = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(first, first + PICTURE * PICTURE);
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    return pixels;
}

// What the window's client area shows right now.
inline std::vector<uint32_t> ShownPicture(HWND hwnd) {
    HDC window = GetDC(hwnd);
    std::vector<uint32_t> pixels = GrabPixels(window);
    ReleaseDC(hwnd, window);
    return pixels;
}

// The bitmap resource `id` as the same kind of pixels.
inline std::vector<uint32_t> ResourcePicture(int id) {
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(shelltest::TestInstance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(source, bitmap);
    std::vector<uint32_t> pixels = GrabPixels(source);
    SelectObject(source, old);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return pixels;
}

// ---- the modal dialog -------------------------------------------------------

// The properties dialog owned by `owner`, or NULL.
inline HWND FindPropertiesDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search = {owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            wchar_t cls[32] = {}, caption[32] = {};
            GetClassNameW(hwnd, cls, 32);
            GetWindowTextW(hwnd, caption, 32);
            if (GetWindow(hwnd, GW_OWNER) == s->owner && wcscmp(cls, L"#32770") == 0 &&
                wcscmp(caption, L"プロパティ") == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Visit {
    bool seen = false;       // the dialog was up and `act` ran on it
    bool endedByIt = false;  // it ended after `act` without the watchdog's help
};

namespace detail {

struct Driver {
    HWND owner;
    const std::function<void(HWND)>* act;
    Visit visit;
    int ticks;
    int ticksAfter;
    bool acted;
};

inline Driver*& CurrentDriver() {
    static Driver* driver = nullptr;
    return driver;
}

enum { TICK_MS = 20, PATIENCE = 500 };  // 10 s at most on each side of the action

inline void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    Driver* d = CurrentDriver();
    if (d == nullptr) return;
    HWND dialog = FindPropertiesDialog(d->owner);
    if (!d->acted) {
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            d->acted = true;
            d->visit.seen = true;
            (*d->act)(dialog);
        } else if (++d->ticks > PATIENCE && dialog != nullptr) {
            EndDialog(dialog, 0);
        }
    } else if (dialog != nullptr && ++d->ticksAfter > PATIENCE) {
        d->visit.endedByIt = false;
        EndDialog(dialog, 0);
    }
}

}  // namespace detail

// Calls `open`, which runs the modal dialog, and calls `act` on the dialog from
// a timer inside the dialog's own message loop once the dialog is visible. A
// dialog that is still open 10 s after `act` is ended by a watchdog, and the
// visit says so.
inline Visit VisitDialog(HWND owner, const std::function<void()>& open, const std::function<void(HWND)>& act) {
    detail::Driver driver = {owner, &act, Visit(), 0, 0, false};
    detail::CurrentDriver() = &driver;
    UINT_PTR timer = SetTimer(nullptr, 0, detail::TICK_MS, detail::OnTick);
    open();
    KillTimer(nullptr, timer);
    detail::CurrentDriver() = nullptr;
    driver.visit.endedByIt = driver.acted && driver.ticksAfter <= detail::PATIENCE;
    shelltest::PumpMessages();
    return driver.visit;
}

// The dialog run as OpenProperties runs it, returning DialogBoxParamA's result.
inline INT_PTR RunDialogBox(HWND owner) {
    return DialogBoxParamA(shelltest::TestInstance(), MAKEINTRESOURCEA(IDD_PROPERTIES), owner, PropDlgProc, 0);
}

// ---- what a user does -------------------------------------------------------

inline void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key press on the control that has the focus, picked up by the dialog's
// own loop and so by the dialog manager.
inline void PressKey(HWND dialog, UINT key) {
    HWND focus = GetFocus();
    HWND target = focus != nullptr && IsChild(dialog, focus) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// The close box of the caption.
inline void CloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

enum { FIRST_RADIO = IDC_NAME_TITLE, LAST_RADIO = IDC_LOG_HIDE };

// The identifiers of the checked radio buttons, in order.
inline std::vector<int> CheckedRadios(HWND dialog) {
    std::vector<int> checked;
    for (int id = FIRST_RADIO; id <= LAST_RADIO; ++id) {
        if (IsDlgButtonChecked(dialog, id) != BST_UNCHECKED) checked.push_back(id);
    }
    return checked;
}

}  // namespace props

#endif
