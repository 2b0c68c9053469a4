// The settings store under faults (a value that cannot be written, values too
// long, a value missing) and under concurrent use by several processes.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <set>

#include "support/test_files.h"
#include "settings/settings_store.h"
#include "settings/value_store.h"

namespace {

// Points the store at a scratch folder for the life of the object.
class ScratchStore {
  public:
    ScratchStore() : folder_("settings") {
        const char* old = getenv("XDG_CONFIG_HOME");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    }
    ~ScratchStore() {
        if (had_) {
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    // The folder that holds one file per value.
    std::string Values() const {
        return folder_.path() + "/Ombrix/Quillon";
    }
    std::string Value(const char* name) const {
        return Values() + "/" + name;
    }
    void MakeValues() const {
        MakeFolder(folder_.path() + "/Ombrix");
        MakeFolder(Values());
    }

  private:
    TempFolder folder_;
    std::string old_;
    bool had_ = false;
};

const Settings kUntouched = {-7, -8, -9, 42};

bool SameSettings(const Settings& a, const Settings& b) {
    return a.nameFormat == b.nameFormat && a.primaryTag == b.primaryTag && a.logWindow == b.logWindow &&
           a.busy == b.busy;
}

}  // namespace

TEST(SettingsFaults, FolderInPlaceOfAValueFailsOnlyThatValue) {
    ScratchStore store;
    store.MakeValues();
    MakeFolder(store.Value("Filename Type"));
    SaveSettings(Settings{NAME_TITLE_ARTIST, PRIMARY_V1, LOG_SHOW, 0});
    std::string text;
    EXPECT_TRUE(ReadFile(store.Value("Primary Tag"), &text));
    EXPECT_EQ("V1", text);
    EXPECT_TRUE(ReadFile(store.Value("Log Window"), &text));
    EXPECT_EQ("OK", text);
    // The failed write leaves no private file behind.
    std::vector<std::string> expected = {"Filename Type", "Log Window", "Primary Tag"};
    EXPECT_EQ(expected, ListFolder(store.Values()));
    EXPECT_TRUE(ListFolder(store.Value("Filename Type")).empty());

    Settings settings = kUntouched;
    EXPECT_EQ(0, LoadSettings(&settings));
    EXPECT_TRUE(SameSettings(kUntouched, settings));
}

TEST(SettingsFaults, StoreThatCannotBeCreatedFailsEveryValue) {
    ScratchStore store;
    // A file where the folder "Ombrix" should be.
    std::string blocker = store.Values().substr(0, store.Values().size() - strlen("/Quillon"));
    WriteFile(blocker, "not a folder");
    SaveSettings(Settings{NAME_TITLE, PRIMARY_V1, LOG_SHOW, 0});
    std::string stored;
    EXPECT_TRUE(ReadFile(blocker, &stored));
    EXPECT_EQ("not a folder", stored);
    char text[256] = "unchanged";
    EXPECT_EQ(0, RegWriteString("Filename Type", "Title"));
    EXPECT_EQ(0, RegReadString("Filename Type", text));
    EXPECT_STREQ("unchanged", text);
    Settings settings = kUntouched;
    EXPECT_EQ(0, LoadSettings(&settings));
    EXPECT_TRUE(SameSettings(kUntouched, settings));
}

TEST(SettingsFaults, ValueOver256BytesReadsAsMissingAnd256BytesIsRead) {
    ScratchStore store;
    store.MakeValues();
    // 256 bytes: "Title-Artist", a NUL, and filler; the text ends at the NUL.
    std::string fits = std::string("Title-Artist") + '\0';
    fits.resize(256, 'x');
    WriteFile(store.Value("Filename Type"), fits);
    WriteFile(store.Value("Primary Tag"), std::string(257, 'V'));
    WriteFile(store.Value("Log Window"), "OK");
    Settings settings = kUntouched;
    EXPECT_EQ(0, LoadSettings(&settings));
    EXPECT_EQ(NAME_TITLE_ARTIST, settings.nameFormat);
    EXPECT_EQ(kUntouched.primaryTag, settings.primaryTag);
    EXPECT_EQ(kUntouched.logWindow, settings.logWindow);
    EXPECT_EQ(kUntouched.busy, settings.busy);

    // 256 bytes without a NUL: 255 of them are the text.
    WriteFile(store.Value("Primary Tag"), std::string(256, 'V'));
    char text[256];
    memset(text, 0x5A, sizeof text);
    ASSERT_EQ(1, RegReadString("Primary Tag", text));
    EXPECT_EQ(std::string(255, 'V'), std::string(text));
    EXPECT_EQ(1, LoadSettings(&settings));
    EXPECT_EQ(PRIMARY_V2, settings.primaryTag);
    EXPECT_EQ(LOG_SHOW, settings.logWindow);
}

TEST(SettingsFaults, MissingValueStopsTheLoadThereAndKeepsLaterFields) {
    ScratchStore store;
    store.MakeValues();
    WriteFile(store.Value("Filename Type"), "Title");
    WriteFile(store.Value("Log Window"), "OK");
    Settings settings = kUntouched;
    EXPECT_EQ(0, LoadSettings(&settings));
    EXPECT_EQ(NAME_TITLE, settings.nameFormat);
    EXPECT_EQ(kUntouched.primaryTag, settings.primaryTag);
    EXPECT_EQ(kUntouched.logWindow, settings.logWindow);
}

// Two processes save different settings over and over while a third loads:
// each value read is whole, one writer's text or the other's, and no private
// file is left once they are done.
TEST(SettingsConcurrency, ReadersSeeWholeValuesWhileTwoProcessesSave) {
    ScratchStore store;
    const Settings first = {NAME_TITLE, PRIMARY_V1, LOG_SHOW, 0};
    const Settings second = {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    SaveSettings(first);

    struct Shared {
        std::atomic<unsigned> go, reads, torn, failed, changes;
    };
    void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, memory);
    Shared* shared = new (memory) Shared();

    // The writers hold the pipe's write end: the reader stops at its end of file.
    int done[2];
    ASSERT_EQ(0, pipe(done));
    const int kSaves = 400;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            close(done[0]);
            while (shared->go.load() == 0) sched_yield();
            for (int k = 0; k < kSaves; ++k) {
                SaveSettings(w == 0 ? first : second);
                sched_yield();
            }
            _exit(0);
        }
    }
    close(done[1]);
    // All three start together, so that the saves and the loads overlap.
    shared->go = 1;
    int status = RunInChild(
        [&]() {
            const std::set<std::string> kWhole[3] = {{"Title", "Title-Artist"}, {"V1", "V2"}, {"OK", "NG"}};
            const char* const kNames[3] = {"Filename Type", "Primary Tag", "Log Window"};
            std::string last;
            struct pollfd end = {done[0], POLLIN, 0};
            while (poll(&end, 1, 0) == 0) {
                for (int v = 0; v < 3; ++v) {
                    char text[256];
                    ++shared->reads;
                    if (!RegReadString(kNames[v], text)) {
                        ++shared->failed;
                    } else if (kWhole[v].count(text) == 0) {
                        ++shared->torn;
                        fprintf(stderr, "torn value %s: [%s]\n", kNames[v], text);
                    } else if (v == 0) {
                        if (!last.empty() && last != text) ++shared->changes;
                        last = text;
                    }
                }
                Settings loaded = {0, 0, 0, 0};
                ++shared->reads;
                if (!LoadSettings(&loaded)) ++shared->failed;
            }
            return 0;
        },
        false);
    close(done[0]);
    for (pid_t writer : writers) {
        int writerStatus = 0;
        waitpid(writer, &writerStatus, 0);
        EXPECT_TRUE(WIFEXITED(writerStatus) && WEXITSTATUS(writerStatus) == 0);
    }
    EXPECT_EQ(0, status);
    EXPECT_EQ(0u, shared->torn.load());
    EXPECT_EQ(0u, shared->failed.load());
    EXPECT_GT(shared->reads.load(), 0u);
    printf("[settings] %d saves by each of 2 writers, %u reads, %u changes seen, %u torn, %u failed\n", kSaves,
           shared->reads.load(), shared->changes.load(), shared->torn.load(), shared->failed.load());
    std::vector<std::string> expected = {"Filename Type", "Log Window", "Primary Tag"};
    EXPECT_EQ(expected, ListFolder(store.Values()));
    shared->~Shared();
    munmap(memory, sizeof(Shared));
}
