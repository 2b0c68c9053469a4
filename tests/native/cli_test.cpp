// The Linux front end run as a program: its log lines and exit status, the
// settings it starts with and saves, its options, and the dry run.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/id3_bytes.h"
#include "support/outcome_messages.h"
#include "support/test_files.h"

namespace {

std::string Ready() {
    return "READY.\n";
}

class CliTest : public ::testing::Test {
  protected:
    CliTest() {
        MakeFolder(music_);
    }

    ProgramRun Run(const std::vector<std::string>& args, const std::string& cwd = "") {
        std::vector<std::string> all = {QUILLON_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all, cwd);
    }

    std::string Make(const std::string& name, const std::string& content) {
        std::string path = music_ + "/" + name;
        WriteFile(path, content);
        return path;
    }

    std::string Stored(const char* name) const {
        return ReadFile(config_ + "/Ombrix/Quillon/" + name);
    }

    TempFolder folder_;
    std::string music_ = folder_.Path("music");
    std::string config_ = folder_.Path("config");
    ScopedEnv env_{"XDG_CONFIG_HOME", config_.c_str()};
    std::string state_ = folder_.Path("state");
    ScopedEnv stateEnv_{"XDG_STATE_HOME", state_.c_str()};
};

TEST_F(CliTest, FirstRunStoresTheDefaults) {
    ProgramRun run = Run({"--show-settings"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("format: title\nprimary-tag: v2\nlog-window: hide\n", run.out);
    EXPECT_EQ("Title", Stored("Filename Type"));
    EXPECT_EQ("V2", Stored("Primary Tag"));
    EXPECT_EQ("NG", Stored("Log Window"));
}

TEST_F(CliTest, FirstRunWithFilesStoresTheDefaultsAndUsesThem) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band", "Old", "Older"));
    ProgramRun run = Run({path});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(LogLine(6, path) + Ready(), run.out);
    EXPECT_EQ(std::vector<std::string>{"Song.mp3"}, ListFolder(music_));
    EXPECT_EQ("Title", Stored("Filename Type"));
}

TEST_F(CliTest, OneLinePerOutcomeThenReady) {
    MakeFolder(music_ + "/folder.mp3");
    std::vector<std::string> paths = {
        Make("ok.mp3", TaggedMp3("Fine", "Band")),
        music_ + "/missing.mp3",
        Make("text.mp3", "plain text, not audio\n"),
        Make("untagged.mp3", Bytes().Raw({0xFF, 0xFB, 0x90, 0x64}).Fill(300, 0x55)),
        Make("untitled.mp3", TaggedMp3("", "Band")),
        Make("forbidden.mp3", TaggedMp3("A<B", "Band")),
        music_ + "/folder.mp3",
    };
    const int codes[] = {6, 1, 2, 3, 4, 5, 1};
    ProgramRun run = Run(paths);
    std::string expected;
    for (size_t i = 0; i < paths.size(); ++i) expected += LogLine(codes[i], paths[i]);
    EXPECT_EQ(expected + Ready(), run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ((std::vector<std::string>{"Fine.mp3", "folder.mp3", "forbidden.mp3", "text.mp3", "untagged.mp3",
                                        "untitled.mp3"}),
              ListFolder(music_));
}

// The messages follow the locale; the lines' shape, READY. and the exit status
// do not. Japanese only where the locale says ja.
TEST_F(CliTest, MessagesInTheLanguageOfTheLocale) {
    const struct {
        const char *lcAll, *lang;
        std::string (*message)(int);
    } rows[] = {{nullptr, "ja_JP.UTF-8", OutcomeMessage},
                {nullptr, "en_US.UTF-8", EnglishOutcomeMessage},
                {"C", "ja_JP.UTF-8", EnglishOutcomeMessage},
                {nullptr, nullptr, EnglishOutcomeMessage}};
    const std::pair<const char*, std::string> files[] = {{"missing.mp3", ""},
                                                         {"ok.mp3", TaggedMp3("Fine")},
                                                         {"text.mp3", "text"},
                                                         {"bare.mp3", Bytes().Raw({0xFF, 0xFB, 0x90}).Fill(300, 0x55)},
                                                         {"untitled.mp3", TaggedMp3("", "Band")},
                                                         {"bad.mp3", TaggedMp3("A|B")}};
    const int codes[] = {1, 6, 2, 3, 4, 5};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lcAll ? row.lcAll : "-") + " " + (row.lang ? row.lang : "-"));
        ScopedEnv lcAll("LC_ALL", row.lcAll), lang("LANG", row.lang), messages("LC_MESSAGES", nullptr);
        TempFolder folder;
        std::vector<std::string> paths;
        std::string expected;
        for (size_t i = 0; i < 6; ++i) {
            paths.push_back(folder.Path(files[i].first));
            if (i > 0) WriteFile(paths[i], files[i].second);
            expected += row.message(codes[i]) + " - " + paths[i] + "\n";
        }
        ProgramRun run = Run(paths);
        EXPECT_EQ(expected + Ready(), run.out);
        EXPECT_EQ(1, run.status);
        EXPECT_EQ("quillon: unknown option\nTry 'quillon --help' for more information.\n", Run({"--bogus"}).err);
    }
}

TEST_F(CliTest, TakenNameIsAnAccessFailure) {
    std::string first = Make("first.mp3", TaggedMp3("Twin", "Band"));
    std::string second = Make("second.mp3", TaggedMp3("Twin", "Band"));
    const uint64_t hash = FileHash(second);
    ProgramRun run = Run({first, second});
    EXPECT_EQ(LogLine(6, first) + LogLine(1, second) + Ready(), run.out);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(hash, FileHash(second));
}

