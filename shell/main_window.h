// The main window: a fixed 140x140 picture that takes dropped files and a right
// click. It owns, for the whole run, the live settings record and the log
// window's handle; the drop batch and the properties handling reach both
// through the accessors below.
#ifndef QUILLON_SHELL_MAIN_WINDOW_H
#define QUILLON_SHELL_MAIN_WINDOW_H

#include <windows.h>

#include "core/records.h"

// The main window as the shared window sequences see it.
struct WindowSite {
    HWND hwnd;
};

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the busy picture when settings.busy is nonzero, the idle one
// otherwise, straight onto the client area, and marks the area as painted.
void DrawStateImage(HWND hwnd, Settings settings);

// The live record: all zero at start, filled when the window is created,
// reloaded after the properties dialog ends with OK.
Settings* LiveSettings();

// The log window created with the main window; NULL before that.
HWND LogWindowHandle();

// Registers "QuillonMain" for `instance`; 0 when registration failed.
ATOM RegisterMainClass(HINSTANCE instance);

// Creates the main window (the log window and the settings come with it) at
// its fixed size; NULL when creation failed. The window is not shown yet.
HWND CreateMainWindow(HINSTANCE instance);

// Shows the window, paints it at once and runs the message loop until the
// quit message; returns the quit message's code.
int RunMainWindow(HWND hwnd);

#endif
