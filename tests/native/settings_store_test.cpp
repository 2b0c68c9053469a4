// The settings store over its files in $XDG_CONFIG_HOME/Ombrix/Quillon: the
// texts written and read for each choice, what a failed load leaves in the
// record, the 256-byte value limit, and where the files go.
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "settings/value_store.h"
#include "support/test_files.h"

namespace {

const char kFilenameType[] = "Filename Type";
const char kPrimaryTag[] = "Primary Tag";
const char kLogWindow[] = "Log Window";

class SettingsStoreTest : public ::testing::Test {
  protected:
    std::string Store() const {
        return folder_.path() + "/Ombrix/Quillon";
    }
    std::string Value(const char* name) const {
        return Store() + "/" + name;
    }
    void Put(const char* name, const std::string& bytes) {
        if (!FolderExists(Store())) {
            MakeFolder(folder_.Path("Ombrix"));
            MakeFolder(Store());
        }
        WriteFile(Value(name), bytes);
    }
    void PutAll(const std::string& format, const std::string& tag, const std::string& log) {
        Put(kFilenameType, format);
        Put(kPrimaryTag, tag);
        Put(kLogWindow, log);
    }

    TempFolder folder_;
    ScopedEnv config_{"XDG_CONFIG_HOME", folder_.path().c_str()};
};

// A record whose every field a load would change.
const Settings kSentinel = {-7, -8, -9, 77};

void ExpectSettings(const Settings& expected, const Settings& actual) {
    EXPECT_EQ(expected.nameFormat, actual.nameFormat);
    EXPECT_EQ(expected.primaryTag, actual.primaryTag);
    EXPECT_EQ(expected.logWindow, actual.logWindow);
    EXPECT_EQ(expected.busy, actual.busy);
}

// ---------------------------------------------------------------- loading

TEST_F(SettingsStoreTest, FirstLoadFailsAndLeavesTheRecordAlone) {
    Settings s = kSentinel;
    EXPECT_EQ(0, LoadSettings(&s));
    ExpectSettings(kSentinel, s);
}

TEST_F(SettingsStoreTest, StoredTextsReadAsChoices) {
    struct Case {
        const char* name;
        std::string text;
        int nameFormat;
        int primaryTag;
        int logWindow;
    };
    // Each text tried in all three values.
    const Case cases[] = {
        {"Title", "Title", 1, 2, 2},
        {"Title-Artist", "Title-Artist", 2, 2, 2},
        {"Artist-Title", "Artist-Title", 3, 2, 2},
        {"title", "title", 3, 2, 2},
        {"TITLE", "TITLE", 3, 2, 2},
        {"Title and a blank", "Title ", 3, 2, 2},
        {"a blank and Title", " Title", 3, 2, 2},
        {"Title and a newline", "Title\n", 3, 2, 2},
        {"empty", "", 3, 2, 2},
        {"V1", "V1", 3, 1, 2},
        {"v1", "v1", 3, 2, 2},
        {"V2", "V2", 3, 2, 2},
        {"OK", "OK", 3, 2, 1},
        {"ok", "ok", 3, 2, 2},
        {"NG", "NG", 3, 2, 2},
        {"a DWORD 1", std::string("\x01\x00\x00\x00", 4), 3, 2, 2},
        {"the text ends at a NUL", std::string("V1\0junk", 7), 3, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutAll(c.text, c.text, c.text);
        Settings s = kSentinel;
        EXPECT_EQ(1, LoadSettings(&s));
        ExpectSettings(Settings{c.nameFormat, c.primaryTag, c.logWindow, kSentinel.busy}, s);
    }
}

TEST_F(SettingsStoreTest, LoadStopsAtTheFirstMissingValue) {
    struct Case {
        const char* missing;
        Settings expected;
    };
    const Case cases[] = {
        {kFilenameType, kSentinel},
        {kPrimaryTag, Settings{2, kSentinel.primaryTag, kSentinel.logWindow, kSentinel.busy}},
        {kLogWindow, Settings{2, 1, kSentinel.logWindow, kSentinel.busy}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        PutAll("Title-Artist", "V1", "OK");
        ASSERT_EQ(0, unlink(Value(c.missing).c_str()));
        Settings s = kSentinel;
        EXPECT_EQ(0, LoadSettings(&s));
        ExpectSettings(c.expected, s);
    }
}

TEST_F(SettingsStoreTest, ValueOver256BytesReadsAsMissing) {
    for (size_t size : {257u, 300u, 5000u}) {
        SCOPED_TRACE(size);
        PutAll("Title", "V1" + std::string(size - 2, ' '), "OK");
        Settings s = kSentinel;
        EXPECT_EQ(0, LoadSettings(&s));
        ExpectSettings(Settings{1, kSentinel.primaryTag, kSentinel.logWindow, kSentinel.busy}, s);
    }
}

TEST_F(SettingsStoreTest, ValueLengthLimits) {
    struct Case {
        size_t size;
        int read;
        size_t textLength;
    };
    const Case cases[] = {{0, 1, 0}, {1, 1, 1}, {255, 1, 255}, {256, 1, 255}, {257, 0, 0}, {300, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string data;
        for (size_t i = 0; i < c.size; ++i) data += static_cast<char>('a' + i % 26);
        Put(kPrimaryTag, data);
        std::vector<char> text(TEXT_BUFFER, '#');
        EXPECT_EQ(c.read, RegReadString(kPrimaryTag, text.data()));
        if (c.read) {
            EXPECT_EQ(data.substr(0, c.textLength), std::string(text.data()));
        } else {
            EXPECT_EQ(std::string(TEXT_BUFFER, '#'), std::string(text.begin(), text.end())) << "text touched";
        }
    }
}

TEST_F(SettingsStoreTest, FolderInPlaceOfAValue) {
    PutAll("Title", "V1", "OK");
    ASSERT_EQ(0, unlink(Value(kFilenameType).c_str()));
    MakeFolder(Value(kFilenameType));

    std::vector<char> text(TEXT_BUFFER, '#');
    EXPECT_EQ(0, RegReadString(kFilenameType, text.data()));
    EXPECT_EQ('#', text[0]);
    EXPECT_EQ(0, RegWriteString(kFilenameType, "Title"));
    EXPECT_TRUE(FolderExists(Value(kFilenameType)));

    // Each write is tried even after one failed.
    SaveSettings(Settings{2, 2, 2, 0});
    EXPECT_EQ("V2", ReadFile(Value(kPrimaryTag)));
    EXPECT_EQ("NG", ReadFile(Value(kLogWindow)));
    // The failed writes left nothing behind.
    EXPECT_EQ((std::vector<std::string>{"Filename Type", "Log Window", "Primary Tag"}), ListFolder(Store()));
    Settings s = kSentinel;
    EXPECT_EQ(0, LoadSettings(&s));
    ExpectSettings(kSentinel, s);
}

// ---------------------------------------------------------------- saving

TEST_F(SettingsStoreTest, SavedTextsAndWhatTheyLoadAs) {
    struct Case {
        Settings saved;
        const char* format;
        const char* tag;
        const char* log;
        Settings loaded;
    };
    const Case cases[] = {
        {{1, 2, 2, 0}, "Title", "V2", "NG", {1, 2, 2, 55}},
        {{2, 1, 1, 1}, "Title-Artist", "V1", "OK", {2, 1, 1, 55}},
        {{3, 2, 1, 0}, "Artist-Title", "V2", "OK", {3, 2, 1, 55}},
        {{0, 0, 0, 0}, "Artist-Title", "V2", "NG", {3, 2, 2, 55}},
        {{4, -1, 3, 9}, "Artist-Title", "V2", "NG", {3, 2, 2, 55}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        SaveSettings(c.saved);
        // The files hold exactly the texts: no newline, no terminator.
        EXPECT_EQ(c.format, ReadFile(Value(kFilenameType)));
        EXPECT_EQ(c.tag, ReadFile(Value(kPrimaryTag)));
        EXPECT_EQ(c.log, ReadFile(Value(kLogWindow)));
        Settings s = {0, 0, 0, 55};
        EXPECT_EQ(1, LoadSettings(&s));
        ExpectSettings(c.loaded, s);
    }
}

TEST_F(SettingsStoreTest, ShorterTextReplacesALongerOneWhole) {
    Put(kFilenameType, "Title-Artist and much more");
    EXPECT_EQ(1, RegWriteString(kFilenameType, "Title"));
    EXPECT_EQ("Title", ReadFile(Value(kFilenameType)));
}

TEST_F(SettingsStoreTest, WritesLeaveNoOtherFiles) {
    SaveSettings(kDefaultSettings);
    SaveSettings(Settings{2, 1, 1, 0});
    EXPECT_EQ("Title-Artist", ReadFile(Value(kFilenameType)));
    EXPECT_EQ("V1", ReadFile(Value(kPrimaryTag)));
    EXPECT_EQ("OK", ReadFile(Value(kLogWindow)));
    EXPECT_EQ((std::vector<std::string>{"Filename Type", "Log Window", "Primary Tag"}), ListFolder(Store()));
    EXPECT_EQ(std::vector<std::string>{"Ombrix"}, ListFolder(folder_.path()));
}

TEST_F(SettingsStoreTest, DefaultsAreTitleV2Ng) {
    SaveSettings(kDefaultSettings);
    EXPECT_EQ("Title", ReadFile(Value(kFilenameType)));
    EXPECT_EQ("V2", ReadFile(Value(kPrimaryTag)));
    EXPECT_EQ("NG", ReadFile(Value(kLogWindow)));
}

// ---------------------------------------------------------------- where

TEST_F(SettingsStoreTest, WriteCreatesMissingFolders) {
    const std::string deep = folder_.Path("a/b/c");
    ScopedEnv config("XDG_CONFIG_HOME", deep.c_str());
    EXPECT_EQ(1, RegWriteString(kLogWindow, "OK"));
    EXPECT_EQ("OK", ReadFile(deep + "/Ombrix/Quillon/Log Window"));
}

TEST_F(SettingsStoreTest, WithoutXdgConfigHomeTheStoreIsUnderHome) {
    const std::string home = folder_.Path("home");
    MakeFolder(home);
    ScopedEnv homeEnv("HOME", home.c_str());
    // Unset, empty and relative all mean the default place.
    for (const char* config : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        SCOPED_TRACE(config == nullptr ? "unset" : config);
        ScopedEnv configEnv("XDG_CONFIG_HOME", config);
        SaveSettings(Settings{2, 1, 1, 0});
        EXPECT_EQ("Title-Artist", ReadFile(home + "/.config/Ombrix/Quillon/Filename Type"));
        Settings s = kSentinel;
        EXPECT_EQ(1, LoadSettings(&s));
        ExpectSettings(Settings{2, 1, 1, kSentinel.busy}, s);
        ASSERT_EQ(0, unlink((home + "/.config/Ombrix/Quillon/Filename Type").c_str()));
    }
}

TEST_F(SettingsStoreTest, UnusableStoreFolderFailsEveryCallAndSaveStoresNothing) {
    WriteFile(folder_.Path("Ombrix"), "a file where the folder should be");
    SaveSettings(Settings{2, 1, 1, 0});
    EXPECT_EQ(std::vector<std::string>{"Ombrix"}, ListFolder(folder_.path()));
    EXPECT_EQ(0, RegWriteString(kLogWindow, "OK"));
    Settings s = kSentinel;
    EXPECT_EQ(0, LoadSettings(&s));
    ExpectSettings(kSentinel, s);
    EXPECT_EQ("a file where the folder should be", ReadFile(folder_.Path("Ombrix")));
}

}  // namespace