TEST_F(CliTest, PathOver255BytesIsShownWholeAndLeftAlone) {
    ASSERT_LT(music_.size(), 200u) << "temp folder path too long for this test";
    const std::string sub = music_ + "/" + std::string(250 - music_.size(), 'd');
    MakeFolder(sub);
    const std::string path = sub + "/long-name.mp3";
    ASSERT_GT(path.size(), 255u);
    WriteFile(path, TaggedMp3("Song", "Band"));
    ProgramRun run = Run({path});
    EXPECT_EQ(LogLine(1, path) + Ready(), run.out);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(std::vector<std::string>{"long-name.mp3"}, ListFolder(sub));
}

TEST_F(CliTest, UsageErrorsChangeNothing) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", path},
        {"-x", path},
        {path, "--format"},
        {"--format=xyz", path},
        {"--format", "Title", path},
        {"--primary-tag=v3", path},
        {"--log-window=maybe", path},
        {"--dry-run"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? "no arguments" : args[0]);
        ProgramRun run = Run(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_NE("", run.err);
        EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListFolder(music_));
        EXPECT_FALSE(FolderExists(config_)) << "a usage error stored settings";
    }
}

TEST_F(CliTest, DryRunShowsNewNamesAndRenamesNothing) {
    std::string song = Make("song.wav", TaggedMp3("Song", "Band"));
    std::string twin = Make("twin.mp3", TaggedMp3("Twin", "Band"));
    Make("Twin.mp3", "already here");
    std::string bare = Make("bare.mp3", Bytes().Raw({0xFF, 0xFB, 0x90}).Fill(300, 0x55));
    const std::vector<std::string> before = ListFolder(music_);
    const uint64_t hash = FileHash(song);

    ProgramRun run = Run({"--dry-run", song, twin, bare});
    EXPECT_EQ(OutcomeMessage(6) + " - " + song + " -> " + music_ + "/Song.mp3\n" + LogLine(1, twin) + LogLine(3, bare) +
                  Ready(),
              run.out);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(before, ListFolder(music_));
    EXPECT_EQ(hash, FileHash(song));

    run = Run({"-n", song});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(before, ListFolder(music_));
}

// The dry run is the batch over a plan of the names: a name that an earlier
// file of the same run takes is refused, one that it frees is free, exactly
// as the real run that follows finds them.
TEST_F(CliTest, DryRunSaysWhatTheRealRunDoes) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;  // name, title
        std::vector<std::string> dropped;
    };
    const Case cases[] = {
        {"two files wanting one name", {{"x.mp3", "Twin"}, {"y.mp3", "Twin"}}, {"x.mp3", "y.mp3"}},
        {"the same path twice", {{"a.mp3", "Song"}}, {"a.mp3", "a.mp3"}},
        {"a name freed by the file before", {{"a.mp3", "b"}, {"b.mp3", "c"}}, {"b.mp3", "a.mp3"}},
        {"a name still taken", {{"a.mp3", "b"}, {"b.mp3", "c"}}, {"a.mp3", "b.mp3"}},
        {"a file and the name it gets", {{"a.mp3", "T"}}, {"a.mp3", "T.mp3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const auto& file : c.files) WriteFile(folder.Path(file.first), TaggedMp3(file.second, "Band"));
        std::vector<std::string> args = {"--dry-run"};
        for (const std::string& name : c.dropped) args.push_back(folder.Path(name));
        ProgramRun dry = Run(args);
        const std::vector<std::string> before = ListFolder(folder.path());
        args.erase(args.begin());
        ProgramRun real = Run(args);
        // The dry run's lines are the real ones with " -> NEW" on each renamed file.
        std::string planned = dry.out, unplanned;
        std::vector<std::string> targets;
        for (size_t at = 0, end; (end = planned.find('\n', at)) != std::string::npos; at = end + 1) {
            std::string line = planned.substr(at, end - at);
            size_t arrow = line.find(" -> ");
            if (arrow != std::string::npos) {
                targets.push_back(line.substr(arrow + 4).substr(folder.path().size() + 1));
                line.resize(arrow);
            }
            unplanned += line + "\n";
        }
        EXPECT_EQ(real.out, unplanned);
        EXPECT_EQ(real.status, dry.status);
        std::vector<std::string> after = ListFolder(folder.path());
        for (const std::string& target : targets) {
            EXPECT_NE(after.end(), std::find(after.begin(), after.end(), target)) << target;
        }
        EXPECT_NE(before, after);
    }
}

// A path is shown with its control characters and backslashes escaped, as
// ls -b shows them: a name cannot pass for a line of the program's own.
TEST_F(CliTest, ControlCharactersInPathsAreShownEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"x\n○正常終了 - important.mp3", "x\\n○正常終了 - important.mp3"},
        {"tab\there.mp3", "tab\\there.mp3"},
        {"bell\a\x1b[2J.mp3", "bell\\007\\033[2J.mp3"},
        {"back\\slash.mp3", "back\\\\slash.mp3"},
        {"del\x7f.mp3", "del\\177.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        std::string path = Make(c.first, "not an MP3 file");
        for (const char* option : {"--format=title", "--dry-run"}) {
            ProgramRun run = Run({option, path});
            EXPECT_EQ(LogLine(2, music_ + "/" + c.second) + Ready(), run.out);
        }
    }
}

// A tag may hold a line feed or a tab; no file system takes one in a name,
// so the file keeps its name as the Windows program's does.
TEST_F(CliTest, TitleWithAControlCharacterLeavesTheFileAsItWas) {
    for (const char* title : {"Line\nBreak", "Tab\tbed", "Bell\a"}) {
        SCOPED_TRACE(title);
        std::string path = Make("control.mp3", TaggedMp3(title, "Band"));
        const uint64_t hash = FileHash(path);
        EXPECT_EQ(LogLine(1, path) + Ready(), Run({"--dry-run", path}).out);
        ProgramRun run = Run({path});
        EXPECT_EQ(LogLine(1, path) + Ready(), run.out);
        EXPECT_EQ(1, run.status);
        EXPECT_EQ(std::vector<std::string>{"control.mp3"}, ListFolder(music_));
        EXPECT_EQ(hash, FileHash(path));
    }
}

