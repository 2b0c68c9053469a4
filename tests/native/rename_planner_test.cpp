// The rename planner: the order of its refusals, the choice of title and
// artist between the two tags, the composed name and its forbidden
// characters, the new path, and the rename itself in real folders.
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/rename_planner.h"
#include "support/test_files.h"

namespace {

TagInfo Tags(const char* v1Title, const char* v1Artist, const char* v2Title, const char* v2Artist) {
    TagInfo info;
    memset(&info, 0, sizeof info);
    info.fileOpened = 1;
    info.formatRecognized = 1;
    info.hasId3v1 = 1;
    info.hasId3v2 = 1;
    strcpy(info.v1Title, v1Title);
    strcpy(info.v1Artist, v1Artist);
    strcpy(info.v2Title, v2Title);
    strcpy(info.v2Artist, v2Artist);
    return info;
}

Settings Choices(int nameFormat, int primaryTag) {
    return Settings{nameFormat, primaryTag, LOG_HIDE, 0};
}

struct Plan {
    int code;
    std::string newPath;
};

Plan PlanFor(const std::string& path, const TagInfo& info, Settings settings) {
    char newPath[TEXT_BUFFER];
    memset(newPath, 'x', sizeof newPath);
    int code = PlanRename(path.c_str(), info, settings, newPath);
    return Plan{code, code == RESULT_OK ? std::string(newPath) : std::string()};
}

const char kPath[] = "/music/track01.MP3";

// ---------------------------------------------------------------- refusals

TEST(PlanRename, RefusalsInTheirOrder) {
    TagInfo notOpened = Tags("Stale", "Stale", "Stale", "Stale");
    notOpened.fileOpened = 0;  // the other fields are an earlier file's
    TagInfo notOpenedNotRecognized = notOpened;
    notOpenedNotRecognized.formatRecognized = 0;
    TagInfo notRecognized = Tags("Stale", "Stale", "Stale", "Stale");
    notRecognized.formatRecognized = 0;
    TagInfo noTag = Tags("Stale", "Stale", "Stale", "Stale");
    noTag.hasId3v1 = 0;
    noTag.hasId3v2 = 0;
    TagInfo noTagNoTitle = Tags("", "", "", "");
    noTagNoTitle.hasId3v1 = 0;
    noTagNoTitle.hasId3v2 = 0;
    TagInfo noTitle = Tags("", "Band", "", "Band");
    TagInfo noTitleButForbiddenArtist = Tags("", "A/B", "", "");
    // The reader leaves an ID3v1 title of blanks before zero bytes as it is.
    TagInfo blankTitles = Tags("   ", "Band", "\xE3\x80\x80", "Band");  // U+3000
    TagInfo mixedBlankTitle = Tags("", "Band", " \xE3\x80\x80 ", "");
    struct Case {
        const char* name;
        TagInfo info;
        int code;
    };
    const Case cases[] = {
        {"not opened, stale tags", notOpened, RESULT_ACCESS_FAILED},
        {"not opened, not recognized", notOpenedNotRecognized, RESULT_ACCESS_FAILED},
        {"not recognized, stale tags", notRecognized, RESULT_FILE_ERROR},
        {"no tag flag, stale texts", noTag, RESULT_NO_TAG},
        {"no tag flag, no texts", noTagNoTitle, RESULT_NO_TAG},
        {"both titles empty", noTitle, RESULT_NO_TITLE},
        {"no title before a bad artist", noTitleButForbiddenArtist, RESULT_NO_TITLE},
        {"titles of blanks only", blankTitles, RESULT_NO_TITLE},
        {"title of spaces and ideographic spaces", mixedBlankTitle, RESULT_NO_TITLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int format : {NAME_TITLE, NAME_TITLE_ARTIST, NAME_ARTIST_TITLE}) {
            for (int primary : {PRIMARY_V1, PRIMARY_V2}) {
                EXPECT_EQ(c.code, PlanFor(kPath, c.info, Choices(format, primary)).code);
            }
        }
    }
}

TEST(PlanRename, OneTagFlagIsEnough) {
    TagInfo onlyV1 = Tags("One", "", "", "");
    onlyV1.hasId3v2 = 0;
    TagInfo onlyV2 = Tags("", "", "Two", "");
    onlyV2.hasId3v1 = 0;
    EXPECT_EQ("/music/One.mp3", PlanFor(kPath, onlyV1, Choices(NAME_TITLE, PRIMARY_V2)).newPath);
    EXPECT_EQ("/music/Two.mp3", PlanFor(kPath, onlyV2, Choices(NAME_TITLE, PRIMARY_V1)).newPath);
}

// ---------------------------------------------------------------- choice and name

TEST(PlanRename, TitleAndArtistFallBackEachOnItsOwn) {
    struct Case {
        const char* name;
        TagInfo info;
        Settings settings;
        const char* newPath;
    };
    const Case cases[] = {
        {"v2 preferred", Tags("T1", "A1", "T2", "A2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V2), "/music/T2 - A2.mp3"},
        {"v1 preferred", Tags("T1", "A1", "T2", "A2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V1), "/music/T1 - A1.mp3"},
        {"v2 title missing", Tags("T1", "A1", "", "A2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V2), "/music/T1 - A2.mp3"},
        {"v2 artist missing", Tags("T1", "Foo", "T2", ""), Choices(NAME_TITLE_ARTIST, PRIMARY_V2),
         "/music/T2 - Foo.mp3"},
        {"v1 title missing", Tags("", "A1", "T2", "A2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V1), "/music/T2 - A1.mp3"},
        {"v1 artist missing", Tags("T1", "", "T2", "A2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V1), "/music/T1 - A2.mp3"},
        {"no artist, title then artist", Tags("", "", "Song", ""), Choices(NAME_TITLE_ARTIST, PRIMARY_V2),
         "/music/Song - Unknown Artist.mp3"},
        {"no artist, artist then title", Tags("Song", "", "", ""), Choices(NAME_ARTIST_TITLE, PRIMARY_V1),
         "/music/Unknown Artist - Song.mp3"},
        {"artist then title", Tags("", "", "Song", "Band"), Choices(NAME_ARTIST_TITLE, PRIMARY_V2),
         "/music/Band - Song.mp3"},
        {"title alone", Tags("", "", "Song", "Band"), Choices(NAME_TITLE, PRIMARY_V2), "/music/Song.mp3"},
        {"title alone, no artist", Tags("", "", "Song", ""), Choices(NAME_TITLE, PRIMARY_V2), "/music/Song.mp3"},
        {"texts used as they stand", Tags("", "", " Song. ", "\xE6\x9B\xB2"), Choices(NAME_TITLE_ARTIST, PRIMARY_V2),
         "/music/ Song.  - \xE6\x9B\xB2.mp3"},
        {"blank title and artist give way", Tags("T1", "A1", "   ", "\xE3\x80\x80"),
         Choices(NAME_TITLE_ARTIST, PRIMARY_V2), "/music/T1 - A1.mp3"},
        {"blank artists are no artist", Tags("T1", "  ", "", "\xE3\x80\x80 "), Choices(NAME_ARTIST_TITLE, PRIMARY_V1),
         "/music/Unknown Artist - T1.mp3"},
        {"blanks around a text stay", Tags("", "", "\xE3\x80\x80Song ", " Band"),
         Choices(NAME_TITLE_ARTIST, PRIMARY_V2), "/music/\xE3\x80\x80Song  -  Band.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Plan plan = PlanFor(kPath, c.info, c.settings);
        EXPECT_EQ(RESULT_OK, plan.code);
        EXPECT_EQ(c.newPath, plan.newPath);
    }
}

TEST(PlanRename, EveryForbiddenCharacterRefusesTheName) {
    for (const char* ch : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"}) {
        SCOPED_TRACE(ch);
        const std::string bad = std::string("Say ") + ch + " now";
        EXPECT_EQ(RESULT_RENAME_ERROR, PlanFor(kPath, Tags("", "", bad.c_str(), "Band"), Choices(NAME_TITLE, 2)).code);
        EXPECT_EQ(RESULT_RENAME_ERROR,
                  PlanFor(kPath, Tags("", "", "Song", bad.c_str()), Choices(NAME_TITLE_ARTIST, 2)).code);
        EXPECT_EQ(RESULT_RENAME_ERROR,
                  PlanFor(kPath, Tags("", "", "Song", bad.c_str()), Choices(NAME_ARTIST_TITLE, 2)).code);
        EXPECT_EQ(RESULT_RENAME_ERROR, PlanFor(kPath, Tags(bad.c_str(), "", "", ""), Choices(NAME_TITLE, 1)).code);
        // Only the composed name counts: the title-alone name never holds the artist.
        EXPECT_EQ(RESULT_OK, PlanFor(kPath, Tags("", "", "Song", bad.c_str()), Choices(NAME_TITLE, 2)).code);
        // Nor does the unused tag's title.
        EXPECT_EQ(RESULT_OK, PlanFor(kPath, Tags(bad.c_str(), "", "Song", ""), Choices(NAME_TITLE, 2)).code);
    }
}

TEST(PlanRename, OtherPunctuationIsAllowed) {
    const char title[] = "It's a-OK! (live) [1] {b} & 100% #1 ~ , ; = + @ $ ^ ` '";
    Plan plan = PlanFor(kPath, Tags("", "", title, ""), Choices(NAME_TITLE, PRIMARY_V2));
    EXPECT_EQ(RESULT_OK, plan.code);
    EXPECT_EQ(std::string("/music/") + title + ".mp3", plan.newPath);
}

// ---------------------------------------------------------------- new path

TEST(PlanRename, NewPathKeepsTheFolderAndAlwaysEndsInMp3) {
    struct Case {
        const char* path;
        const char* newPath;
    };
    const Case cases[] = {
        {"/music/track01.MP3", "/music/Song.mp3"},       {"/music/take.wav", "/music/Song.mp3"},
        {"/music/noextension", "/music/Song.mp3"},       {"/music/song.mp3.bak", "/music/Song.mp3"},
        {"/dotted.folder/x", "/dotted.folder/Song.mp3"}, {"/top", "/Song.mp3"},
        {"relative/dir/x.mp3", "relative/dir/Song.mp3"}, {"bare.mp3", "Song.mp3"},
        {"/music/a\\b.mp3", "/music/Song.mp3"},  // a backslash is a plain byte here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.newPath, PlanFor(c.path, Tags("", "", "Song", ""), Choices(NAME_TITLE, PRIMARY_V2)).newPath);
    }
}

TEST(PlanRename, NewPathOver255BytesIsRefused) {
    // The longest name two ID3v2 texts make: 126 + 3 + 126 bytes.
    const std::string title(126, 't');
    const std::string artist(126, 'a');
    TagInfo longest = Tags("", "", title.c_str(), artist.c_str());
    EXPECT_EQ(RESULT_RENAME_ERROR, PlanFor("x.mp3", longest, Choices(NAME_TITLE_ARTIST, PRIMARY_V2)).code);

    // "/d/" + name + ".mp3": 255 bytes fit, 256 do not.
    const std::string fits(255 - 3 - 4, 'n');
    Plan plan = PlanFor("/d/x.mp3", Tags("", "", fits.c_str(), ""), Choices(NAME_TITLE, PRIMARY_V2));
    EXPECT_EQ(RESULT_OK, plan.code);
    EXPECT_EQ(255u, plan.newPath.size());
    const std::string over(255 - 3 - 4 + 1, 'n');
    EXPECT_EQ(RESULT_RENAME_ERROR, PlanFor("/d/x.mp3", Tags("", "", over.c_str(), ""), Choices(1, 2)).code);
}

// ---------------------------------------------------------------- CharAbsent

TEST(CharAbsent, ScansUpToTheTerminator) {
    struct Case {
        const char* text;
        char ch;
        int absent;
    };
    const Case cases[] = {
        {"abc", 'b', 0}, {"abc", 'a', 0}, {"abc", 'c', 0},   {"abc", 'x', 1},           {"", 'a', 1},
        {"a?b", '?', 0}, {"ABC", 'b', 1}, {"ab\0?", '?', 1}, {"\xE6\x9B\xB2", '\\', 1}, {"\xC3\xBC", '|', 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.absent, CharAbsent(c.text, c.ch));
    }
}

// ---------------------------------------------------------------- renaming files

class RenameByTagTest : public ::testing::Test {
  protected:
    std::string Make(const std::string& name, const std::string& content = "some audio bytes") {
        std::string path = folder_.Path(name);
        WriteFile(path, content);
        return path;
    }

    TempFolder folder_;
};

TEST_F(RenameByTagTest, RenamesInItsOwnFolderAndKeepsTheContent) {
    std::string path = Make("track01.MP3");
    const uint64_t hash = FileHash(path);
    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), Tags("", "", "Song", "Band"), Choices(NAME_ARTIST_TITLE, 2)));
    EXPECT_EQ(std::vector<std::string>{"Band - Song.mp3"}, ListFolder(folder_.path()));
    EXPECT_EQ(hash, FileHash(folder_.Path("Band - Song.mp3")));
}

TEST_F(RenameByTagTest, OldExtensionPlaysNoPart) {
    for (const char* name : {"a.MP3", "b.wav", "c", "d.Mp3.txt"}) {
        SCOPED_TRACE(name);
        const std::string sub = std::string("in-") + name;
        MakeFolder(folder_.Path(sub));
        std::string path = Make(sub + "/" + name);
        EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), Tags("", "", "Song", ""), Choices(NAME_TITLE, 2)));
        EXPECT_EQ(std::vector<std::string>{"Song.mp3"}, ListFolder(folder_.Path(sub)));
    }
}

TEST_F(RenameByTagTest, TakenNameFailsAndChangesNeitherFile) {
    std::string path = Make("track.mp3", "the dropped file");
    std::string taken = Make("Song.mp3", "another song");
    const uint64_t dropped = FileHash(path);
    const uint64_t other = FileHash(taken);
    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), Tags("", "", "Song", ""), Choices(NAME_TITLE, 2)));
    EXPECT_EQ(dropped, FileHash(path));
    EXPECT_EQ(other, FileHash(taken));
    EXPECT_EQ((std::vector<std::string>{"Song.mp3", "track.mp3"}), ListFolder(folder_.path()));
}

TEST_F(RenameByTagTest, NameTakenByAFolderFails) {
    std::string path = Make("track.mp3");
    MakeFolder(folder_.Path("Song.mp3"));
    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), Tags("", "", "Song", ""), Choices(NAME_TITLE, 2)));
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(FolderExists(folder_.Path("Song.mp3")));
}

