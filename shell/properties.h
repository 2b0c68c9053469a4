// The properties dialog: the user's three choices, opened by a right click on
// the main window.
#ifndef QUILLON_SHELL_PROPERTIES_H
#define QUILLON_SHELL_PROPERTIES_H

#include <windows.h>

// Runs the modal dialog owned by hwnd (the main window). While it is open the
// main window shows the busy picture; after OK the live settings are reloaded
// from the store and the log window is shown or hidden to match.
void OpenProperties(HWND hwnd);

// The dialog procedure of IDD_PROPERTIES.
INT_PTR CALLBACK PropDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
