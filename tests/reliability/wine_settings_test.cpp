// The settings store under concurrent use on the real registry under Wine:
// this test starts a second copy of itself that saves one set of choices over
// and over while the first saves the other set and reads the values back.
// Every value read must be whole, one writer's text or the other's.
//
// Started with "--settings-writer COUNT EVENT", the program is that second
// copy: it signals EVENT, then saves until the first copy signals EVENT-stop
// (it has seen enough of the second copy's saves) or COUNT saves are done, and
// exits 0. How the wineserver interleaves two processes varies a lot from run
// to run, so the overlap is waited for rather than assumed.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>

#include "settings/settings_store.h"
#include "settings/value_store.h"

namespace {

const char kWriterFlag[] = "--settings-writer";
const Settings kFirst = {NAME_TITLE, PRIMARY_V1, LOG_SHOW, 0};
const Settings kSecond = {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
const int kSaves = 100000;      // a bound only: the first copy says when to stop
const unsigned kChanges = 100;  // changes of the second copy's the first must see

int RunWriter(int saves, const char* eventName) {
    HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, (std::string(eventName) + "-stop").c_str());
    if (started == nullptr || stop == nullptr) return 2;
    SetEvent(started);
    CloseHandle(started);
    for (int k = 0; k < saves && WaitForSingleObject(stop, 0) == WAIT_TIMEOUT; ++k) SaveSettings(kSecond);
    CloseHandle(stop);
    return 0;
}

DWORD ValueType(const char* name) {
    DWORD type = REG_NONE;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Ombrix\\Quillon", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return type;
    }
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = REG_NONE;
    RegCloseKey(key);
    return type;
}

}  // namespace

TEST(WineSettingsConcurrency, EachValueStaysWholeWhileTwoProcessesSave) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ombrix");
    SaveSettings(kFirst);

    char exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, sizeof exe), 0u);
    std::string eventName = "QuillonSettingsWriter-" + std::to_string(GetCurrentProcessId());
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (eventName + "-stop").c_str());
    ASSERT_NE(nullptr, started);
    ASSERT_NE(nullptr, stop);
    std::string command =
        std::string("\"") + exe + "\" " + kWriterFlag + " " + std::to_string(kSaves) + " " + eventName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION writer = {};
    ASSERT_TRUE(CreateProcessA(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &writer));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 60000)) << "the second copy never started saving";

    const std::set<std::string> kWhole[3] = {{"Title", "Title-Artist"}, {"V1", "V2"}, {"OK", "NG"}};
    const char* const kNames[3] = {"Filename Type", "Primary Tag", "Log Window"};
    unsigned saves = 0, reads = 0, torn = 0, failed = 0, changes = 0;
    std::string last;
    while (WaitForSingleObject(writer.hProcess, 0) == WAIT_TIMEOUT) {
        SaveSettings(kFirst);
        ++saves;
        // Several reads after each save, so that the other copy's saves show.
        for (int round = 0; round < 4; ++round) {
            for (int v = 0; v < 3; ++v) {
                char text[256];
                ++reads;
                if (!RegReadString(kNames[v], text)) {
                    ++failed;
                } else if (kWhole[v].count(text) == 0) {
                    ++torn;
                    ADD_FAILURE() << "torn value " << kNames[v] << ": [" << text << "]";
                } else if (v == 0) {
                    if (!last.empty() && last != text && ++changes == kChanges) SetEvent(stop);
                    last = text;
                }
            }
            Settings loaded = {0, 0, 0, 0};
            ++reads;
            if (!LoadSettings(&loaded)) ++failed;
        }
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(writer.hProcess, &exitCode);
    CloseHandle(writer.hProcess);
    CloseHandle(writer.hThread);
    CloseHandle(started);
    CloseHandle(stop);
    EXPECT_EQ(0u, exitCode) << "the second copy failed";

    EXPECT_EQ(0u, torn);
    EXPECT_EQ(0u, failed);
    EXPECT_GT(saves, 0u);
    // Without changes seen the two never overlapped, and the test proved nothing.
    EXPECT_GE(changes, kChanges) << "too few saves of the second copy were seen between two of this one";

    // Afterwards each value is one writer's text, still stored as REG_SZ.
    Settings loaded = {0, 0, 0, 7};
    EXPECT_EQ(1, LoadSettings(&loaded));
    EXPECT_TRUE(loaded.nameFormat == NAME_TITLE || loaded.nameFormat == NAME_TITLE_ARTIST) << loaded.nameFormat;
    EXPECT_TRUE(loaded.primaryTag == PRIMARY_V1 || loaded.primaryTag == PRIMARY_V2) << loaded.primaryTag;
    EXPECT_TRUE(loaded.logWindow == LOG_SHOW || loaded.logWindow == LOG_HIDE) << loaded.logWindow;
    EXPECT_EQ(7, loaded.busy);
    for (const char* name : kNames) EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueType(name)) << name;
    printf(
        "[settings] two processes saving at once, %u saves by the first, %u reads, %u changes seen, %u torn, "
        "%u failed\n",
        saves, reads, changes, torn, failed);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ombrix");
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], kWriterFlag) == 0) return RunWriter(atoi(argv[2]), argv[3]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
