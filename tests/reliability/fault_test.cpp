// Faults around one drop: files that cannot be read, folders, files that go
// away before their turn, folders that refuse the rename, names already taken,
// and paths at the length limits. Whatever happens, each file is renamed as the
// rules say or left exactly as it was, and the log tells which.
//
// Tests run as root in CI, where permission bits do not stop anything; the
// cases that rely on them run in a child process that has dropped to the
// "nobody" user first.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/drop_batch.h"
#include "reliability/drop_model.h"
#include "reliability/recording_drop_site.h"
#include "reliability/reliability_support.h"

namespace {

const Settings kTitleOnly = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

// An ID3v2.3 file whose TIT2 frame holds `title` and, when `artist` is not
// empty, whose TPE1 frame holds `artist` (each at most 126 bytes).
std::string TaggedFile(const std::string& title, const std::string& artist = "") {
    std::string bytes("ID3\3\0\0\0\0\0\0", 10);
    bytes += std::string("TIT2\0\0\0", 7) + static_cast<char>(title.size() + 1) + std::string("\0\0\0", 3) + title;
    if (!artist.empty()) {
        bytes +=
            std::string("TPE1\0\0\0", 7) + static_cast<char>(artist.size() + 1) + std::string("\0\0\0", 3) + artist;
    }
    return bytes + std::string(64, '\0');
}

// Runs the drop and returns the events; `site` may carry a beforePath hook.
std::vector<std::string> Drop(DropSite& site, Settings settings = kTitleOnly) {
    RunDropBatch(&site, &settings);
    return site.events;
}

// The drop run in a child as an unprivileged user: the child compares the log
// with `codes` itself and exits 0 when they agree.
int DropAsNobody(const std::vector<std::string>& paths, const std::vector<int>& codes,
                 const std::function<bool()>& precondition) {
    return RunInChild(
        [&]() {
            if (!precondition()) return static_cast<int>(CHILD_CANNOT_DROP);
            DropSite site;
            site.paths = paths;
            std::vector<std::string> events = Drop(site);
            std::vector<std::string> expected = ExpectedEvents(paths, codes);
            if (events == expected) return 0;
            for (const std::string& e : events) fprintf(stderr, "got: %s\n", e.c_str());
            return 1;
        },
        true);
}

std::string PathOfLength(const std::string& folder, size_t length, const char* extension = ".mp3") {
    return folder + "/" + std::string(length - folder.size() - 1 - strlen(extension), 'p') + extension;
}

}  // namespace

TEST(DropFaults, UnreadableFileIsAnAccessFailureAndStaysAsItWas) {
    ScratchFolder folder("fault");
    chmod(folder.path().c_str(), 0755);
    std::string path = folder.Path("locked.mp3");
    WriteBytes(path, TaggedFile("Locked"));
    chmod(path.c_str(), 0000);
    Snapshot before = TakeSnapshot(folder.path());

    int status = DropAsNobody({path}, {RESULT_ACCESS_FAILED}, [&]() {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && access(path.c_str(), R_OK) != 0;
    });
    if (status == CHILD_CANNOT_DROP) GTEST_SKIP() << "no unprivileged user to whom the file is unreadable";
    EXPECT_EQ(0, status) << "the log of an unreadable file differs (child's output above)";
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

TEST(DropFaults, ReadOnlyFolderFailsTheRenameAndKeepsTheFile) {
    ScratchFolder folder("fault");
    chmod(folder.path().c_str(), 0755);
    std::string locked = folder.Path("locked");
    MakeFolder(locked);
    std::string path = locked + "/track.mp3";
    WriteBytes(path, TaggedFile("Song"));
    chmod(locked.c_str(), 0555);
    Snapshot before = TakeSnapshot(folder.path());

    int status = DropAsNobody({path}, {RESULT_ACCESS_FAILED},
                              [&]() { return access(path.c_str(), R_OK) == 0 && access(locked.c_str(), W_OK) != 0; });
    if (status == CHILD_CANNOT_DROP) GTEST_SKIP() << "no unprivileged user for whom the folder is read-only";
    EXPECT_EQ(0, status) << "the log of a refused rename differs (child's output above)";
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

TEST(DropFaults, DroppedFolderIsAnAccessFailureAndStaysAsItWas) {
    ScratchFolder folder("fault");
    std::string album = folder.Path("Album.mp3");
    MakeFolder(album);
    WriteBytes(album + "/inside.mp3", TaggedFile("Inside"));
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
        unlink(paths[2].c_str());
        unlink(paths[3].c_str());
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

TEST(DropFaults, DroppedPathsOf255BytesAreHandledAndLongerOnesRefusedWhole) {
    ScratchFolder folder("fault");
    std::string fits = PathOfLength(folder.path(), 255);
    std::string over = PathOfLength(folder.path(), 256);
    WriteBytes(fits, TaggedFile("Fits"));
    WriteBytes(over, TaggedFile("Over"));
    // Longer than the log line: missing, and shown cut to the line.
    std::string huge = folder.path() + "/" + std::string(300, 'h') + "/" + std::string(300, 'h');
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
    std::string deep = folder.path() + "/" + std::string(150 - folder.path().size() - 2, 'd');
    MakeFolder(deep);
    std::string fits = deep + "/fits.mp3";
    std::string over = deep + "/over.mp3";
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
    std::string renamed = deep + "/" + std::string(50, 'F') + " - " + std::string(48, 'a') + ".mp3";
    EXPECT_EQ(255u, renamed.size());
    Snapshot expected = {{deep, kFolderMark}, {renamed, fitsBytes}, {over, overBytes}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}
