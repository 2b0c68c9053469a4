// The properties dialog (IDD_PROPERTIES).
#include "properties.h"

void OpenProperties(HWND hwnd) {
    (void)hwnd;
}

INT_PTR CALLBACK PropDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)hwnd;
    (void)message;
    (void)wParam;
    (void)lParam;
    return FALSE;
}
