// Faults around one drop that look the same on every platform: folders, files
// that go away before their turn, names already taken (also in another letter
// case), and paths at the length limits. Whatever happens, each file is
// renamed as the rules say or left exactly as it was, and the log tells which.
// The faults that need the platform's own means (permissions, access lists,
// files held open) are in fault_test_posix.cpp and fault_test_win32.cpp.
#include <gtest/gtest.h>

#include "reliability/fault_support.h"
#include "reliability/reliability_support.h"

TEST(DropFaults, DroppedFolderIsAnAccessFailureAndStaysAsItWas) {
    ScratchFolder folder("fault");
    std::string album = folder.Path("Album.mp3");
    MakeFolder(album);
    WriteBytes(Child(album, "inside.mp3"), TaggedFile("Inside"));
    Snapshot before = TakeSnapshot(folder.path());
    DropSite site;
    site.paths = {album};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), Drop(site));
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

TEST(DropFaults, FileThatGoesAwayBeforeItsTurnIsAnAccessFailure) {
    ScratchFolder folder("fault");
    std::vector<std::string> paths = {folder.Path("a.mp3"), folder.Path("b.mp3"), folder.Path("c.mp3"),
                                      folder.Path("d.mp3")};
    WriteBytes(paths[0], TaggedFile("One"));
    WriteBytes(paths[1], TaggedFile("Two"));
    WriteBytes(paths[2], TaggedFile("Three"));
    WriteBytes(paths[3], TaggedFile("Four"));
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
    Snapshot expected = {{folder.Path("One.mp3"), TaggedFile("One")},
                         {folder.Path("Two.mp3"), TaggedFile("Two")},
                         {paths[3], kFolderMark}};
    EXPECT_EQ(expected, after);
}

TEST(DropFaults, TakenTargetNameFailsAndNeitherFileChanges) {
    ScratchFolder folder("fault");
    WriteBytes(folder.Path("Song.mp3"), "someone else's file");
    MakeFolder(folder.Path("Intro.mp3"));
    WriteBytes(folder.Path("one.mp3"), TaggedFile("Song"));
    WriteBytes(folder.Path("two.mp3"), TaggedFile("Intro"));
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
    ScratchFolder folder("fault");
    WriteBytes(folder.Path("SONG.mp3"), "someone else's file");
    WriteBytes(folder.Path("one.mp3"), TaggedFile("Song"));
    bool folds = Exists(folder.Path("song.MP3"));
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
                             {folder.Path("Song.mp3"), TaggedFile("Song")}};
        EXPECT_EQ(expected, TakeSnapshot(folder.path()));
    }
}

TEST(DropFaults, DroppedPathsOf255BytesAreHandledAndLongerOnesRefusedWhole) {
    ScratchFolder folder("fault");
    std::string fits = PathOfLength(folder.path(), 255);
    std::string over = PathOfLength(folder.path(), 256);
    ASSERT_EQ(255u, fits.size());
    ASSERT_EQ(256u, over.size());
    WriteBytes(fits, TaggedFile("Fits"));
    WriteBytes(over, TaggedFile("Over"));
    // Longer than the log line: missing, and shown cut to the line.
    std::string huge = Child(Child(folder.path(), std::string(300, 'h')), std::string(300, 'h'));
    DropSite site;
    site.paths = {fits, over, huge};
    std::vector<std::string> events = Drop(site);
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK, RESULT_ACCESS_FAILED, RESULT_ACCESS_FAILED}), events);
    ASSERT_EQ(8u, events.size());
    EXPECT_EQ("line " + ModelMessage(RESULT_ACCESS_FAILED) + " - " + over, events[3]);
    EXPECT_EQ(strlen("line ") + LINE_BUFFER - 1, events[4].size());
    Snapshot expected = {{folder.Path("Fits.mp3"), TaggedFile("Fits")}, {over, TaggedFile("Over")}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}

TEST(DropFaults, NewPathsOf255BytesAreTakenAndLongerOnesRefused) {
    ScratchFolder folder("fault");
    // A folder whose path, separator included, is 150 bytes long.
    std::string deep = Child(folder.path(), std::string(150 - folder.path().size() - 2, 'd'));
    MakeFolder(deep);
    std::string fits = Child(deep, "fits.mp3");
    std::string over = Child(deep, "over.mp3");
    // Title - artist: 50 + 3 + 48 bytes of name, 255 with folder and ".mp3";
    // one more byte of artist is one too many.
    Settings titleArtist = {NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    std::string fitsBytes = TaggedFile(std::string(50, 'F'), std::string(48, 'a'));
    std::string overBytes = TaggedFile(std::string(50, 'O'), std::string(49, 'a'));
    WriteBytes(fits, fitsBytes);
    WriteBytes(over, overBytes);
    DropSite site;
    site.paths = {fits, over};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK, RESULT_RENAME_ERROR}), Drop(site, titleArtist));
    std::string renamed = Child(deep, std::string(50, 'F') + " - " + std::string(48, 'a') + ".mp3");
    EXPECT_EQ(255u, renamed.size());
    Snapshot expected = {{deep, kFolderMark}, {renamed, fitsBytes}, {over, overBytes}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}