// Output that never reached its reader is an error, whatever was asked.
TEST_F(CliTest, WriteErrorOnStandardOutputIsReported) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    const std::vector<std::vector<std::string>> cases = {
        {"--dry-run", path}, {"--show-settings"}, {"--version"}, {"--help"}, {path},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        std::vector<std::string> all = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", QUILLON_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        ProgramRun run = RunProgram(all);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ(0u, run.err.find("quillon: write error: ")) << run.err;
    }
    // The renames themselves went through.
    EXPECT_EQ(std::vector<std::string>{"Song.mp3"}, ListFolder(music_));
}

TEST_F(CliTest, SavedChoicesApplyToTheNextRun) {
    ProgramRun run = Run({"--format=artist-title", "--primary-tag=v1", "--log-window=show"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ("Artist-Title", Stored("Filename Type"));
    EXPECT_EQ("V1", Stored("Primary Tag"));
    EXPECT_EQ("OK", Stored("Log Window"));

    std::string path = Make("a.mp3", TaggedMp3("T2", "A2", "T1", "A1"));
    run = Run({path});
    EXPECT_EQ(LogLine(6, path) + Ready(), run.out);
    EXPECT_EQ(std::vector<std::string>{"A1 - T1.mp3"}, ListFolder(music_));

    // One choice changed; the others stay as stored.
    run = Run({"-f", "title-artist", "--show-settings"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("format: title-artist\nprimary-tag: v1\nlog-window: show\n", run.out);
    EXPECT_EQ("Title-Artist", Stored("Filename Type"));
    EXPECT_EQ("V1", Stored("Primary Tag"));
}

TEST_F(CliTest, ChoiceGivenWithFilesIsSavedAndUsedAtOnce) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    ProgramRun run = Run({"--format=title-artist", path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(std::vector<std::string>{"Song - Band.mp3"}, ListFolder(music_));
    EXPECT_EQ("Title-Artist", Stored("Filename Type"));
}

TEST_F(CliTest, StoredTextsAreReadAsTheWindowsProgramWritesThem) {
    MakeFolder(config_);
    MakeFolder(config_ + "/Ombrix");
    MakeFolder(config_ + "/Ombrix/Quillon");
    WriteFile(config_ + "/Ombrix/Quillon/Filename Type", "Title-Artist");
    WriteFile(config_ + "/Ombrix/Quillon/Primary Tag", "v1");  // not "V1": reads as V2
    WriteFile(config_ + "/Ombrix/Quillon/Log Window", "OK");
    std::string path = Make("a.mp3", TaggedMp3("T2", "A2", "T1", "A1"));
    ProgramRun run = Run({path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(std::vector<std::string>{"T2 - A2.mp3"}, ListFolder(music_));
    // A successful load stores nothing back.
    EXPECT_EQ("v1", Stored("Primary Tag"));
}

// A store that reads but cannot be written: "Filename Type" holds a choice,
// "Primary Tag" is missing, and the folder refuses new files. The failed load
// gives way to all three defaults for the run, the value it did read included.
TEST_F(CliTest, UnwritableStoreWithAValueMissingRunsOnTheDefaults) {
    std::string store = config_ + "/Ombrix/Quillon";
    MakeFolder(config_);
    MakeFolder(config_ + "/Ombrix");
    MakeFolder(store);
    WriteFile(store + "/Filename Type", "Title-Artist");
    WriteFile(store + "/Log Window", "OK");
    std::string path = Make("t.mp3", TaggedMp3("Song", "Band"));
    chmod(store.c_str(), 0555);
    // Root writes through permissions; the immutable flag stops it too.
    bool immutable = access(store.c_str(), W_OK) == 0 && system(("chattr +i '" + store + "' 2>/dev/null").c_str()) == 0;
    bool writable = access(store.c_str(), W_OK) == 0 && !immutable;
    ProgramRun run;
    if (!writable) run = Run({"--show-settings", "--dry-run", path});
    if (immutable) {
        EXPECT_EQ(0, system(("chattr -i '" + store + "'").c_str()));
    }
    chmod(store.c_str(), 0755);
    if (writable) GTEST_SKIP() << "the store folder could not be made unwritable here";

    EXPECT_EQ("format: title\nprimary-tag: v2\nlog-window: hide\n" + OutcomeMessage(6) + " - " + path + " -> " +
                  music_ + "/Song.mp3\n" + Ready(),
              run.out);
    EXPECT_EQ("Title-Artist", Stored("Filename Type"));
    EXPECT_FALSE(FileExists(store + "/Primary Tag"));
}

// A choice the store refused is not reported as made: the run says where and
// why, stops before any file, and shows what the store holds.
TEST_F(CliTest, ChoiceTheStoreRefusesIsAnError) {
    std::string store = config_ + "/Ombrix/Quillon";
    ASSERT_EQ(0, Run({"--show-settings"}).status);  // the defaults, stored
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    chmod(store.c_str(), 0555);
    bool immutable = access(store.c_str(), W_OK) == 0 && system(("chattr +i '" + store + "' 2>/dev/null").c_str()) == 0;
    bool writable = access(store.c_str(), W_OK) == 0 && !immutable;
    ProgramRun run;
    if (!writable) run = Run({"--format=artist-title", "--show-settings", path});
    if (immutable) {
        EXPECT_EQ(0, system(("chattr -i '" + store + "'").c_str()));
    }
    chmod(store.c_str(), 0755);
    if (writable) GTEST_SKIP() << "the store folder could not be made unwritable here";

    EXPECT_EQ(2, run.status);
    EXPECT_EQ(0u, run.err.find("quillon: cannot save the settings in " + store + ": ")) << run.err;
    EXPECT_EQ("format: title\nprimary-tag: v2\nlog-window: hide\n", run.out);
    EXPECT_EQ("Title", Stored("Filename Type"));
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListFolder(music_));
}

TEST_F(CliTest, DoubleDashLetsAFileNamedLikeAnOptionThrough) {
    Make("-n", TaggedMp3("Dash", "Band"));
    ProgramRun run = Run({"--", "-n"}, music_);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(LogLine(6, "-n") + Ready(), run.out);
    EXPECT_EQ(std::vector<std::string>{"Dash.mp3"}, ListFolder(music_));
}

TEST_F(CliTest, HelpAndVersion) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        ProgramRun run = Run({option, path});
        EXPECT_EQ(0, run.status);
        EXPECT_EQ(0u, run.out.find("Usage: quillon [OPTION]... [--] FILE...\n"));
        EXPECT_NE(std::string::npos, run.out.find("--dry-run"));
        EXPECT_EQ("", run.err);
    }
    for (const char* option : {"--version", "-V"}) {
        SCOPED_TRACE(option);
        ProgramRun run = Run({option});
        EXPECT_EQ(0, run.status);
        ASSERT_EQ(0u, run.out.find("quillon "));
        EXPECT_GT(run.out.size(), 9u);
        EXPECT_EQ(run.out.size() - 1, run.out.find('\n'));
    }
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListFolder(music_));
    EXPECT_FALSE(FolderExists(config_));
}

// ---------------------------------------------------------------- undo

class UndoTest : public CliTest {
  protected:
    // The journal's batch files, oldest first.
    std::vector<std::string> Batches() {
        std::vector<std::string> batches;
        for (const std::string& name : ListFolder(state_ + "/Ombrix/Quillon")) {
            if (name.size() > 8 && name.compare(name.size() - 8, 8, ".journal") == 0) batches.push_back(name);
        }
        return batches;
    }
    std::string Journal(const std::string& name) {
        return state_ + "/Ombrix/Quillon/" + name;
    }
    static std::string Back(const std::string& from, const std::string& to) {
        return OutcomeMessage(6) + " - " + from + " -> " + to + "\n";
    }
    static std::string Left(const std::string& path, const std::string& why) {
        return OutcomeMessage(1) + " - " + path + " (" + why + "; left as it is)\n";
    }
    // `count` tagged files in `folder`, their paths in order.
    std::vector<std::string> Tracks(const std::string& folder, int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder + "/track" + std::to_string(1000 + i) + ".mp3");
            WriteFile(paths.back(), TaggedMp3("Song " + std::to_string(i), "Band"));
        }
        return paths;
    }
    // The program `args[0]`, its standard output into a pipe read as `out`.
    pid_t Start(const std::vector<std::string>& args, int* out) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return -1;
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 2);
            dup2(pipeFds[1], 1);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        *out = pipeFds[0];
        return pid;
    }
    // After a run that ended anyhow: one --undo puts every file back under
    // its old name, with nothing said to be missing.
    void ExpectUndoRestores(const Snapshot& before, const std::string& folder) {
        ProgramRun undo = Run({"--undo"});
        EXPECT_EQ(0, undo.status) << undo.out << undo.err;
        EXPECT_EQ(std::string::npos, undo.out.find("no file has this name")) << undo.out;
        EXPECT_TRUE(before == TakeSnapshot(folder)) << "not every file is back";
    }
};

