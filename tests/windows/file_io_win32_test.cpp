// The Win32 file back end on real files: what CreateFileA refuses to open,
// reads at both ends of a file (past 4 GiB too), and what the rename refuses.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/rename_planner.h"
#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

using Names = std::vector<std::string>;

const Settings kTitleOnly = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

// Tags of "Song" by "Band" in ID3v2, "Old Title" by "Old Artist" in ID3v1,
// the title field filled up with blanks.
std::string TaggedSong() {
    return Id3v2Tag(TextFrame("TIT2", "Song") + TextFrame("TPE1", "Band")) + MpegFrames(3) +
           Id3v1Tag("Old Title" + std::string(21, ' '), "Old Artist");
}

// A record still holding an earlier file's values, so that a test can see
// which fields a call leaves alone.
TagInfo StaleInfo() {
    TagInfo info;
    memset(&info, 0, sizeof info);
    info.formatRecognized = 1;
    info.fileOpened = 1;
    info.hasId3v1 = 1;
    info.hasId3v2 = 1;
    strcpy(info.v1Title, "stale v1 title");
    strcpy(info.v1Artist, "stale v1 artist");
    strcpy(info.v2Title, "stale v2 title");
    strcpy(info.v2Artist, "stale v2 artist");
    return info;
}

void ExpectOnlyFileOpenedCleared(const TagInfo& info) {
    EXPECT_EQ(0, info.fileOpened);
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v1);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_STREQ("stale v1 title", info.v1Title);
    EXPECT_STREQ("stale v1 artist", info.v1Artist);
    EXPECT_STREQ("stale v2 title", info.v2Title);
    EXPECT_STREQ("stale v2 artist", info.v2Artist);
}

struct Holder {
    const char* what;
    DWORD access;
    DWORD share;
};

TEST(Win32FileAccess, FileHeldElsewhereWithoutReadSharingOrForWritingIsNotOpenedAndKeepsNameAndBytes) {
    const Holder holders[] = {
        {"writer sharing read and write", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
        {"writer sharing read", GENERIC_WRITE, FILE_SHARE_READ},
        {"writer sharing nothing", GENERIC_WRITE, 0},
        {"reader sharing nothing", GENERIC_READ, 0},
        {"reader sharing write and delete", GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    for (const Holder& holder : holders) {
        SCOPED_TRACE(holder.what);
        TempFolder folder("held");
        std::string path = folder.Path("track01.mp3");
        ASSERT_NO_THROW(WriteFile(path, TaggedSong()));
        HANDLE held = CreateFileA(path.c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);

        TagInfo info = StaleInfo();
        EXPECT_EQ(0, ReadTags(path.c_str(), info));
        ExpectOnlyFileOpenedCleared(info);
        EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), info, kTitleOnly));
        CloseHandle(held);

        EXPECT_EQ(Names{"track01.mp3"}, ListFolder(folder.path()));
        EXPECT_EQ(TaggedSong(), ReadFile(path));
    }
}

TEST(Win32FileAccess, FileReadElsewhereWithoutDeleteSharingIsReadButNotRenamed) {
    TempFolder folder("reader");
    std::string path = folder.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    TagInfo info = StaleInfo();
    EXPECT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_STREQ("Song", info.v2Title);
    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), info, kTitleOnly));
    CloseHandle(held);

    EXPECT_EQ(Names{"track01.mp3"}, ListFolder(folder.path()));
    EXPECT_EQ(TaggedSong(), ReadFile(path));
}

TEST(Win32FileAccess, FolderMissingFileAndDeviceAreNotOpened) {
    TempFolder folder("notfiles");
    std::string album = folder.Path("album.mp3");
    ASSERT_TRUE(CreateDirectoryA(album.c_str(), nullptr));
    const std::string paths[] = {album, folder.Path("missing.mp3"), folder.path() + "\\nowhere\\x.mp3", "NUL",
                                 "CONIN$"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        TagInfo info = StaleInfo();
        EXPECT_EQ(0, ReadTags(path.c_str(), info));
        ExpectOnlyFileOpenedCleared(info);
        EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), info, kTitleOnly));
    }
    EXPECT_EQ(Names{"album.mp3"}, ListFolder(folder.path()));
    EXPECT_TRUE(FolderExists(album));
}

