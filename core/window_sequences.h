// What every windowed front end does around its main window in the same way:
// the log as the window starts it, and the properties sequence of a right
// click. The sequences are portable; the window, the log and the dialog are
// the operations below, which each front end supplies for its own WindowSite,
// as it supplies the drop batch's for its DropSite.
#ifndef QUILLON_CORE_WINDOW_SEQUENCES_H
#define QUILLON_CORE_WINDOW_SEQUENCES_H

#include "records.h"

// Defined by the front end: the Windows shell's holds the main window.
struct WindowSite;

// Draws the picture for `settings.busy` at once.
void WindowDrawState(WindowSite* site, Settings settings);
void WindowClearLog(WindowSite* site);
// Appends "READY.".
void WindowAddReady(WindowSite* site);
// Appends "Configuration...".
void WindowAddConfiguration(WindowSite* site);
// Shows the log window (`show` 1) or hides it (0).
void WindowShowLog(WindowSite* site, int show);
// Runs the properties dialog modally, owned by the main window, and returns
// how it ended: 0 for cancel; anything else counts as OK, after which the
// dialog has saved its choices.
int WindowRunDialog(WindowSite* site);

// The log of a window just created: emptied, "READY.", and shown when `live`
// says so. (The live record comes from StartSettings.)
void StartLog(WindowSite* site, Settings live);

// The right click: the busy picture and "Configuration...", the dialog, and
// after OK the live record reloaded from the store, the only way the dialog's
// choices reach it, and the log shown or hidden to match; then in every case
// the idle picture and "READY.".
void RunProperties(WindowSite* site, Settings* live);

#endif