TEST_F(UndoTest, UndoPutsEveryFileBackWithItsBytes) {
    std::vector<std::string> paths = {Make("one.mp3", TaggedMp3("First", "Band")),
                                      Make("two words.mp3", TaggedMp3("Second", "Band")),
                                      Make("三.mp3", TaggedMp3("曲名", "歌手"))};
    std::vector<uint64_t> hashes;
    for (const std::string& path : paths) hashes.push_back(FileHash(path));
    const std::vector<std::string> before = ListFolder(music_);
    // Relative paths: the journal keeps them whole.
    ASSERT_EQ(0, Run({"one.mp3", "two words.mp3", "三.mp3"}, music_).status);
    ASSERT_EQ((std::vector<std::string>{"First.mp3", "Second.mp3", "曲名.mp3"}), ListFolder(music_));

    ProgramRun dry = Run({"--undo", "--dry-run"});
    ProgramRun run = Run({"--undo"});
    std::string expected = Back(music_ + "/曲名.mp3", paths[2]) + Back(music_ + "/Second.mp3", paths[1]) +
                           Back(music_ + "/First.mp3", paths[0]) + Ready();
    EXPECT_EQ(expected, dry.out);
    EXPECT_EQ(expected, run.out);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(before, ListFolder(music_));
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(hashes[i], FileHash(paths[i]));
}

// A file changed, replaced or crowded out since the run stays as it is; the
// others still go back.
TEST_F(UndoTest, UndoLeavesAFileItCannotTrust) {
    std::string keep = Make("keep.mp3", TaggedMp3("Keep", "Band"));
    Make("edit.mp3", TaggedMp3("Edited", "Band"));
    Make("swap.mp3", TaggedMp3("Swapped", "Band"));
    Make("crowd.mp3", TaggedMp3("Crowded", "Band"));
    Make("gone.mp3", TaggedMp3("Gone", "Band"));
    ASSERT_EQ(
        0, Run({keep, music_ + "/edit.mp3", music_ + "/swap.mp3", music_ + "/crowd.mp3", music_ + "/gone.mp3"}).status);
    WriteFile(music_ + "/Edited.mp3", TaggedMp3("Edited", "Band") + "more");  // rewritten in place
    ASSERT_EQ(0, rename((music_ + "/Swapped.mp3").c_str(), (music_ + "/elsewhere.mp3").c_str()));
    WriteFile(music_ + "/Swapped.mp3", "another file");  // a new file under the name
    WriteFile(music_ + "/crowd.mp3", "someone took the old name");
    ASSERT_EQ(0, unlink((music_ + "/Gone.mp3").c_str()));

    ProgramRun run = Run({"--undo"});
    EXPECT_EQ(1, run.status);
    auto refused = [&](const std::string& name, const std::string& why) {
        return OutcomeMessage(1) + " - " + music_ + "/" + name + " (" + why + "; left as it is)\n";
    };
    EXPECT_EQ(refused("Gone.mp3", "no file has this name any more") +
                  refused("Crowded.mp3", "its old name " + music_ + "/crowd.mp3 is taken") +
                  refused("Swapped.mp3", "the file was changed or replaced since") +
                  refused("Edited.mp3", "the file was changed or replaced since") + Back(music_ + "/Keep.mp3", keep) +
                  Ready(),
              run.out);
    EXPECT_EQ((std::vector<std::string>{"Crowded.mp3", "Edited.mp3", "Swapped.mp3", "crowd.mp3", "elsewhere.mp3",
                                        "keep.mp3"}),
              ListFolder(music_));
    EXPECT_EQ("another file", ReadFile(music_ + "/Swapped.mp3"));
}

