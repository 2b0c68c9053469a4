// A drop of files from the shell onto the main window.
#ifndef QUILLON_SHELL_DROP_SITE_WIN32_H
#define QUILLON_SHELL_DROP_SITE_WIN32_H

#include <windows.h>
#include <shellapi.h>

// Renames and logs every file of `hdrop` in the shell's order, with the busy
// picture shown meanwhile, and releases the drop. `hwnd` is the main window.
void ProcessDrop(HWND hwnd, HDROP hdrop);

#endif
