// System text under the Japanese ANSI code page 932: double-byte characters
// whose trail byte is 0x5C or 0x7C, lead bytes left on their own, Japanese file
// names on disk, device names, and texts and paths converted from Unicode
// without best fit (in other code pages too).
#include <windows.h>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/frame_text.h"
#include "core/rename_planner.h"
#include "core/system_text.h"
#include "core/system_text_win32.h"
#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

using Names = std::vector<std::string>;

// Code page 932 spellings.
const char kSo[] = "\x83\x5C";                       // ソ, trail byte '\'
const char kHyo[] = "\x95\x5C";                      // 表, trail byte '\'
const char kPo[] = "\x83\x7C";                       // ポ, trail byte '|'
const char kSofuto[] = "\x83\x5C\x83\x74\x83\x67";   // ソフト
const char kNihongo[] = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
const char kKashu[] = "\x89\xCC\x8E\xE8";            // 歌手
const char kKyoku[] = "\x8B\xC8";                    // 曲
const char kHalfWidthA[] = "\xB1";                   // ｱ, a single byte

const Settings kTitleOnly = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};
const Settings kTitleArtist = {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};

TagInfo V1Only(const char* title, const char* artist) {
    TagInfo info;
    memset(&info, 0, sizeof info);
    info.fileOpened = 1;
    info.formatRecognized = 1;
    info.hasId3v1 = 1;
    strcpy(info.v1Title, title);
    strcpy(info.v1Artist, artist);
    return info;
}

class CodePage932 : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(932u, GetACP()) << "these tests need the Japanese ANSI code page: run them under Wine with "
                                     "LC_ALL=ja_JP.UTF-8 and the compiled locale (scripts/wine-run.sh does)";
    }
};

TEST_F(CodePage932, TrailBytesNeverCountAsForbiddenCharacters) {
    struct Row {
        std::string text;
        char ch;
        int absent;
    };
    const Row rows[] = {
        {kSo, '\\', 1},
        {kHyo, '\\', 1},
        {kPo, '|', 1},
        {std::string(kSo) + "\\", '\\', 0},          // a real backslash after it
        {std::string("\\") + kHyo, '\\', 0},         // and before it
        {std::string(kHalfWidthA) + "\\", '\\', 0},  // half-width kana lead nothing
        {"\x83", '\\', 1},                           // a lead byte cut off by the end
        {"a|b", '|', 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.absent, CharAbsent(row.text.c_str(), row.ch));
    }
}

