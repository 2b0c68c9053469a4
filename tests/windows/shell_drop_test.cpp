// Drops onto the real main window: real files in a scratch folder, a drop
// block built as the shell builds it, the log's lines and the folder afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "log_window.h"
#include "shell_test_support.h"

using namespace shelltest;

namespace {

// Outcome messages as the log shows them in code page 932.
const std::string kAccessFailed = "\x81\x7E\xB1\xB8\xBE\xBD\x8E\xB8\x94\x73";  // ×ｱｸｾｽ失敗
const std::string kFileError = "\x81\x7E\xCC\xA7\xB2\xD9\xB4\xD7\xB0\x20";     // ×ﾌｧｲﾙｴﾗｰ
const std::string kNoTag = "\x81\x7E\xC0\xB8\xDE\x82\xC8\x82\xB5\x20";         // ×ﾀｸﾞなし
const std::string kNoTitle = "\x81\x7E\x8B\xC8\x96\xBC\x82\xC8\x82\xB5";       // ×曲名なし
const std::string kRenameError = "\x81\x7E\xD8\xC8\xB0\xD1\xB4\xD7\xB0\x20";   // ×ﾘﾈｰﾑｴﾗｰ
const std::string kDone = "\x81\x9B\x90\xB3\x8F\xED\x8F\x49\x97\xB9";          // ○正常終了

std::string Line(const std::string& message, const std::string& path) {
    return message + " - " + path;
}

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteSettingsKey();
        ASSERT_FALSE(folder_.path().empty());
        main_.reset(new MainWindow());
        main_->Show();
        // Title and artist in the names, ID3v2 first.
        LiveSettings()->nameFormat = NAME_TITLE_ARTIST;
        LiveSettings()->primaryTag = PRIMARY_V2;
    }
    void TearDown() override {
        main_.reset();
        DeleteSettingsKey();
    }

    std::string Put(const std::string& name, const std::string& bytes) {
        std::string path = folder_.Path(name);
        EXPECT_NO_THROW(WriteFile(path, bytes)) << path;
        return path;
    }
    std::vector<std::string> Drop(const std::vector<std::string>& paths) {
        EXPECT_EQ(SendDrop(main_->hwnd(), paths), 0);
        return LogLines(main_->log());
    }

    TempFolder folder_;
    std::unique_ptr<MainWindow> main_;
};

TEST_F(DropTest, EachFileGetsItsLineInTheShellsOrderThenReady) {
    std::string v2 = TaggedMp3("Song", "Band");
    std::string v1 = MpegFrames(1) + Id3v1Tag("Old Tune", "Someone");
    std::string text = "just some words, no music here";
    std::string noTag = MpegFrames(1);
    std::string noTitle = TaggedMp3("", "Band");
    std::string forbidden = TaggedMp3("What?", "Band");
    // 夜明け in UTF-16LE with a BOM: the name comes out in the system's code page.
    std::string japanese =
        Id3v2Tag(TextFrame("TIT2", Utf16("\u591C\u660E\u3051"), 1) + TextFrame("TPE1", "Band")) + MpegFrames(1);

    // The shell's order is not the folder's: z before a.
    std::vector<std::string> paths = {
        Put("z-v2.mp3", v2),
        Put("y-v1.MP3", v1),
        Put("x-text.mp3", text),
        Put("w-notag.mp3", noTag),
        Put("v-notitle.mp3", noTitle),
        Put("u-forbidden.mp3", forbidden),
        Put("t-japanese.dat", japanese),
    };
    std::vector<std::string> lines = Drop(paths);

    std::vector<std::string> expected = {
        Line(kDone, paths[0]),    Line(kDone, paths[1]),        Line(kFileError, paths[2]), Line(kNoTag, paths[3]),
        Line(kNoTitle, paths[4]), Line(kRenameError, paths[5]), Line(kDone, paths[6]),      "READY.",
    };
    EXPECT_EQ(lines, expected);

    const std::string yoake = "\x96\xE9\x96\xBE\x82\xAF";  // 夜明け
    std::vector<std::string> after = ListFolder(folder_.path());
    std::sort(after.begin(), after.end());
    std::vector<std::string> names = {"Old Tune - Someone.mp3", "Song - Band.mp3", "u-forbidden.mp3",
                                      "v-notitle.mp3",          "w-notag.mp3",     "x-text.mp3",
                                      yoake + " - Band.mp3"};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(after, names);

    // Renamed files keep their bytes; refused ones keep name and bytes.
    EXPECT_EQ(ReadFile(folder_.Path("Song - Band.mp3")), v2);
    EXPECT_EQ(ReadFile(folder_.Path("Old Tune - Someone.mp3")), v1);
    EXPECT_EQ(ReadFile(folder_.Path(yoake + " - Band.mp3")), japanese);
    EXPECT_EQ(ReadFile(paths[2]), text);
    EXPECT_EQ(ReadFile(paths[3]), noTag);
    EXPECT_EQ(ReadFile(paths[4]), noTitle);
    EXPECT_EQ(ReadFile(paths[5]), forbidden);
    EXPECT_EQ(LiveSettings()->busy, 0);
}

