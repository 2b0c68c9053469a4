// The main window: its class, its creation (settings, log window), its
// picture, and the routing of drops and right clicks.
#include "main_window.h"

#include <shellapi.h>

#include "core/window_sequences.h"
#include "drop_site_win32.h"
#include "log_window.h"
#include "properties.h"
#include "resource.h"
#include "settings/settings_store.h"

namespace {

// The pictures' size, which is also the client area's.
const int kPictureSize = 140;

Settings liveSettings;
HWND logWindow;

HINSTANCE WindowInstance(HWND hwnd) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
}

void OnCreate(HWND hwnd) {
    StartSettings(&liveSettings);
    DragAcceptFiles(hwnd, TRUE);
    logWindow = CreateDialogParamA(WindowInstance(hwnd), MAKEINTRESOURCEA(IDD_LOG), hwnd, LogDlgProc, 0);
    WindowSite site = {hwnd};
    StartLog(&site, liveSettings);
}

}  // namespace

void WindowDrawState(WindowSite* site, Settings settings) {
    DrawStateImage(site->hwnd, settings);
}

void WindowClearLog(WindowSite* /*site*/) {
    SendMessageA(logWindow, LOGM_CLEAR, 0, 0);
}

void WindowAddReady(WindowSite* /*site*/) {
    SendMessageA(logWindow, LOGM_READY, 0, 0);
}

void WindowAddConfiguration(WindowSite* /*site*/) {
    SendMessageA(logWindow, LOGM_CONFIG, 0, 0);
}

void WindowShowLog(WindowSite* /*site*/, int show) {
    ShowWindow(logWindow, show ? SW_SHOW : SW_HIDE);
}

Settings* LiveSettings() {
    return &liveSettings;
}

HWND LogWindowHandle() {
    return logWindow;
}

void DrawStateImage(HWND hwnd, Settings settings) {
    int id = settings.busy ? IDB_BUSY : IDB_IDLE;
    HDC window = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP picture = LoadBitmapA(WindowInstance(hwnd), MAKEINTRESOURCEA(id));
    SelectObject(memory, picture);
    BitBlt(window, 0, 0, kPictureSize, kPictureSize, memory, 0, 0, SRCCOPY);
    ValidateRect(hwnd, nullptr);
    // The memory DC goes first so that the bitmap is no longer selected when
    // it is deleted.
    DeleteDC(memory);
    DeleteObject(picture);
    ReleaseDC(hwnd, window);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd);
            return 0;
        case WM_PAINT:
            DrawStateImage(hwnd, liveSettings);
            return 0;
        case WM_RBUTTONUP:
            OpenProperties(hwnd);
            return 0;
        case WM_DROPFILES:
            ProcessDrop(hwnd, reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = "QuillonMain";
    wc.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    return RegisterClassExA(&wc);
}

HWND CreateMainWindow(HINSTANCE instance) {
    // The fixed frame on both sides and the caption around one picture.
    int width = 2 * GetSystemMetrics(SM_CXDLGFRAME) + kPictureSize;
    int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME) + kPictureSize;
    return CreateWindowExA(0, "QuillonMain", "Quillon", WS_OVERLAPPED | WS_SYSMENU, CW_USEDEFAULT, 0, width, height,
                           nullptr, nullptr, instance, nullptr);
}

int RunMainWindow(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG msg = {};
    // GetMessageA's -1 (an error) must not keep the loop spinning.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