TEST_F(CodePage932, TitlesWithTrailByte5COr7CAreRenamedOnDisk) {
    const std::string titles[] = {
        kSo,
        "\x95\x5C\x8E\xA6",          // 表示
        "\x83\x7C\x83\x62\x83\x76",  // ポップ
        std::string(kSofuto) + kHyo,
    };
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        TempFolder folder("trail");
        std::string path = folder.Path("track01.mp3");
        std::string bytes = Id3v2Tag(TextFrame("TIT2", title)) + MpegFrames(1);
        ASSERT_NO_THROW(WriteFile(path, bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_EQ(title, info.v2Title);

        EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
        EXPECT_EQ(Names{title + ".mp3"}, ListFolder(folder.path()));
        EXPECT_EQ(bytes, ReadFile(folder.Path(title + ".mp3")));
    }
}

TEST_F(CodePage932, RealBackslashOrBarNextToDoubleByteCharactersIsRefused) {
    const std::string titles[] = {std::string(kSo) + "\\", std::string(kHalfWidthA) + "\\x", std::string(kPo) + "|",
                                  std::string(kNihongo) + "?"};
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        TempFolder folder("refuse");
        std::string path = folder.Path("track01.mp3");
        std::string bytes = Id3v2Tag(TextFrame("TIT2", title)) + MpegFrames(1);
        ASSERT_NO_THROW(WriteFile(path, bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_EQ(RESULT_RENAME_ERROR, RenameByTag(path.c_str(), info, kTitleOnly));
        EXPECT_EQ(Names{"track01.mp3"}, ListFolder(folder.path()));
        EXPECT_EQ(bytes, ReadFile(path));
    }
}

TEST_F(CodePage932, DirectoryPartEndsAtTheLastRealBackslash) {
    struct Row {
        std::string path;
        std::string expected;
    };
    const Row rows[] = {
        {std::string("C:\\music\\") + kSofuto + "\\a.mp3", std::string("C:\\music\\") + kSofuto + "\\Song.mp3"},
        {std::string("C:\\") + kHyo + "\\" + kSo + ".mp3", std::string("C:\\") + kHyo + "\\Song.mp3"},
        {std::string("C:\\music\\") + kSo, "C:\\music\\Song.mp3"},
        {std::string("C:\\") + kHalfWidthA + "\\b.mp3", std::string("C:\\") + kHalfWidthA + "\\Song.mp3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        char newPath[TEXT_BUFFER];
        EXPECT_EQ(RESULT_OK, PlanRename(row.path.c_str(), V1Only("Song", ""), kTitleOnly, newPath));
        EXPECT_EQ(row.expected, newPath);
    }
}

TEST_F(CodePage932, FileInAFolderWhoseNameEndsInTrailByte5CStaysInThatFolder) {
    TempFolder parent("folder");
    std::string album = parent.Path(std::string(kSofuto) + kHyo);
    ASSERT_TRUE(CreateDirectoryA(album.c_str(), nullptr));
    std::string path = album + "\\" + kSo + ".mp3";
    std::string bytes = MpegFrames(1) + Id3v1Tag("Song", "Band");
    ASSERT_NO_THROW(WriteFile(path, bytes));
    TagInfo info;
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleArtist));
    EXPECT_EQ(bytes, ReadFile(album + "\\Song - Band.mp3"));
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(Names{std::string(kSofuto) + kHyo}, ListFolder(parent.path()));
}

TEST_F(CodePage932, JapaneseFileNamesAreRenamedAndFoundOnDisk) {
    TempFolder folder("japanese");
    std::string path = folder.Path(std::string(kKyoku) + ".mp3");
    std::string bytes = Id3v2Tag(TextFrame("TIT2", kNihongo) + TextFrame("TPE1", kKashu)) + MpegFrames(2);
    ASSERT_NO_THROW(WriteFile(path, bytes));
    EXPECT_EQ(Names{std::string(kKyoku) + ".mp3"}, ListFolder(folder.path()));
    TagInfo info;
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    std::string name = std::string(kNihongo) + " - " + kKashu + ".mp3";
    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleArtist));
    EXPECT_EQ(Names{name}, ListFolder(folder.path()));
    EXPECT_EQ(bytes, ReadFile(folder.Path(name)));
}

// Leaves a renamed Japanese file in the folder named by QUILLON_UNIX_NAMES (a
// Unix path), where a native check reads the name back as UTF-8: proof that
// Wine hands code page 932 names to Linux correctly.
TEST_F(CodePage932, JapaneseNameReachesTheUnixFolder) {
    const char* unixFolder = getenv("QUILLON_UNIX_NAMES");
    if (unixFolder == nullptr || unixFolder[0] != '/') GTEST_SKIP() << "QUILLON_UNIX_NAMES not set";
    std::string windowsFolder = std::string("Z:") + unixFolder;
    for (char& c : windowsFolder) {
        if (c == '/') c = '\\';
    }
    // Made afresh and kept: the check reads it after this process is gone.
    RemoveTree(windowsFolder);
    MakeFolder(windowsFolder);
    ASSERT_TRUE(FolderExists(windowsFolder));
    std::string path = JoinPath(windowsFolder, std::string(kKyoku) + ".mp3");
    ASSERT_NO_THROW(WriteFile(path, Id3v2Tag(TextFrame("TIT2", kNihongo) + TextFrame("TPE1", kSo)) + MpegFrames(1)));
    TagInfo info;
    ASSERT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleArtist));
    EXPECT_EQ(Names{std::string(kNihongo) + " - " + kSo + ".mp3"}, ListFolder(windowsFolder));
}