TEST_F(DropTest, FolderLockedAndMissingFilesFailToOpenAndStayAsTheyWere) {
    std::string sub = folder_.Path("Album.mp3");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    std::string song = TaggedMp3("Locked", "Band");
    std::string locked = Put("locked.mp3", song);
    std::string missing = folder_.Path("gone.mp3");
    // Held open without read sharing, as another program might.
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::vector<std::string> lines = Drop({sub, locked, missing});
    CloseHandle(holder);

    std::vector<std::string> expected = {Line(kAccessFailed, sub), Line(kAccessFailed, locked),
                                         Line(kAccessFailed, missing), "READY."};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ListFolder(folder_.path()), (std::vector<std::string>{"Album.mp3", "locked.mp3"}));
    EXPECT_EQ(ReadFile(locked), song);
}

TEST_F(DropTest, TakenNameFailsAndNeitherFileChanges) {
    std::string a = TaggedMp3("Same", "Band");
    std::string b = "already here";
    std::string path = Put("a.mp3", a);
    Put("Same - Band.mp3", b);
    EXPECT_EQ(Drop({path}), (std::vector<std::string>{Line(kAccessFailed, path), "READY."}));
    EXPECT_EQ(ReadFile(path), a);
    EXPECT_EQ(ReadFile(folder_.Path("Same - Band.mp3")), b);
}

TEST_F(DropTest, EachDropReplacesTheLogOfTheLastOne) {
    std::string text = Put("plain.txt", "plain words");
    SendMessageA(main_->log(), LOGM_CONFIG, 0, 0);
    Drop({text});
    std::vector<std::string> lines = Drop({text, text});
    EXPECT_EQ(lines, (std::vector<std::string>{Line(kFileError, text), Line(kFileError, text), "READY."}));
}

TEST_F(DropTest, PathTooLongForTheBufferIsRefusedWithoutTouchingAnything) {
    // folder\ddd...\nnn...n.mp3 of 259 bytes. Cut to the 255 bytes a path may
    // hold it would read folder\ddd...\nnn...n, which exists as well: neither
    // may be renamed.
    ASSERT_LT(folder_.path().size(), 180u) << "temp folder path too long for this test";
    std::string dir = folder_.path() + "\\" + std::string(200 - folder_.path().size() - 1, 'd');
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    std::string name(255 - dir.size() - 1, 'n');
    std::string cutPath = dir + "\\" + name;
    std::string longPath = cutPath + ".mp3";
    ASSERT_EQ(longPath.size(), 259u);
    std::string song = TaggedMp3("Long", "Band");
    ASSERT_NO_THROW(WriteFile(longPath, song)) << "the long path";
    ASSERT_NO_THROW(WriteFile(cutPath, song)) << "the same path cut to 255 bytes";

    std::vector<std::string> lines = Drop({longPath});
    EXPECT_EQ(lines, (std::vector<std::string>{Line(kAccessFailed, longPath), "READY."}));
    std::vector<std::string> after = ListFolder(dir);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, (std::vector<std::string>{name, name + ".mp3"}));
    EXPECT_EQ(ReadFile(longPath), song);
    EXPECT_EQ(ReadFile(cutPath), song);
}

