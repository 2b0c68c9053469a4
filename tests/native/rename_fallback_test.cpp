// The rename where the file system lacks the no-replace flag: link, then
// unlink. The binary is linked with --wrap for renameat2 and unlink, so the
// flag can be refused and chosen unlinks made to fail.
#include <errno.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/file_io.h"
#include "support/test_files.h"

namespace {

// Paths whose unlink fails with EACCES.
std::set<std::string> unremovable;

}  // namespace

extern "C" {
int __real_unlink(const char* path);

int __wrap_renameat2(int, const char*, int, const char*, unsigned) {
    errno = EINVAL;  // as a file system without RENAME_NOREPLACE answers
    return -1;
}

int __wrap_unlink(const char* path) {
    if (unremovable.count(path) != 0) {
        errno = EACCES;
        return -1;
    }
    return __real_unlink(path);
}
}

TEST(RenameFallback, LinkThenUnlinkRenamesAndNeverReplaces) {
    TempFolder folder;
    WriteFile(folder.Path("old.mp3"), "song");
    WriteFile(folder.Path("taken.mp3"), "other");
    EXPECT_EQ(0, RenameNoReplace(folder.Path("old.mp3").c_str(), folder.Path("taken.mp3").c_str()));
    EXPECT_EQ("other", ReadFile(folder.Path("taken.mp3")));
    EXPECT_EQ(1, RenameNoReplace(folder.Path("old.mp3").c_str(), folder.Path("new.mp3").c_str()));
    EXPECT_EQ((std::vector<std::string>{"new.mp3", "taken.mp3"}), ListFolder(folder.path()));
}

// When the old name cannot be removed the new one is taken back; when that
// fails too, the file keeps both names and the diagnostics say so.
TEST(RenameFallback, OldNameThatCannotBeRemoved) {
    struct Case {
        const char* name;
        std::vector<const char*> unremovable;
        std::vector<std::string> after;
        bool told;
    };
    const Case cases[] = {
        {"new name taken back", {"old.mp3"}, {"old.mp3"}, false},
        {"neither name removable", {"old.mp3", "new.mp3"}, {"new.mp3", "old.mp3"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        WriteFile(folder.Path("old.mp3"), "song");
        for (const char* name : c.unremovable) unremovable.insert(folder.Path(name));
        std::string said;
        DiagnosticSink before =
            SetDiagnosticSink({[](void* to, const char* text) { *static_cast<std::string*>(to) += text; }, &said});
        int result = RenameNoReplace(folder.Path("old.mp3").c_str(), folder.Path("new.mp3").c_str());
        SetDiagnosticSink(before);
        unremovable.clear();
        EXPECT_EQ(0, result);
        EXPECT_EQ(c.after, ListFolder(folder.path()));
        EXPECT_EQ("song", ReadFile(folder.Path("old.mp3")));
        EXPECT_EQ(c.told, said.find("now also has the name " + folder.Path("new.mp3")) != std::string::npos) << said;
    }
}
