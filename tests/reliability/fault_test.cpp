// Faults around one drop that look the same on every platform: folders, files
// that go away before their turn, names already taken (also in another letter
// case), and paths at the length limits. Whatever happens, each file is
// renamed as the rules say or left exactly as it was, and the log tells which.
// The faults that need the platform's own means (permissions, access lists,
// files held open) are in fault_test_posix.cpp and fault_test_win32.cpp.
#include <gtest/gtest.h>

#include "reliability/fault_support.h"
#include "support/test_files.h"

TEST(DropFaults, DroppedFolderIsAnAccessFailureAndStaysAsItWas) {
    TempFolder folder("fault");
    std::string album = folder.Path("Album.mp3");
    MakeFolder(album);
    WriteFile(Child(album, "inside.mp3"), TaggedMp3("Inside"));
    Snapshot before = TakeSnapshot(folder.path());
    DropSite site;
    site.paths = {album};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), Drop(site));
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

TEST(DropFaults, FileThatGoesAwayBeforeItsTurnIsAnAccessFailure) {
    TempFolder folder("fault");
    std::vector<std::string> paths = {folder.Path("a.mp3"), folder.Path("b.mp3"), folder.Path("c.mp3"),
                                      folder.Path("d.mp3")};
    WriteFile(paths[0], TaggedMp3("One"));
    WriteFile(paths[1], TaggedMp3("Two"));
    WriteFile(paths[2], TaggedMp3("Three"));
    WriteFile(paths[3], TaggedMp3("Four"));
    DropSite site;
    site.paths = paths;
    // While the first file is handled, the third is deleted and the fourth
    // becomes a folder.
    site.beforePath = [&](unsigned index) {
        if (index != 1) return;
        RemoveTree(paths[2]);
        RemoveTree(paths[3]);
        MakeFolder(paths[3]);
    };
    EXPECT_EQ(ExpectedEvents(paths, {RESULT_OK, RESULT_OK, RESULT_ACCESS_FAILED, RESULT_ACCESS_FAILED}), Drop(site));
    Snapshot after = TakeSnapshot(folder.path());
    Snapshot expected = {{folder.Path("One.mp3"), TaggedMp3("One")},
                         {folder.Path("Two.mp3"), TaggedMp3("Two")},
                         {paths[3], kFolderMark}};
    EXPECT_EQ(expected, after);
}

TEST(DropFaults, TakenTargetNameFailsAndNeitherFileChanges) {
    TempFolder folder("fault");
    WriteFile(folder.Path("Song.mp3"), "someone else's file");
    MakeFolder(folder.Path("Intro.mp3"));
    WriteFile(folder.Path("one.mp3"), TaggedMp3("Song"));
    WriteFile(folder.Path("two.mp3"), TaggedMp3("Intro"));
    Snapshot before = TakeSnapshot(folder.path());
    DropSite site;
    site.paths = {folder.Path("one.mp3"), folder.Path("two.mp3")};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED, RESULT_ACCESS_FAILED}), Drop(site));
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

// Another file holds the new name in other letters. Where the file system
// folds case the name is taken and nothing may change; where it does not, the
// two names are different files and both stay.
TEST(DropFaults, NameTakenInAnotherLetterCaseFailsWhereTheFileSystemFoldsCase) {
    TempFolder folder("fault");
    WriteFile(folder.Path("SONG.mp3"), "someone else's file");
    WriteFile(folder.Path("one.mp3"), TaggedMp3("Song"));
    bool folds = PathExists(folder.Path("song.MP3"));
    RecordProperty("file_system_folds_case", folds ? "yes" : "no");
    Snapshot before = TakeSnapshot(folder.path());
    DropSite site;
    site.paths = {folder.Path("one.mp3")};
    if (folds) {
        EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), Drop(site));
        EXPECT_EQ(before, TakeSnapshot(folder.path()));
    } else {
        EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK}), Drop(site));
        Snapshot expected = {{folder.Path("SONG.mp3"), "someone else's file"},
                             {folder.Path("Song.mp3"), TaggedMp3("Song")}};
        EXPECT_EQ(expected, TakeSnapshot(folder.path()));
    }
}

TEST(DropFaults, DroppedPathsOf255BytesAreHandledAndLongerOnesRefusedWhole) {
    TempFolder folder("fault");
    std::string fits = PathOfLength(folder.path(), 255);
    std::string over = PathOfLength(folder.path(), 256);
    ASSERT_EQ(255u, fits.size());
    ASSERT_EQ(256u, over.size());
    WriteFile(fits, TaggedMp3("Fits"));
    WriteFile(over, TaggedMp3("Over"));
    // Longer than the log line: missing, and shown cut to the line.
    std::string huge = Child(Child(folder.path(), std::string(300, 'h')), std::string(300, 'h'));
    DropSite site;
    site.paths = {fits, over, huge};
    std::vector<std::string> events = Drop(site);
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK, RESULT_ACCESS_FAILED, RESULT_ACCESS_FAILED}), events);
    ASSERT_EQ(8u, events.size());
    EXPECT_EQ("line " + ModelMessage(RESULT_ACCESS_FAILED) + " - " + over, events[3]);
    EXPECT_EQ(strlen("line ") + LINE_BUFFER - 1, events[4].size());
    Snapshot expected = {{folder.Path("Fits.mp3"), TaggedMp3("Fits")}, {over, TaggedMp3("Over")}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}

TEST(DropFaults, NewPathsOf255BytesAreTakenAndLongerOnesRefused) {
    TempFolder folder("fault");
    // A folder whose path, separator included, is 150 bytes long.
    std::string deep = Child(folder.path(), std::string(150 - folder.path().size() - 2, 'd'));
    MakeFolder(deep);
    std::string fits = Child(deep, "fits.mp3");
    std::string over = Child(deep, "over.mp3");
    // Title - artist: 50 + 3 + 48 bytes of name, 255 with folder and ".mp3";
    // one more byte of artist is one too many.
    Settings titleArtist = {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    std::string fitsBytes = TaggedMp3(std::string(50, 'F'), std::string(48, 'a'));
    std::string overBytes = TaggedMp3(std::string(50, 'O'), std::string(49, 'a'));
    WriteFile(fits, fitsBytes);
    WriteFile(over, overBytes);
    DropSite site;
    site.paths = {fits, over};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK, RESULT_RENAME_ERROR}), Drop(site, titleArtist));
    std::string renamed = Child(deep, std::string(50, 'F') + " - " + std::string(48, 'a') + ".mp3");
    EXPECT_EQ(255u, renamed.size());
    Snapshot expected = {{deep, kFolderMark}, {renamed, fitsBytes}, {over, overBytes}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}