// The shell drops Unicode paths. Converted with best fit, café.mp3 would be
// taken for cafe.mp3 and AC¥DC.mp3 for DC.mp3 in the folder AC: both exist.
TEST_F(DropTest, PathsTheCodePageCannotHoldAreRefusedAndNoLookAlikeIsTouched) {
    std::wstring base(folder_.path().begin(), folder_.path().end());
    auto put = [&](const std::wstring& name, const char* title) {
        std::string song = TaggedMp3(title);
        HANDLE file = CreateFileW((base + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, song.data(), static_cast<DWORD>(song.size()), &written, nullptr));
        CloseHandle(file);
        return base + L"\\" + name;
    };
    ASSERT_TRUE(CreateDirectoryA(folder_.Path("AC").c_str(), nullptr));
    put(L"cafe.mp3", "Decoy");
    put(L"AC\\DC.mp3", "Other decoy");
    std::vector<std::wstring> paths = {put(L"caf\u00E9.mp3", "Cafe"), put(L"AC\u00A5DC.mp3", "Acdc"),
                                       put(L"\u65E5\u672C.mp3", "Nihon")};

    std::vector<std::string> expected = {Line(kAccessFailed, folder_.Path("caf?.mp3")),
                                         Line(kAccessFailed, folder_.Path("AC?DC.mp3")),
                                         Line(kDone, folder_.Path("\x93\xFA\x96\x7B.mp3")), "READY."};
    EXPECT_EQ(SendDrop(main_->hwnd(), paths), 0);
    EXPECT_EQ(LogLines(main_->log()), expected);
    for (const std::wstring& kept : {paths[0], paths[1], base + L"\\cafe.mp3", base + L"\\AC\\DC.mp3"}) {
        EXPECT_NE(GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetFileAttributesW(paths[2].c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileExists(folder_.Path("Nihon - Unknown Artist.mp3")));
    EXPECT_FALSE(FileExists(folder_.Path("Decoy - Unknown Artist.mp3")));
    EXPECT_FALSE(FileExists(folder_.Path("AC\\Other decoy - Unknown Artist.mp3")));
    // The folder's removal goes by ANSI names, which these two have none of.
    for (const std::wstring& path : paths) DeleteFileW(path.c_str());
}

// Names the Win32 path rules would change, dropped as Explorer drops them
// (exact Unicode paths) beside the file those rules make of them: the dropped
// file is renamed where it is; a slash names no file and is refused.
TEST_F(DropTest, NamesTheWin32PathRulesWouldChangeReachExactlyTheDroppedFile) {
    const std::string rows[][3] = {{"a.mp3.", "a.mp3", "Fake0.mp3"},
                                   {"b.mp3 ", "b.mp3", "Fake1.mp3"},
                                   {"c.mp3. .", "c.mp3", "Fake2.mp3"},
                                   {"dir.\\x.mp3", "dir\\x.mp3", "dir.\\Fake3.mp3"},
                                   {"sub/x.mp3", "sub\\x.mp3", ""}};  // dropped, decoy, renamed to
    auto song = [](const char* title, int i) { return TaggedMp3(title + std::to_string(i)); };
    LiveSettings()->nameFormat = NAME_TITLE;
    std::string literal = "\\\\?\\" + folder_.path() + "\\";
    for (const char* dir : {"dir", "dir.", "sub"}) ASSERT_TRUE(CreateDirectoryA((literal + dir).c_str(), nullptr));
    std::vector<std::wstring> drop;
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i) {
        ASSERT_NO_THROW(WriteFile(literal + rows[i][1], song("Real", i)));
        if (!rows[i][2].empty()) ASSERT_NO_THROW(WriteFile(literal + rows[i][0], song("Fake", i)));
        std::string path = folder_.Path(rows[i][0]);
        drop.push_back(std::wstring(path.begin(), path.end()));
        expected.push_back(Line(rows[i][2].empty() ? kAccessFailed : kDone, path));
    }
    expected.push_back("READY.");
    EXPECT_EQ(SendDrop(main_->hwnd(), drop), 0);
    EXPECT_EQ(LogLines(main_->log()), expected);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ReadFile(literal + rows[i][1]), song("Real", i)) << rows[i][0];
        EXPECT_TRUE(rows[i][2].empty() || ReadFile(literal + rows[i][2]) == song("Fake", i)) << rows[i][0];
    }
    std::vector<std::string> after = ListFolder(folder_.path());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, (std::vector<std::string>{"Fake0.mp3", "Fake1.mp3", "Fake2.mp3", "a.mp3", "b.mp3", "c.mp3", "dir",
                                               "dir.", "sub"}));
    EXPECT_EQ(ListFolder(literal + "dir."), std::vector<std::string>{"Fake3.mp3"});
}

TEST_F(DropTest, DropWithoutFilesEmptiesTheLogAndEndsWithReady) {
    char line[] = "earlier";
    SendMessageA(main_->log(), LOGM_ADD, 0, reinterpret_cast<LPARAM>(line));
    // Windows counts no file in an empty list; Wine counts one, with an empty
    // path. The batch must follow whatever the system counts.
    HDROP probe = MakeDrop({});
    UINT count = DragQueryFileA(probe, 0xFFFFFFFF, nullptr, 0);
    DragFinish(probe);
    ASSERT_LE(count, 1u);
    std::vector<std::string> expected;
    if (count == 1) expected.push_back(Line(kAccessFailed, ""));
    expected.push_back("READY.");
    EXPECT_EQ(Drop({}), expected);
    EXPECT_EQ(LiveSettings()->busy, 0);
}

}  // namespace
