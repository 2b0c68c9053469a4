// Drop faults that need Windows means: access lists on files and folders, the
// read-only attribute, and, under Wine, a Unix folder that refuses every
// change. Files held open by another program are in
// tests/windows/file_io_win32_test.cpp and shell_drop_test.cpp.
//
// Wine keeps an access list as the Unix permission bits of the file, and root
// passes those: ctest runs the cases built on access lists as an unprivileged
// user (run_unprivileged.sh, which fails on a skip), and they check that the
// list took effect and are skipped, with the reason, where it did not. A
// folder made immutable from the Unix side refuses even root: ctest prepares
// one (immutable_folder.sh) and names it in QUILLON_IMMUTABLE_FOLDER.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include "reliability/fault_support.h"
#include "support/test_files.h"

namespace {

// Gives a file or folder an access list of its own: Everyone denied `denied`
// (nothing when 0), then allowed everything else. It goes through a handle
// opened while nothing is denied yet: Wine keeps the list as permission bits,
// and once they deny reading it can no longer open the file to take the list
// back.
class AccessList {
  public:
    explicit AccessList(const std::string& path)
        : handle_(CreateFileA(path.c_str(), READ_CONTROL | WRITE_DAC,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~AccessList() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    AccessList(const AccessList&) = delete;
    AccessList& operator=(const AccessList&) = delete;

    DWORD Set(DWORD denied) {
        if (handle_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
            return GetLastError();
        }
        alignas(DWORD) BYTE buffer[256];
        PACL acl = reinterpret_cast<PACL>(buffer);
        InitializeAcl(acl, sizeof buffer, ACL_REVISION);
        if (denied != 0) AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone);
        AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone);
        DWORD result =
            SetSecurityInfo(handle_, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, acl, nullptr);
        FreeSid(everyone);
        return result;
    }

  private:
    HANDLE handle_;
};

bool CanRead(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Whether a new file can be made in `folder` (it is removed again).
bool CanCreateIn(const std::string& folder) {
    std::string probe = Child(folder, "probe.tmp");
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return true;
}

}  // namespace

TEST(DropFaults, FileWhoseAccessListDeniesReadingIsAnAccessFailureAndStaysAsItWas) {
    TempFolder folder("fault");
    std::string path = folder.Path("locked.mp3");
    WriteFile(path, TaggedMp3("Locked"));
    Snapshot before = TakeSnapshot(folder.path());
    AccessList list(path);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), list.Set(FILE_GENERIC_READ | GENERIC_READ));
    bool readable = CanRead(path);
    std::vector<std::string> events;
    DropSite site;
    site.paths = {path};
    if (!readable) events = Drop(site);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), list.Set(0));
    if (readable)
        GTEST_SKIP() << "the access list did not stop reading (Wine keeps it as Unix permission bits, "
                        "which root passes)";
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), events);
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

TEST(DropFaults, FolderWhoseAccessListDeniesNewNamesFailsTheRenameAndKeepsTheFile) {
    TempFolder folder("fault");
    std::string locked = folder.Path("locked");
    MakeFolder(locked);
    std::string path = Child(locked, "track.mp3");
    WriteFile(path, TaggedMp3("Song"));
    Snapshot before = TakeSnapshot(folder.path());
    AccessList list(locked);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), list.Set(FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD));
    bool writable = CanCreateIn(locked);
    std::vector<std::string> events;
    DropSite site;
    site.paths = {path};
    if (!writable) events = Drop(site);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), list.Set(0));
    if (writable)
        GTEST_SKIP() << "the access list did not make the folder read-only (Wine keeps it as Unix "
                        "permission bits, which root passes)";
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), events);
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
}

// The read-only attribute of a folder does not protect its entries on
// Windows (Explorer uses it to mark special folders), and Wine does not keep
// it at all: the rename goes ahead.
TEST(DropFaults, ReadOnlyAttributeOnAFolderDoesNotStopTheRename) {
    TempFolder folder("fault");
    std::string marked = folder.Path("marked");
    MakeFolder(marked);
    std::string path = Child(marked, "track.mp3");
    WriteFile(path, TaggedMp3("Song"));
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_READONLY));
    RecordProperty("folder_keeps_read_only_attribute",
                   (GetFileAttributesA(marked.c_str()) & FILE_ATTRIBUTE_READONLY) != 0 ? "yes" : "no");
    DropSite site;
    site.paths = {path};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_OK}), Drop(site));
    SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_NORMAL);
    Snapshot expected = {{marked, kFolderMark}, {Child(marked, "Song.mp3"), TaggedMp3("Song")}};
    EXPECT_EQ(expected, TakeSnapshot(folder.path()));
}

// A Unix folder with the immutable flag: no name in it may be added, removed
// or changed, whoever asks. The file in it (an ID3v2 tag titled "Song") is
// read, its rename refused with code 1, and the folder stays as it was.
TEST(DropFaults, ImmutableUnixFolderFailsTheRenameAndKeepsTheFile) {
    const char* unixFolder = getenv("QUILLON_IMMUTABLE_FOLDER");
    if (unixFolder == nullptr || unixFolder[0] != '/') {
        GTEST_SKIP() << "no immutable folder prepared (ctest prepares one under Wine)";
    }
    std::string root = std::string("Z:") + unixFolder;
    for (char& c : root) {
        if (c == '/') c = '\\';
    }
    std::string locked = Child(root, "locked");
    std::string path = Child(locked, "track.mp3");
    ASSERT_TRUE(PathExists(path)) << path;
    if (CanCreateIn(locked)) GTEST_SKIP() << "the folder could not be made immutable here (chattr +i)";
    Snapshot before = TakeSnapshot(root);
    ASSERT_NE(std::string::npos, before[path].find("TIT2")) << "the prepared file has no title";
    DropSite site;
    site.paths = {path};
    EXPECT_EQ(ExpectedEvents(site.paths, {RESULT_ACCESS_FAILED}), Drop(site));
    EXPECT_EQ(before, TakeSnapshot(root));
}
