// Mapping of the settings record to the stored texts, free of any platform.
#include "settings_store.h"

#include <string.h>

#include "value_store.h"

namespace {

const char kFilenameType[] = "Filename Type";
const char kPrimaryTag[] = "Primary Tag";
const char kLogWindow[] = "Log Window";

}  // namespace

const Settings kDefaultSettings = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

int LoadSettings(Settings* settings) {
    char text[256];
    if (!RegReadString(kFilenameType, text)) return 0;
    settings->nameFormat = strcmp(text, "Title") == 0          ? NAME_TITLE
                           : strcmp(text, "Title-Artist") == 0 ? NAME_TITLE_ARTIST
                                                               : NAME_ARTIST_TITLE;
    if (!RegReadString(kPrimaryTag, text)) return 0;
    settings->primaryTag = strcmp(text, "V1") == 0 ? PRIMARY_V1 : PRIMARY_V2;
    if (!RegReadString(kLogWindow, text)) return 0;
    settings->logWindow = strcmp(text, "OK") == 0 ? LOG_SHOW : LOG_HIDE;
    return 1;
}

int SaveSettings(Settings settings) {
    RegWriteString(kFilenameType, settings.nameFormat == NAME_TITLE          ? "Title"
                                  : settings.nameFormat == NAME_TITLE_ARTIST ? "Title-Artist"
                                                                             : "Artist-Title");
    RegWriteString(kPrimaryTag, settings.primaryTag == PRIMARY_V1 ? "V1" : "V2");
    RegWriteString(kLogWindow, settings.logWindow == LOG_SHOW ? "OK" : "NG");
    return 1;
}

void LoadOrApplyDefaults(Settings* live) {
    if (LoadSettings(live)) return;
    // A store that refuses the save must not bring back what the failed load
    // read: the record runs on the defaults either way.
    live->nameFormat = kDefaultSettings.nameFormat;
    live->primaryTag = kDefaultSettings.primaryTag;
    live->logWindow = kDefaultSettings.logWindow;
    SaveSettings(*live);
}
