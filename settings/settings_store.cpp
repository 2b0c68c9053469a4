// Mapping of the settings record to the stored texts, free of any platform.
#include "settings_store.h"

#include "choices.h"
#include "core/diagnostics.h"
#include "value_store.h"

const Settings kDefaultSettings = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

int LoadSettings(Settings* settings) {
    char text[256];
    for (const ChoiceField& field : kChoiceFields) {
        if (!RegReadString(field.storeName, text)) return 0;
        settings->*field.field = ChoiceOfStored(field, text).value;
    }
    return 1;
}

int SaveSettings(Settings settings) {
    for (const ChoiceField& field : kChoiceFields) {
        RegWriteString(field.storeName, ChoiceOfValue(field, settings.*field.field).stored);
    }
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

void StartSettings(Settings* live) {
    LoadOrApplyDefaults(live);
    live->busy = 0;
}

int SaveSettingsChecked(Settings asked, Settings* live) {
    SaveSettings(asked);
    std::string failure = ValueStoreWriteFailure();
    Settings stored = *live;
    bool held = LoadSettings(&stored) && stored.nameFormat == asked.nameFormat &&
                stored.primaryTag == asked.primaryTag && stored.logWindow == asked.logWindow;
    *live = stored;
    if (held) return 1;
    std::string where = ValueStoreLocation();
    if (failure.empty()) {
        Diagnose("cannot save the settings in %s", where.c_str());
    } else {
        Diagnose("cannot save the settings in %s: %s", where.c_str(), failure.c_str());
    }
    return 0;
}
