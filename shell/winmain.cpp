// Quillon's entry point: register the class, create the main window, run the
// message loop. The command line and the show command are not used.
#include <windows.h>

#include "main_window.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    RegisterMainClass(hInstance);
    HWND hwnd = CreateMainWindow(hInstance);
    // Without a window nothing could ever end the loop.
    if (hwnd == nullptr) return 1;
    return RunMainWindow(hwnd);
}
