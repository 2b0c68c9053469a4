// The main window's sequences.
#include "window_sequences.h"

#include "settings/settings_store.h"

void StartLog(WindowSite* site, Settings live) {
    WindowClearLog(site);
    WindowAddReady(site);
    if (live.logWindow == LOG_SHOW) WindowShowLog(site, 1);
}

void RunProperties(WindowSite* site, Settings* live) {
    live->busy = 1;
    WindowDrawState(site, *live);
    WindowAddConfiguration(site);
    if (WindowRunDialog(site) != 0) {
        LoadSettings(live);
        WindowShowLog(site, live->logWindow == LOG_SHOW);
    }
    live->busy = 0;
    WindowDrawState(site, *live);
    WindowAddReady(site);
}