TEST(Win32FileAccess, BothTagsAreReadFromDiskAndTheFileIsRenamedWithItsBytes) {
    TempFolder folder("both");
    std::string path = folder.Path("track01.MP3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));

    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_EQ(1, info.fileOpened);
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_EQ(1, info.hasId3v1);
    EXPECT_STREQ("Song", info.v2Title);
    EXPECT_STREQ("Band", info.v2Artist);
    EXPECT_STREQ("Old Title", info.v1Title);
    EXPECT_STREQ("Old Artist", info.v1Artist);

    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
    EXPECT_EQ(Names{"Song.mp3"}, ListFolder(folder.path()));
    EXPECT_EQ(TaggedSong(), ReadFile(folder.Path("Song.mp3")));
}

TEST(Win32FileAccess, LeadingZerosOfAnyLengthAreSkippedAndBothEndsRead) {
    // 259 bytes are read first, then blocks of 64 KiB; the counts straddle both.
    const size_t zeroCounts[] = {0, 1, 258, 259, 260, 65536 + 259 - 100, 65536 + 259, 200000};
    for (size_t zeros : zeroCounts) {
        SCOPED_TRACE(zeros);
        TempFolder folder("zeros");
        std::string path = folder.Path("track.mp3");
        ASSERT_NO_THROW(WriteFile(path, std::string(zeros, '\0') + TaggedSong()));
        TagInfo info = StaleInfo();
        ASSERT_EQ(1, ReadTags(path.c_str(), info));
        EXPECT_EQ(1, info.hasId3v2);
        EXPECT_STREQ("Song", info.v2Title);
        EXPECT_STREQ("Band", info.v2Artist);
        EXPECT_STREQ("Old Title", info.v1Title);
        EXPECT_STREQ("Old Artist", info.v1Artist);
    }
}

TEST(Win32FileAccess, V1TagAtTheEndOfAFileBeyondFourGiBIsRead) {
    TempFolder folder("large");
    std::string path = folder.Path("large.mp3");
    // Sparse where the file system allows: only both ends take room on disk.
    const LONGLONG size = 5LL << 30;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string head = Id3v2Tag(TextFrame("TIT2", "Head"));
    std::string tail = Id3v1Tag("Far Title", "Far Artist");
    DWORD written = 0;
    LARGE_INTEGER at;
    at.QuadPart = size - 128;
    bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
              SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
              WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok);

    InputFile input;
    ASSERT_EQ(1, OpenForReading(path.c_str(), &input));
    EXPECT_EQ(size, FileLength(input));
    char bytes[3] = {};
    EXPECT_EQ(3, ReadAt(input, size - 128, bytes, 3));
    EXPECT_EQ(0, memcmp(bytes, "TAG", 3));
    EXPECT_EQ(0, ReadAt(input, size, bytes, 3));
    CloseFile(input);

    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_STREQ("Head", info.v2Title);
    EXPECT_EQ(1, info.hasId3v1);
    EXPECT_STREQ("Far Title", info.v1Title);
    EXPECT_STREQ("Far Artist", info.v1Artist);
}

TEST(Win32Rename, ExistingTargetIsNeverReplaced) {
    TempFolder folder("exists");
    std::string path = folder.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));
    ASSERT_NO_THROW(WriteFile(folder.Path("Song.mp3"), "an earlier song"));
    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), info, kTitleOnly));
    EXPECT_EQ((Names{"Song.mp3", "track01.mp3"}), ListFolder(folder.path()));
    EXPECT_EQ(TaggedSong(), ReadFile(path));
    EXPECT_EQ("an earlier song", ReadFile(folder.Path("Song.mp3")));
}

TEST(Win32Rename, FileAlreadyNamedAfterItsTagIsReportedRenamedAndKept) {
    TempFolder folder("same");
    std::string path = folder.Path("Song.mp3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));
    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
    EXPECT_EQ(Names{"Song.mp3"}, ListFolder(folder.path()));
    EXPECT_EQ(TaggedSong(), ReadFile(path));
}

TEST(Win32Rename, NameDifferingOnlyInLetterCaseIsReportedRenamedAndKeepsTheFile) {
    TempFolder folder("case");
    std::string path = folder.Path("SONG.mp3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));
    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    EXPECT_EQ(RESULT_OK, RenameByTag(path.c_str(), info, kTitleOnly));
    // NTFS takes the new letter case; Wine finds the target to be the file
    // itself and leaves the name as it was. Either way it is one file, whole.
    Names names = ListFolder(folder.path());
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(0, lstrcmpiA(names[0].c_str(), "Song.mp3")) << names[0];
    RecordProperty("name_after_case_only_rename", names[0]);
    EXPECT_EQ(TaggedSong(), ReadFile(folder.Path(names[0])));
}

TEST(Win32Rename, NameTheFileSystemRefusesFailsAndKeepsTheFile) {
    // Control characters pass the nine-character test but no Windows file
    // name may hold them.
    TempFolder folder("refused");
    std::string path = folder.Path("track01.mp3");
    std::string bytes = Id3v2Tag(TextFrame("TIT2", "Tab\there")) + MpegFrames(1);
    ASSERT_NO_THROW(WriteFile(path, bytes));
    TagInfo info = StaleInfo();
    ASSERT_EQ(1, ReadTags(path.c_str(), info));

    EXPECT_EQ(RESULT_ACCESS_FAILED, RenameByTag(path.c_str(), info, kTitleOnly));
    EXPECT_EQ(Names{"track01.mp3"}, ListFolder(folder.path()));
    EXPECT_EQ(bytes, ReadFile(path));
}

// Under Wine the temp folder (in the prefix) and /dev/shm lie on different
// Unix file systems: a move between them would be a copy and a delete, which
// would lose the file if the target were a device.
TEST(Win32Rename, FileIsNeverCopiedToAnotherDevice) {
    TempFolder here("device");
    if (!FolderExists("Z:\\dev\\shm")) GTEST_SKIP() << "no /dev/shm reached through Z:";
    TempFolder there("device", "Z:\\dev\\shm");
    std::string path = here.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(path, TaggedSong()));

    EXPECT_EQ(0, RenameNoReplace(path.c_str(), there.Path("Song.mp3").c_str()));
    EXPECT_EQ(Names{"track01.mp3"}, ListFolder(here.path()));
    EXPECT_EQ(TaggedSong(), ReadFile(path));
    EXPECT_EQ(Names{}, ListFolder(there.path()));
}

}  // namespace