TEST_F(UndoTest, EachUndoTakesTheRunBefore) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    ASSERT_EQ(0, Run({path}).status);
    ASSERT_EQ(0, Run({"--format=artist-title", music_ + "/Song.mp3"}).status);
    ASSERT_EQ(std::vector<std::string>{"Band - Song.mp3"}, ListFolder(music_));
    EXPECT_EQ(Back(music_ + "/Band - Song.mp3", music_ + "/Song.mp3") + Ready(), Run({"--undo"}).out);
    EXPECT_EQ(Back(music_ + "/Song.mp3", path) + Ready(), Run({"--undo"}).out);
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListFolder(music_));
    ProgramRun none = Run({"--undo"});
    EXPECT_EQ(1, none.status);
    EXPECT_EQ("", none.out);
    EXPECT_EQ(0u, none.err.find("quillon: nothing to undo")) << none.err;
    // A journal of the earlier format is not read, and said to be there.
    WriteFile(state_ + "/Ombrix/Quillon/20261201T101010.000000000Z-7.batch", "quillon undo journal 1\n");
    EXPECT_NE(std::string::npos, Run({"--undo"}).err.find("1 journal of an earlier quillon (NAME.batch) is there"));
    // A run that renamed nothing leaves no batch, and a dry run none either.
    Run({"--dry-run", path});
    Run({Make("text.mp3", "not audio")});
    EXPECT_EQ(2u, Batches().size());
}

TEST_F(UndoTest, OnlyTheLastTwentyRunsAreKept) {
    std::string path = Make("a.mp3", TaggedMp3("Song", "Band"));
    for (int i = 0; i < 22; ++i) {
        ASSERT_EQ(
            0, Run({"--format=" + std::string(i % 2 ? "title" : "artist-title"), music_ + "/" + ListFolder(music_)[0]})
                   .status);
    }
    EXPECT_EQ(20u, Batches().size());
}