TEST_F(RenameByTagTest, FileThatAlreadyHasItsNameIsKept) {
    std::string path = Make("Song.mp3");
    const uint64_t hash = FileHash(path);
    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), Tags("", "", "Song", ""), Choices(NAME_TITLE, 2)));
    EXPECT_EQ(std::vector<std::string>{"Song.mp3"}, ListFolder(folder_.path()));
    EXPECT_EQ(hash, FileHash(path));
}

TEST_F(RenameByTagTest, MissingFileIsAnAccessFailure) {
    std::string path = folder_.Path("gone.mp3");
    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), Tags("", "", "Song", ""), Choices(NAME_TITLE, 2)));
    EXPECT_TRUE(ListFolder(folder_.path()).empty());
}

TEST_F(RenameByTagTest, RefusedFileIsUntouched) {
    TagInfo notOpened = Tags("Song", "", "Song", "");
    notOpened.fileOpened = 0;
    TagInfo forbidden = Tags("", "", "Why?", "");
    for (const TagInfo& info : {notOpened, forbidden}) {
        std::string path = Make("track.mp3");
        const uint64_t hash = FileHash(path);
        EXPECT_NE(RESULT_OK, RenameByTag(path.c_str(), info, Choices(NAME_TITLE, 2)));
        EXPECT_EQ(std::vector<std::string>{"track.mp3"}, ListFolder(folder_.path()));
        EXPECT_EQ(hash, FileHash(path));
    }
}

