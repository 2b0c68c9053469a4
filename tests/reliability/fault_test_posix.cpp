// Drop faults that need POSIX means: permission bits and files held open.
//
// Tests run as root in CI, where permission bits do not stop anything; the
// cases that rely on them run in a child process that has dropped to the
// "nobody" user first.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "reliability/fault_support.h"
#include "support/test_files.h"

namespace {

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

}  // namespace

TEST(DropFaults, UnreadableFileIsAnAccessFailureAndStaysAsItWas) {
    TempFolder folder("fault");
    chmod(folder.path().c_str(), 0755);
    std::string path = folder.Path("locked.mp3");
    WriteFile(path, TaggedMp3("Locked"));
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
    TempFolder folder("fault");
    chmod(folder.path().c_str(), 0755);
    std::string locked = folder.Path("locked");
    MakeFolder(locked);
    std::string path = locked + "/track.mp3";
    WriteFile(path, TaggedMp3("Song"));
    chmod(locked.c_str(), 0555);
    Snapshot before = TakeSnapshot(folder.path());

    int status = DropAsNobody({path}, {RESULT_ACCESS_FAILED},
                              [&]() { return access(path.c_str(), R_OK) == 0 && access(locked.c_str(), W_OK) != 0; });
    if (status == CHILD_CANNOT_DROP) GTEST_SKIP() << "no unprivileged user for whom the folder is read-only";
    EXPECT_EQ(0, status) << "the log of a refused rename differs (child's output above)";
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

// POSIX has no sharing modes: a file another program holds open for writing
// is read and renamed like any other, and the writer's descriptor follows it
// to its new name. Its bytes stay whole, and what the writer adds afterwards
// lands in the renamed file.
TEST(DropFaults, FileOpenElsewhereForWritingIsRenamedWholeAndTheWriterFollowsIt) {
    TempFolder folder("fault");
    std::string path = folder.Path("busy.mp3");
    std::string bytes = TaggedMp3("Busy");
    WriteFile(path, bytes);
    int writer = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    DropSite site;
    site.paths = {path};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK}), Drop(site));
    EXPECT_EQ(4, write(writer, "more", 4));
    close(writer);
    Snapshot expected = {{folder.Path("Busy.mp3"), bytes + "more"}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}