TEST_F(CodePage932, UnicodeCharactersAreEncodedWithoutBestFit) {
    struct Row {
        uint32_t cp;
        std::string expected;
    };
    const Row rows[] = {
        {'A', "A"},
        {0x5C, "\\"},
        {0x3042, "\x82\xA0"},  // あ
        {0x65E5, "\x93\xFA"},  // 日
        {0x30BD, kSo},         // ソ
        {0xFF71, kHalfWidthA},
        {0x00D7, "\x81\x7E"},  // ×
        {0x00A5, "?"},         // yen sign: best fit would give 0x5C
        {0x203E, "?"},         // overline: best fit would give 0x7E
        {0x00E9, "?"},         // é
        {0x00C5, "?"},         // Å: best fit would give A
        {0x1F600, "?"},        // an emoji, outside the BMP
        {0xD800, "?"},         // a lone surrogate
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cp);
        char out[4] = {};
        int n = EncodeSystemChar(row.cp, out);
        EXPECT_EQ(row.expected, std::string(out, n > 0 ? n : 0));
    }
}

TEST_F(CodePage932, UnicodeFrameTextsBecomeCodePage932) {
    struct Row {
        const char* what;
        int encoding;
        std::string bytes;
    };
    const Row rows[] = {
        {"UTF-16 with mark", 1, Utf16("\u65E5\u672C\u8A9E")},
        {"UTF-16 without mark", 1, Utf16("\u65E5\u672C\u8A9E", false, false)},
        {"UTF-16BE", 2, Utf16("\u65E5\u672C\u8A9E", true)},
        {"UTF-8", 3, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder("unicode");
        std::string path = folder.Path("track01.mp3");
        std::string bytes = Id3v2Tag(TextFrame("TIT2", row.bytes, row.encoding) +
                                     TextFrame("TPE1", row.bytes.substr(0, row.bytes.size() / 3), row.encoding)) +
                            MpegFrames(1);
        ASSERT_NO_THROW(WriteFile(path, bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_STREQ(kNihongo, info.v2Title);

        EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
        EXPECT_EQ(Names{std::string(kNihongo) + ".mp3"}, ListFolder(folder.path()));
    }
}

TEST_F(CodePage932, CharactersCodePage932CannotHoldAreRefusedAndTheFileKept) {
    struct Row {
        const char* what;
        int encoding;
        std::string bytes;
        const char* title;
    };
    const Row rows[] = {
        {"e acute", 1, Utf16("Caf\u00E9"), "Caf?"},                   // U+00E9
        {"yen sign", 1, Utf16("\u00A5500"), "?500"},                  // U+00A5, not 0x5C
        {"emoji", 1, Utf16("\U0001F600"), "?"},                       // U+1F600
        {"yen sign in UTF-8", 3, "\xC2\xA5", "?"},                    // U+00A5
        {"overline in UTF-16BE", 2, Utf16("a\u203Eb", true), "a?b"},  // U+203E, not 0x7E
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder("lossy");
        std::string path = folder.Path("track01.mp3");
        std::string bytes = Id3v2Tag(TextFrame("TIT2", row.bytes, row.encoding)) + MpegFrames(1);
        ASSERT_NO_THROW(WriteFile(path, bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_STREQ(row.title, info.v2Title);

        EXPECT_EQ(RESULT_RENAME_ERROR, RenameByTag(path.c_str(), info, kTitleOnly));
        EXPECT_EQ(Names{"track01.mp3"}, ListFolder(folder.path()));
        EXPECT_EQ(bytes, ReadFile(path));
    }
}

TEST_F(CodePage932, TitlesThatNameDevicesAreRefusedAndTheFileKept) {
    struct Row {
        const char* title;
        int code;
        const char* name;
    };
    const Row rows[] = {
        {"NUL", RESULT_RENAME_ERROR, "track01.mp3"},
        {"nul.txt", RESULT_RENAME_ERROR, "track01.mp3"},
        {"Con  .", RESULT_RENAME_ERROR, "track01.mp3"},
        {"COM1.mp3", RESULT_RENAME_ERROR, "track01.mp3"},
        {"lpt9", RESULT_RENAME_ERROR, "track01.mp3"},
        {"aux", RESULT_RENAME_ERROR, "track01.mp3"},
        {"PRN", RESULT_RENAME_ERROR, "track01.mp3"},
        {"COM10", RESULT_OK, "COM10.mp3"},
        {"NULL", RESULT_OK, "NULL.mp3"},
        {"My Con", RESULT_OK, "My Con.mp3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        TempFolder folder("device");
        std::string path = folder.Path("track01.mp3");
        std::string bytes = Id3v2Tag(TextFrame("TIT2", row.title)) + MpegFrames(1);
        ASSERT_NO_THROW(WriteFile(path, bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_EQ(row.code, RenameByTag(path.c_str(), info, kTitleOnly));
        EXPECT_EQ(Names{row.name}, ListFolder(folder.path()));
        EXPECT_EQ(bytes, ReadFile(folder.Path(row.name)));
    }
}

TEST_F(CodePage932, SuperscriptDigitsNameDevicesWhereTheCodePageHasThem) {
    EXPECT_EQ(1, CodePageNameIsDevice("COM\xB9", 1252));       // COM¹
    EXPECT_EQ(1, CodePageNameIsDevice("lpt\xB3 .txt", 1252));  // lpt³
    EXPECT_EQ(0, CodePageNameIsDevice("COM\xB9", 932));        // COMｹ: half-width katakana
    EXPECT_EQ(0, CodePageNameIsDevice("COM\xB2", 932));
}

TEST_F(CodePage932, IdeographicSpaceIsABlankInTheCodePagesThatHoldIt) {
    EXPECT_EQ(2, CodePageBlankLength("\x81\x40", 932));
    EXPECT_EQ(3, CodePageBlankLength("\xE3\x80\x80", CP_UTF8));
    EXPECT_EQ(0, CodePageBlankLength("\x81\x40", 1252));
}

TEST_F(CodePage932, LeadByteLeftLastAndTextsOfBlanksAloneAreDroppedBeforeTheNameIsComposed) {
    std::string cut = "A";  // and 15 times 日: 31 bytes, the field keeps 30
    for (int k = 0; k < 15; ++k) cut += "\x93\xFA";
    struct Row {
        const char* what;
        std::string bytes;
        Settings settings;
        std::string name;
    };
    const Row rows[] = {
        {"Latin-1 e acute in ID3v1", MpegFrames(1) + Id3v1Tag("Caf\xE9", ""), kTitleOnly, "Caf.mp3"},
        {"e acute before the joining blank", Id3v2Tag(TextFrame("TIT2", "Caf\xE9") + TextFrame("TPE1", "Band")),
         kTitleArtist, "Caf - Band.mp3"},
        {"e acute in the artist", Id3v2Tag(TextFrame("TIT2", "Song") + TextFrame("TPE1", "Jos\xE9")), kTitleArtist,
         "Song - Jos.mp3"},
        {"Japanese ID3v1 title cut mid-character", MpegFrames(1) + Id3v1Tag(cut.substr(0, 30), "Band"), kTitleArtist,
         cut.substr(0, 29) + " - Band.mp3"},
        {"nothing but a lead byte: the other tag's title",
         Id3v2Tag(TextFrame("TIT2", "\xE9")) + MpegFrames(1) + Id3v1Tag("Song", ""), kTitleOnly, "Song.mp3"},
        {"ideographic spaces alone: the other tag's texts",
         Id3v2Tag(TextFrame("TIT2", "\x81\x40\x81\x40") + TextFrame("TPE1", " \x81\x40")) + MpegFrames(1) +
             Id3v1Tag("Song", "Band"),
         kTitleArtist, "Song - Band.mp3"},
        {"blanks around a text stay", Id3v2Tag(TextFrame("TIT2", "\x81\x40\x96\x7B ")) + MpegFrames(1) + Id3v1Tag("   ", ""),
         kTitleArtist, "\x81\x40\x96\x7B  - Unknown Artist.mp3"},  // 本 with blanks
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder("lead");
        std::string path = folder.Path("track01.mp3");
        ASSERT_NO_THROW(WriteFile(path, row.bytes));
        TagInfo info;
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, row.settings));
        EXPECT_EQ(Names{row.name}, ListFolder(folder.path()));
        EXPECT_EQ(row.bytes, ReadFile(folder.Path(row.name)));
    }
}

TEST_F(CodePage932, CharactersEncodeInTheCodePageGivenWithJisFormsOnlyIn932) {
    struct Row {
        uint32_t cp;
        unsigned codePage;
        std::string expected;
    };
    const Row rows[] = {
        {0x301C, 932, "\x81\x60"},  // wave dash: the code page's fullwidth tilde
        {0x2016, 932, "\x81\x61"},
        {0x2212, 932, "\x81\x7C"},
        {0x2014, 932, "\x81\x5C"},
        {0x00A2, 932, "\x81\x91"},
        {0x00A3, 932, "\x81\x92"},
        {0x00AC, 932, "\x81\xCA"},
        {0x00A6, 932, "\xFA\x55"},
        {0x00A2, 1252, "\xA2"},
        {0x301C, 1252, "?"},
        {0x00E9, CP_UTF8, "\xC3\xA9"},
        {0x301C, CP_UTF8, "\xE3\x80\x9C"},
        {0xDC00, CP_UTF8, "?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.cp << " in " << std::dec << row.codePage);
        char out[4] = {};
        int n = EncodeCodePageChar(row.cp, row.codePage, out);
        EXPECT_EQ(row.expected, std::string(out, n > 0 ? n : 0));
    }
}

TEST_F(CodePage932, WaveDashTitleFromAMacTaggerIsRenamed) {
    TempFolder folder("jis");
    std::string path = folder.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(path, Id3v2Tag(TextFrame("TIT2", Utf16("\u604B\u301CLove"), 1)) + MpegFrames(1)));
    TagInfo info;
    ASSERT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
    EXPECT_EQ(Names{"\x97\xF6\x81\x60Love.mp3"}, ListFolder(folder.path()));  // 恋～Love
}

TEST_F(CodePage932, PathsConvertWithoutLookAlikesAndSayWhatTheyCannotHold) {
    struct Row {
        const wchar_t* wide;
        unsigned codePage;
        std::string path;
        bool held;
    };
    const Row rows[] = {
        {L"C:\\caf\u00E9.mp3", 932, "C:\\caf?.mp3", false},  // not cafe.mp3
        {L"C:\\\u301C.mp3", 932, "C:\\?.mp3", false},        // a path keeps its exact characters
        {L"C:\\caf\u00E9.mp3", 1252, "C:\\caf\xE9.mp3", true},
        {L"C:\\caf\u00E9.mp3", CP_UTF8, "C:\\caf\xC3\xA9.mp3", true},
        {L"C:\\\xD800x", CP_UTF8, "C:\\?x", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        char path[TEXT_BUFFER];
        bool held = !row.held;
        EXPECT_EQ(row.path.size(), SystemPathFromWide(row.wide, row.codePage, path, sizeof path, &held));
        EXPECT_EQ(row.path, path);
        EXPECT_EQ(row.held, held);
    }
}

}  // namespace
