// The log window's dialog procedure: the four private messages become list box
// operations on IDC_LOG_LIST; everything else goes to the default handling.
#include "log_window.h"

#include "resource.h"

namespace {

void AppendLine(HWND hwnd, const char* text) {
    SendMessageA(GetDlgItem(hwnd, IDC_LOG_LIST), LB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(text));
}

void ClearLines(HWND hwnd) {
    SendMessageA(GetDlgItem(hwnd, IDC_LOG_LIST), LB_RESETCONTENT, 0, 0);
}

}  // namespace

INT_PTR CALLBACK LogDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case LOGM_READY:
            AppendLine(hwnd, "READY.");
            return TRUE;
        case LOGM_CLEAR:
            ClearLines(hwnd);
            return TRUE;
        case LOGM_ADD:
            AppendLine(hwnd, reinterpret_cast<const char*>(lParam));
            return TRUE;
        case LOGM_CONFIG:
            AppendLine(hwnd, "Configuration...");
            return TRUE;
        default:
            return FALSE;
    }
}
