// The log window: a modeless dialog holding one list box, filled only through
// the private messages below, sent to the dialog (not to the list box).
#ifndef QUILLON_SHELL_LOG_WINDOW_H
#define QUILLON_SHELL_LOG_WINDOW_H

#include <windows.h>

enum {
    LOGM_READY = WM_USER + 1,   // appends "READY."
    LOGM_CLEAR = WM_USER + 2,   // removes every line
    LOGM_ADD = WM_USER + 3,     // appends the NUL-terminated text at lParam
    LOGM_CONFIG = WM_USER + 4,  // appends "Configuration..."
};

// The dialog procedure of IDD_LOG. The window cannot be closed: close and
// cancel commands are left to the default handling, which ends nothing.
INT_PTR CALLBACK LogDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