TEST_F(RenameByTagTest, NewPathOf255BytesRenamesAnd256IsRefused) {
    // Title and artist at most 126 bytes each, as the reader delivers them.
    const size_t directory = folder_.path().size() + 1;
    const size_t name = 255 - directory - 4;
    ASSERT_GT(name, 130u) << "temp folder path too long for this test";
    const std::string title(126, 'T');
    for (size_t length : {name, name + 1}) {
        SCOPED_TRACE(length);
        const std::string artist(length - 126 - 3, 'A');
        std::string path = Make("track.mp3");
        const uint64_t hash = FileHash(path);
        const std::string newPath = folder_.Path(title + " - " + artist + ".mp3");
        int code =
            RenameByTag(path.c_str(), Tags("", "", title.c_str(), artist.c_str()), Choices(NAME_TITLE_ARTIST, 2));
        if (length == name) {
            EXPECT_EQ(255u, newPath.size());
            EXPECT_EQ(RESULT_OK, code);
            EXPECT_TRUE(FileExists(newPath));
            EXPECT_EQ(hash, FileHash(newPath));
            unlink(newPath.c_str());
        } else {
            EXPECT_EQ(RESULT_RENAME_ERROR, code);
            EXPECT_EQ(hash, FileHash(path));
            EXPECT_EQ(std::vector<std::string>{"track.mp3"}, ListFolder(folder_.path()));
        }
    }
}

TEST_F(RenameByTagTest, PathWithoutSlashRenamesInTheCurrentFolder) {
    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(folder_.path().c_str()));
    Make("old.wav");
    int code = RenameByTag("old.wav", Tags("", "", "Song", ""), Choices(NAME_TITLE, 2));
    ASSERT_EQ(0, chdir(previous));
    EXPECT_EQ(RESULT_OK, code);
    EXPECT_EQ(std::vector<std::string>{"Song.mp3"}, ListFolder(folder_.path()));
}

}  // namespace
