// Reads that fail part-way through a file, and what the reader reads at all.
// The test binary is linked with --wrap for read and pread, so the reader's
// reads pass through the wrappers below, which count the bytes read and let a
// set number succeed and fail every later one with EIO.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

// Sequential and positional reads that succeed before every later one fails;
// -1 lets all pass.
int readsBeforeFailure = -1;
int preadsBeforeFailure = -1;
// What the sequential reads delivered.
long long bytesRead = 0;

struct FailingReads {
    FailingReads(int reads, int preads) {
        readsBeforeFailure = reads;
        preadsBeforeFailure = preads;
    }
    ~FailingReads() {
        readsBeforeFailure = -1;
        preadsBeforeFailure = -1;
    }
};

// Whether the next call may go through, counting it.
bool Passes(int* left) {
    if (*left == 0) {
        errno = EIO;
        return false;
    }
    if (*left > 0) --*left;
    return true;
}

TagInfo Blank() {
    TagInfo info;
    memset(&info, 0, sizeof info);
    return info;
}

std::string TaggedSong() {
    return Id3v2Header(64) + TextFrame("TIT2", "Song") + TextFrame("TPE1", "Band");
}

}  // namespace

extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_pread(int fd, void* buffer, size_t size, off_t offset);
ssize_t __real_pread64(int fd, void* buffer, size_t size, off_t offset);

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
    if (!Passes(&readsBeforeFailure)) return -1;
    ssize_t n = __real_read(fd, buffer, size);
    if (n > 0) bytesRead += n;
    return n;
}
ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
    return Passes(&preadsBeforeFailure) ? __real_pread(fd, buffer, size, offset) : -1;
}
ssize_t __wrap_pread64(int fd, void* buffer, size_t size, off_t offset) {
    return Passes(&preadsBeforeFailure) ? __real_pread64(fd, buffer, size, offset) : -1;
}
}

// The signature is in hand after the first read; the read that should bring
// the rest of the window fails. The file is still an MP3 with its tag, read
// from the bytes that did arrive.
TEST(ReadFaults, FailureAfterTheSignatureKeepsTheBytesAlreadyRead) {
    TempFolder folder;
    std::string path = folder.Path("late.mp3");
    WriteFile(path, Bytes().Zeros(10).Text(TaggedSong()).PadTo(4096));
    TagInfo info = Blank();
    {
        FailingReads faults(1, -1);
        EXPECT_EQ(1, ReadTags(path.c_str(), info));
    }
    EXPECT_EQ(1, info.fileOpened);
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_STREQ("Song", info.v2Title);
    EXPECT_STREQ("Band", info.v2Artist);
}

// Past a long run of zeros the signature lands at the very end of a block, and
// the read of the window behind it fails (so does the ID3v1 read): the
// signature alone still counts, with a window of zeros. (The first read of
// the whole-tag reading is larger, the rest the same.)
TEST(ReadFaults, FailureBehindASignatureAtTheEndOfAZeroBlock) {
    TempFolder folder;
    std::string path = folder.Path("edge.mp3");
    WriteFile(path, Bytes().Zeros(394 + 65536 - 3).Text(TaggedSong()).PadTo(200000));
    TagInfo info = Blank();
    FileIdentity identity;
    {
        FailingReads faults(-1, 0);
        EXPECT_EQ(1, ReadTagsInWindow(path.c_str(), info, &identity));
    }
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_EQ(0, info.hasId3v1);
    EXPECT_STREQ("", info.v2Title);
}

// A read that fails before any non-zero byte was seen ends the file there: it
// was opened, but nothing in it was recognized.
TEST(ReadFaults, FailureBeforeAnyNonZeroByteIsAFileNotRecognized) {
    TempFolder folder;
    std::string path = folder.Path("early.mp3");
    WriteFile(path, Bytes().Zeros(300000).Text(TaggedSong()).PadTo(400000));
    for (int successes : {0, 1, 3}) {
        SCOPED_TRACE(successes);
        TagInfo info = Blank();
        {
            FailingReads faults(successes, -1);
            EXPECT_EQ(0, ReadTags(path.c_str(), info));
        }
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(0, info.formatRecognized);
    }
}

// A sparse file's holes hold zeros that need no reading: a gigabyte of hole
// before the tag costs no more reading than the tag itself.
TEST(ReadFaults, HolesBeforeTheSignatureAreSkippedNotRead) {
    TempFolder folder;
    std::string path = folder.Path("sparse.mp3");
    const off_t hole = 1LL << 30;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    std::string tag = TaggedSong() + std::string(400, 'x');
    ASSERT_EQ(static_cast<ssize_t>(tag.size()), pwrite(fd, tag.data(), tag.size(), hole));
    close(fd);
    fd = open(path.c_str(), O_RDONLY);
    off_t data = lseek(fd, 0, SEEK_DATA);
    close(fd);
    if (data < hole / 2) GTEST_SKIP() << "this file system does not report holes";

    bytesRead = 0;
    TagInfo info = Blank();
    EXPECT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_STREQ("Song", info.v2Title);
    EXPECT_LT(bytesRead, 1LL << 20);
}
