// The sequences every windowed front end shares, through a window site that
// records what they ask of it, over the real settings store; and the table of
// choices that the store, the command line and the Linux dialog read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/window_sequences.h"
#include "settings/choices.h"
#include "settings/settings_store.h"
#include "support/test_files.h"

struct WindowSite {
    int dialogResult;
    Settings saveOnOk;  // what the dialog saves before it ends with OK
    std::vector<std::string> events;
};

void WindowDrawState(WindowSite* site, Settings settings) {
    site->events.push_back(settings.busy ? "busy" : "idle");
}
void WindowClearLog(WindowSite* site) {
    site->events.push_back("clear");
}
void WindowAddReady(WindowSite* site) {
    site->events.push_back("READY.");
}
void WindowAddConfiguration(WindowSite* site) {
    site->events.push_back("Configuration...");
}
void WindowShowLog(WindowSite* site, int show) {
    site->events.push_back(show ? "show" : "hide");
}
int WindowRunDialog(WindowSite* site) {
    site->events.push_back("dialog");
    if (site->dialogResult != 0) SaveSettings(site->saveOnOk);
    return site->dialogResult;
}

namespace {

TEST(WindowSequences, PropertiesReloadTheLiveRecordOnlyAfterOk) {
    struct Row {
        int dialogResult;  // -1: the dialog could not be made, which counts as OK
        Settings saved, live;
        const char* log;
    } rows[] = {
        {1, {NAME_ARTIST_TITLE, PRIMARY_V1, LOG_SHOW, 0}, {NAME_ARTIST_TITLE, PRIMARY_V1, LOG_SHOW, 0}, "show"},
        {1, {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0}, {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0}, "hide"},
        {-1, {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0}, {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0}, "hide"},
        {0, {NAME_ARTIST_TITLE, PRIMARY_V1, LOG_SHOW, 0}, {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dialogResult);
        TempFolder store;
        ScopedEnv config("XDG_CONFIG_HOME", store.path().c_str());
        Settings live = {0, 0, 0, 0};
        StartSettings(&live);  // the defaults, saved
        WindowSite site = {row.dialogResult, row.saved, {}};
        RunProperties(&site, &live);
        std::vector<std::string> expected = {"busy", "Configuration...", "dialog"};
        if (row.log != nullptr) expected.push_back(row.log);
        expected.insert(expected.end(), {"idle", "READY."});
        EXPECT_EQ(expected, site.events);
        EXPECT_EQ(row.live.nameFormat, live.nameFormat);
        EXPECT_EQ(row.live.primaryTag, live.primaryTag);
        EXPECT_EQ(row.live.logWindow, live.logWindow);
        EXPECT_EQ(0, live.busy);
    }
}

TEST(WindowSequences, StartLogShowsTheLogOnlyWhenTheSettingsSaySo) {
    for (int32_t log : {int32_t(LOG_SHOW), int32_t(LOG_HIDE), int32_t(0)}) {
        WindowSite site = {0, {}, {}};
        StartLog(&site, {NAME_TITLE, PRIMARY_V2, log, 0});
        std::vector<std::string> expected = {"clear", "READY."};
        if (log == LOG_SHOW) expected.push_back("show");
        EXPECT_EQ(expected, site.events) << log;
    }
}

TEST(Choices, EveryTextAndWordNamesItsValueAndAnythingElseTheLast) {
    for (const ChoiceField& field : kChoiceFields) {
        const Choice& last = field.choices[field.count - 1];
        for (int i = 0; i < field.count; ++i) {
            const Choice& c = field.choices[i];
            EXPECT_EQ(i + 1, c.value) << field.storeName;
            EXPECT_EQ(&c, &ChoiceOfStored(field, c.stored));
            EXPECT_EQ(&c, &ChoiceOfValue(field, c.value));
            EXPECT_EQ(&c, ChoiceOfWord(field, c.word));
        }
        for (const char* other : {"", "title ", "TITLE", "v1\n"}) {
            EXPECT_EQ(&last, &ChoiceOfStored(field, other)) << other;
            EXPECT_EQ(nullptr, ChoiceOfWord(field, other)) << other;
        }
        for (int32_t value : {0, -1, field.count + 1}) EXPECT_EQ(&last, &ChoiceOfValue(field, value));
    }
}

}  // namespace