// A journal cut anywhere in its last lines, as a crash leaves it, names every
// file renamed: its whole lines are put back and the torn one is no rename.
// An edited line fails its check and a deleted one is missing from the end
// line's count: that file stays where it is and the batch is incomplete.
TEST_F(UndoTest, TornOrEditedJournalMovesOnlyWhatItDescribes) {
    std::vector<std::string> paths = {Make("a.mp3", TaggedMp3("A", "Band")), Make("b.mp3", TaggedMp3("B", "Band")),
                                      Make("c.mp3", TaggedMp3("C", "Band"))};
    ASSERT_EQ(0, Run(paths).status);
    ASSERT_EQ(1u, Batches().size());
    const std::string batch = Journal(Batches()[0]);
    const std::string whole = ReadFile(batch);
    const size_t endLine = whole.rfind('\n', whole.size() - 2) + 1;
    const size_t lastRecord = whole.rfind('\n', endLine - 2) + 1;
    const size_t bLine = whole.rfind('\n', lastRecord - 2) + 1;
    const std::string ab = Back(music_ + "/B.mp3", paths[1]) + Back(music_ + "/A.mp3", paths[0]);
    for (size_t cut = lastRecord; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        WriteFile(batch, whole.substr(0, cut));
        ProgramRun run = Run({"--undo", "--dry-run"});
        EXPECT_EQ((cut >= endLine ? Back(music_ + "/C.mp3", paths[2]) : "") + ab + Ready(), run.out);
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("incomplete")) << run.err;
    }
    const std::string c = Back(music_ + "/C.mp3", paths[2]), b = Back(music_ + "/B.mp3", paths[1]),
                      a = Back(music_ + "/A.mp3", paths[0]);
    const struct {
        const char* name;
        std::string journal, out;
    } edits[] = {
        {"a line written twice", whole.substr(0, lastRecord) + whole.substr(bLine), c + b + b + a},
        {"a path edited", whole.substr(0, whole.find("\tb.mp3") + 1) + "_" + whole.substr(whole.find("\tb.mp3") + 2),
         c + a},
        {"a whole line deleted", whole.substr(0, bLine) + whole.substr(lastRecord), c + a},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.name);
        WriteFile(batch, edit.journal);
        ProgramRun run = Run({"--undo", "--dry-run"});
        EXPECT_EQ(edit.out + Ready(), run.out);
        EXPECT_EQ(1, run.status);
        EXPECT_NE(std::string::npos, run.err.find("incomplete")) << run.err;
    }
    ProgramRun run = Run({"--undo"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ((std::vector<std::string>{"B.mp3", "a.mp3", "c.mp3"}), ListFolder(music_));
    // A file under a batch's name that this program did not write, or another
    // batch's journal copied under it, is passed over, and said to be.
    for (const std::string& junk :
         {std::string(), std::string("garbage\n"), std::string("-\tquillon undo journal 2\t2\t0\t00000000\n"), whole}) {
        WriteFile(Journal("00000002.journal"), junk);
        run = Run({"--undo", "--dry-run"});
        EXPECT_EQ("", run.out);
        EXPECT_EQ(1, run.status);
        EXPECT_NE(std::string::npos, run.err.find("batch 2 cannot be read")) << run.err;
    }
}

// A run killed at any moment, by a signal on entry to a system call, by a
// reader that went away or at a random moment, has journaled every file it
// renamed: one undo puts them all back.
TEST_F(UndoTest, ARunKilledAnywhereLeavesEveryRenameJournaled) {
    bool strace = system("strace -V >/dev/null 2>&1") == 0;
    const struct {
        const char* call;  // killed on entry to this call, or "pipe", "signal"
        int when;
    } points[] = {
        {"renameat2", 2}, {"renameat2", 31}, {"newfstatat", 60}, {"ftruncate", 2},
        {"fsync", 1},     {"pipe", 0},       {"signal", 0},
    };
    for (const auto& point : points) {
        SCOPED_TRACE(std::string(point.call) + " " + std::to_string(point.when));
        TempFolder folder;
        // Output leaves in 64 KiB blocks: the signal comes after the first.
        std::vector<std::string> paths = Tracks(folder.path(), std::string(point.call) == "signal" ? 2500 : 300);
        const Snapshot before = TakeSnapshot(folder.path());
        std::string names;
        for (const std::string& path : paths) names += " '" + path + "'";
        if (std::string(point.call) == "pipe") {
            RunProgram({"/bin/sh", "-c", std::string(QUILLON_CLI_PATH) + names + " | head -n 1 >/dev/null"});
        } else if (std::string(point.call) == "signal") {
            int out = -1;
            paths.insert(paths.begin(), QUILLON_CLI_PATH);
            pid_t pid = Start(paths, &out);
            char block[64];
            EXPECT_GT(read(out, block, sizeof block), 0);
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            close(out);
        } else if (strace) {
            std::string inject = std::string(point.call) + ":signal=SIGKILL:when=" + std::to_string(point.when);
            ProgramRun run = RunProgram({"/bin/sh", "-c",
                                         "exec strace -f -o /dev/null -e trace=" + std::string(point.call) +
                                             " -e inject=" + inject + " " + QUILLON_CLI_PATH + names});
            EXPECT_NE(0, run.status);
        } else {
            continue;
        }
        ExpectUndoRestores(before, folder.path());
    }
    if (!strace) GTEST_SKIP() << "strace is missing: only the pipe and the signal were tried";
}

// An undo killed between a rename and the note of it finds that file back
// on the second try and counts it as back.
TEST_F(UndoTest, AnUndoKilledHalfWayIsFinishedByTheNext) {
    if (system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
    std::vector<std::string> paths = Tracks(music_, 40);
    const Snapshot before = TakeSnapshot(music_);
    ASSERT_EQ(0, Run(paths).status);
    // The first pwrite notes the batch as under way, each later one a file.
    ProgramRun killed = RunProgram({"/bin/sh", "-c",
                                    std::string("exec strace -f -o /dev/null -e trace=pwrite64 -e "
                                                "inject=pwrite64:signal=SIGKILL:when=12 ") +
                                        QUILLON_CLI_PATH + " --undo"});
    EXPECT_NE(0, killed.status);
    ProgramRun again = Run({"--undo"});
    EXPECT_EQ(30u, std::count(again.out.begin(), again.out.end(), '\n') - 1) << again.out;
    EXPECT_EQ(0, again.status) << again.err;
    EXPECT_TRUE(before == TakeSnapshot(music_));
}

// Batches go by the number each takes as it starts, under the folder's lock:
// an undo leaves a batch that is still being written alone, twenty short
// runs that end meanwhile do not push it out, and --undo-list and --undo=N
// reach it after them.
TEST_F(UndoTest, ABatchBeingWrittenIsLockedAndKept) {
    TempFolder longFolder;
    std::vector<std::string> paths = Tracks(longFolder.path(), 3000);
    const Snapshot before = TakeSnapshot(longFolder.path());
    int out = -1;
    paths.insert(paths.begin(), QUILLON_CLI_PATH);
    pid_t pid = Start(paths, &out);
    char block[4096];
    ASSERT_GT(read(out, block, sizeof block), 0);
    kill(pid, SIGSTOP);
    const Snapshot stopped = TakeSnapshot(longFolder.path());
    ProgramRun undo = Run({"--undo"});
    EXPECT_EQ(1, undo.status);
    EXPECT_NE(std::string::npos, undo.err.find("batch 1 is still being written")) << undo.err;
    EXPECT_TRUE(stopped == TakeSnapshot(longFolder.path()));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(0, Run({Make("short" + std::to_string(i) + ".mp3", TaggedMp3("Short " + std::to_string(i)))}).status);
    }
    kill(pid, SIGCONT);
    while (read(out, block, sizeof block) > 0) {
    }
    close(out);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(0, status);
    EXPECT_EQ(20 + 1u, Batches().size());
    ProgramRun list = Run({"--undo-list"});
    EXPECT_EQ(0u, list.out.find("21  ")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find("\n1  ")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find("3000 files, not undone  " + longFolder.path() + "\n")) << list.out;
    EXPECT_EQ(Back(music_ + "/Short 19.mp3", music_ + "/short19.mp3") + Ready(), Run({"--undo"}).out);
    // Two undos of it at once: the second waits for the first, and each file
    // goes back once.
    const std::string undo1 = std::string(QUILLON_CLI_PATH) + " --undo=1", u1 = std::string(QUILLON_CLI_PATH) + " -u=1";
    ProgramRun both = RunProgram(
        {"/bin/sh", "-c",
         undo1 + " >" + folder_.Path("1") + " & " + u1 + " >" + folder_.Path("2") + "; s=$?; wait $! && exit $s"});
    EXPECT_EQ(0, both.status) << both.err;
    std::string lines = ReadFile(folder_.Path("1")) + ReadFile(folder_.Path("2"));
    EXPECT_EQ(3000, std::count(lines.begin(), lines.end(), '>'));
    EXPECT_TRUE(before == TakeSnapshot(longFolder.path()));
}

// A file whose folder is away or whose old name is taken stays to put back,
// and the next --undo tries that batch again before older ones; a file
// changed since is no longer the file renamed and is not tried again.
TEST_F(UndoTest, WhatCouldNotGoBackIsTriedAgain) {
    std::string older = Make("older.mp3", TaggedMp3("Older"));
    ASSERT_EQ(0, Run({older}).status);
    MakeFolder(music_ + "/album");
    std::vector<std::string> paths = {Make("album/a.mp3", TaggedMp3("A")), Make("c.mp3", TaggedMp3("C")),
                                      Make("d.mp3", TaggedMp3("D"))};
    ASSERT_EQ(0, Run(paths).status);
    ASSERT_EQ(0, rename((music_ + "/album").c_str(), (music_ + "/away").c_str()));
    WriteFile(music_ + "/c.mp3", "taken");
    WriteFile(music_ + "/D.mp3", "rewritten");
    // The system's own words for the error, in the locale quillon runs in.
    std::string saved = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    const std::string away =
        Left(music_ + "/album/A.mp3", std::string("its folder cannot be reached: ") + strerror(ENOENT));
    setlocale(LC_ALL, saved.c_str());
    const std::string taken = Left(music_ + "/C.mp3", "its old name " + music_ + "/c.mp3 is taken");
    ProgramRun first = Run({"--undo"});
    EXPECT_EQ(Left(music_ + "/D.mp3", "the file was changed or replaced since") + taken + away + Ready(), first.out);
    EXPECT_EQ(1, first.status);
    EXPECT_EQ(taken + away + Ready(), Run({"--undo"}).out);
    ASSERT_EQ(0, rename((music_ + "/away").c_str(), (music_ + "/album").c_str()));
    ASSERT_EQ(0, unlink((music_ + "/c.mp3").c_str()));
    ProgramRun third = Run({"--undo"});
    EXPECT_EQ(Back(music_ + "/C.mp3", paths[1]) + Back(music_ + "/album/A.mp3", paths[0]) + Ready(), third.out);
    EXPECT_EQ(1, third.status);  // D is not back
    EXPECT_EQ(Back(music_ + "/Older.mp3", older) + Ready(), Run({"--undo"}).out);
}

// What identifies a file and where it is holds however the run reached it:
// a symbolic link is renamed and put back itself, a time before 1970 reads
// back, and a path made from a working folder, even one longer than the
// system takes in one path, needs that folder no more.
TEST_F(UndoTest, IdentitiesAndPathsComeBackWhateverTheRunStartedFrom) {
    Make("target.mp3", TaggedMp3("Linked"));
    ASSERT_EQ(0, symlink("target.mp3", (music_ + "/link.mp3").c_str()));
    std::string old = Make("old.mp3", TaggedMp3("Old"));
    struct timespec times[2] = {{-14000000, 5}, {-14000000, 5}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, old.c_str(), times, 0));
    std::string up = Make("up.mp3", TaggedMp3("Up"));
    const Snapshot before = TakeSnapshot(music_);
    ASSERT_EQ(0, Run({"link.mp3", "old.mp3"}, music_).status);
    struct stat st;
    EXPECT_TRUE(lstat((music_ + "/Linked.mp3").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    std::string work = folder_.Path("work"), cds = "cd '" + folder_.path() + "'";
    MakeFolder(work);
    ASSERT_EQ(0, Run({"../music/up.mp3"}, work).status);
    RemoveTree(work);
    for (int i = 0; i < 22; ++i) cds += " && mkdir " + std::string(200, 'd') + " && cd -P " + std::string(200, 'd');
    ProgramRun deep = RunProgram(
        {"/bin/sh", "-c", cds + " && cp '" + music_ + "/Old.mp3' far.mp3 && exec " + QUILLON_CLI_PATH + " far.mp3"});
    EXPECT_EQ(0, deep.status) << deep.err;
    ProgramRun far = Run({"--undo"});
    RunProgram({"/bin/rm", "-rf", folder_.Path(std::string(200, 'd'))});
    EXPECT_EQ(0, far.status) << far.err;
    EXPECT_EQ(far.out.size() - 16, far.out.find("/far.mp3\n" + Ready())) << far.out;
    EXPECT_EQ(Back(music_ + "/Up.mp3", up) + Ready(), Run({"--undo"}).out);
    ExpectUndoRestores(before, music_);
}

// A file swapped for another between the undo's check and its rename: the
// other file is moved back where it was found, and the line says so.
TEST_F(UndoTest, ADecoySwappedInAsTheUndoRenamesIsNotMoved) {
    if (system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
    std::string path = Make("a.mp3", TaggedMp3("Real"));
    ASSERT_EQ(0, Run({path}).status);
    int out = -1;
    pid_t pid = Start({"/usr/bin/strace", "-f", "-o", "/dev/null", "-e", "trace=renameat2", "-e",
                       "inject=renameat2:delay_enter=600000:when=1", QUILLON_CLI_PATH, "--undo"},
                      &out);
    usleep(300000);
    ASSERT_EQ(0, rename((music_ + "/Real.mp3").c_str(), (music_ + "/hidden.mp3").c_str()));
    WriteFile(music_ + "/Real.mp3", "decoy");
    std::string lines;
    char block[512];
    for (ssize_t n; (n = read(out, block, sizeof block)) > 0;) lines.append(block, static_cast<size_t>(n));
    close(out);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(
        Left(music_ + "/Real.mp3", "another file took its place as it was put back, and was moved back") + Ready(),
        lines);
    EXPECT_EQ("decoy", ReadFile(music_ + "/Real.mp3"));
    EXPECT_EQ((std::vector<std::string>{"Real.mp3", "hidden.mp3"}), ListFolder(music_));
}

// A journal folder or journal that someone else could have written is
// neither read nor written, and the message says which and why.
TEST_F(UndoTest, AJournalOthersCanWriteIsNeverUsed) {
    std::string path = Make("a.mp3", TaggedMp3("A"));
    ASSERT_EQ(0, Run({path}).status);
    const std::string journals = state_ + "/Ombrix/Quillon", batch = Journal(Batches()[0]);
    ASSERT_EQ(0, chmod(journals.c_str(), 0777));
    ProgramRun run = Run({Make("b.mp3", TaggedMp3("B"))});
    EXPECT_EQ(2, run.status);  // renamed, but it cannot be undone
    EXPECT_EQ("quillon: cannot keep the undo journal in " + journals +
                  ": others can write to it (mode 0777); this batch cannot be undone\n",
              run.err);
    ProgramRun undo = Run({"--undo"});
    EXPECT_EQ(1, undo.status);
    EXPECT_EQ("quillon: will not read the undo journal in " + journals + ": others can write to it (mode 0777)\n",
              undo.err);
    ASSERT_EQ(0, chmod(journals.c_str(), 0700));
    ASSERT_EQ(0, chown(batch.c_str(), 65534, 65534));
    undo = Run({"--undo"});
    EXPECT_EQ(1, undo.status);
    EXPECT_NE(std::string::npos, undo.err.find("it belongs to user 65534, not to you")) << undo.err;
    EXPECT_EQ(0u, Run({"--undo-list"}).out.find("1  not used: it belongs to user 65534, not to you"));
    EXPECT_EQ((std::vector<std::string>{"A.mp3", "B.mp3"}), ListFolder(music_));
}

// The same ext4 disk mounted again from another loop device, as a stick
// plugged in again is: while it is away its files stay to put back, and
// once it is back they go back, whatever its device number is now.
TEST_F(UndoTest, FilesOnADiskMountedAgainGoBack) {
    TempFolder disk("disk", "/tmp");
    const std::string image = disk.Path("image"), spare = disk.Path("spare"), mount = disk.Path("mnt");
    MakeFolder(mount);
    auto sh = [](const std::string& command) { return RunProgram({"/bin/sh", "-c", command}).status; };
    if (sh("truncate -s 8M '" + image + "' '" + spare + "' && mkfs.ext4 -q '" + image + "' && mount -o loop '" + image +
           "' '" + mount + "'") != 0) {
        GTEST_SKIP() << "no loop mount here";
    }
    std::string path = mount + "/a.mp3";
    WriteFile(path, TaggedMp3("Plugged"));
    struct stat first, second;
    ASSERT_EQ(0, stat(path.c_str(), &first));
    ASSERT_EQ(0, Run({path}).status);
    ASSERT_EQ(0, sh("umount '" + mount + "'"));
    EXPECT_EQ(Left(mount + "/Plugged.mp3", "no file has this name any more") + Ready(), Run({"--undo"}).out);
    // The spare takes the loop device the disk had, so the disk gets another.
    ProgramRun spareLoop = RunProgram({"/sbin/losetup", "-f", "--show", spare});
    ASSERT_EQ(0, sh("mount -o loop '" + image + "' '" + mount + "'"));
    ASSERT_EQ(0, stat((mount + "/Plugged.mp3").c_str(), &second));
    EXPECT_NE(first.st_dev, second.st_dev);
    ProgramRun undo = Run({"--undo"});
    EXPECT_EQ(Back(mount + "/Plugged.mp3", path) + Ready(), undo.out);
    EXPECT_EQ(0, undo.status) << undo.err;
    sh("umount '" + mount + "'");
    if (spareLoop.status == 0) sh("losetup -d " + spareLoop.out);
}

// A journal folder on a disk that fills up mid-run: the message says from
// which file on the renames cannot be undone, and the undo puts back exactly
// the files before it.
TEST_F(UndoTest, AFullDiskSaysWhatCanStillBeUndone) {
    MakeFolder(state_);
    if (RunProgram({"/bin/sh", "-c", "mount -t tmpfs -o size=320k,mode=0700 tmpfs '" + state_ + "'"}).status != 0) {
        GTEST_SKIP() << "no tmpfs mount here";
    }
    std::vector<std::string> paths = Tracks(music_, 4000);
    const Snapshot before = TakeSnapshot(music_);
    ProgramRun run = Run(paths);
    size_t from = run.err.find("; the files renamed from " + music_ + "/track");
    unsigned journaled = static_cast<unsigned>(atoi(run.err.c_str() + run.err.rfind(", the ") + 6));
    ProgramRun undo = Run({"--undo"});
    RunProgram({"/bin/umount", state_});
    EXPECT_EQ(2, run.status);
    ASSERT_NE(std::string::npos, from) << run.err;
    EXPECT_GT(journaled, 1000u);
    EXPECT_LT(journaled, 4000u);
    EXPECT_EQ(0, undo.status) << undo.err;
    EXPECT_EQ(journaled, std::count(undo.out.begin(), undo.out.end(), '\n') - 1);
    Snapshot after = TakeSnapshot(music_);
    for (unsigned i = 0; i < 4000; ++i) EXPECT_EQ(i < journaled, after.count(paths[i]) == 1) << i;
    EXPECT_EQ(before.size(), after.size());
}

// A journal that cannot be written changes nothing about the renaming.
TEST_F(UndoTest, JournalThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
    WriteFile(state_, "a file where the folder should be");
    std::vector<std::string> paths = {Make("a.mp3", TaggedMp3("A", "Band")), Make("b.mp3", TaggedMp3("B", "Band"))};
    ProgramRun run = Run(paths);
    EXPECT_EQ(2, run.status);
    EXPECT_EQ(LogLine(6, paths[0]) + LogLine(6, paths[1]) + Ready(), run.out);
    EXPECT_EQ(0u, run.err.find("quillon: cannot keep the undo journal in ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "said more than once";
    EXPECT_EQ((std::vector<std::string>{"A.mp3", "B.mp3"}), ListFolder(music_));
}

}  // namespace
