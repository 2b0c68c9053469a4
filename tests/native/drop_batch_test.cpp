// The drop batch against a recording drop site: the order of pictures, log
// and release, one line per file in the drop's order, long paths, and a
// TagInfo reused across files that never carries one file's tags into the next.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/drop_batch.h"
#include "core/drop_reasons.h"
#include "core/file_io.h"
#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

// The drop site of this test: the dropped paths, and what the batch did with
// the pictures and the log, in order.
struct DropSite {
    std::vector<std::string> paths;
    std::vector<std::string> calls;
    bool released = false;
};

unsigned DropCount(DropSite* site) {
    return static_cast<unsigned>(site->paths.size());
}

unsigned DropPath(DropSite* site, unsigned index, char* path, unsigned size) {
    EXPECT_FALSE(site->released) << "path asked for after the release";
    const std::string& given = site->paths.at(index);
    if (size > 0) {
        size_t copy = given.size() < size - 1 ? given.size() : size - 1;
        memcpy(path, given.data(), copy);
        path[copy] = '\0';
    }
    return static_cast<unsigned>(given.size());
}

void DropReadTags(DropSite*, const char* path, TagInfo& info) {
    ReadTags(path, info);
}

int DropRename(DropSite*, const char* from, const char* to) {
    return RenameNoReplace(from, to);
}

void DropRelease(DropSite* site) {
    site->released = true;
    site->calls.push_back("release");
}

void DropDrawState(DropSite* site, Settings settings) {
    site->calls.push_back("picture busy=" + std::to_string(settings.busy));
}

void DropClearLog(DropSite* site) {
    site->calls.push_back("clear");
}

void DropAddLine(DropSite* site, const char* line) {
    site->calls.push_back(std::string("line ") + line);
}

void DropReady(DropSite* site) {
    site->calls.push_back("READY.");
}

void DropReportOutcome(DropSite*, const DropOutcome&) {}

void DropMessageText(DropSite*, int code, char* text) {
    EXPECT_GE(code, RESULT_ACCESS_FAILED);
    EXPECT_LE(code, RESULT_OK);
    snprintf(text, MESSAGE_BUFFER, "M%d", code);
}

namespace {

// Tagged in both versions, the ID3v1 texts told apart by a "V1 " prefix.
std::string BothTags(const std::string& title, const std::string& artist) {
    return TaggedMp3(title, artist, "V1 " + title, "V1 " + artist);
}

std::string UntaggedMp3() {
    return Bytes().Raw({0xFF, 0xFB, 0x90, 0x64}).Fill(300, 0x55);
}

std::string Line(int code, const std::string& path) {
    return "line M" + std::to_string(code) + " - " + path;
}

class DropBatchTest : public ::testing::Test {
  protected:
    std::string Make(const std::string& name, const std::string& content) {
        std::string path = folder_.Path(name);
        WriteFile(path, content);
        return path;
    }

    // Runs a drop of `paths` with the live record `live`.
    std::vector<std::string> Drop(const std::vector<std::string>& paths, Settings& live, unsigned* failed = nullptr) {
        DropSite site;
        site.paths = paths;
        unsigned count = RunDropBatch(&site, &live);
        if (failed != nullptr) *failed = count;
        EXPECT_TRUE(site.released);
        return site.calls;
    }

    TempFolder folder_;
    Settings live_ = {NAME_TITLE, PRIMARY_V2, LOG_SHOW, 0};
};

TEST_F(DropBatchTest, EmptyDropStillShowsBothPicturesAndLeavesOnlyReady) {
    unsigned failed = 99;
    std::vector<std::string> calls = Drop({}, live_, &failed);
    EXPECT_EQ((std::vector<std::string>{"picture busy=1", "clear", "release", "picture busy=0", "READY."}), calls);
    EXPECT_EQ(0u, failed);
    EXPECT_EQ(0, live_.busy);
    EXPECT_EQ(NAME_TITLE, live_.nameFormat);
    EXPECT_EQ(PRIMARY_V2, live_.primaryTag);
    EXPECT_EQ(LOG_SHOW, live_.logWindow);
}

TEST_F(DropBatchTest, OneLinePerFileInTheDropsOrderWithTheOldPaths) {
    std::string a = Make("a.mp3", BothTags("One", "Band"));
    std::string b = Make("b.mp3", BothTags("Two", "Band"));
    std::string c = Make("c.mp3", BothTags("Three", "Band"));
    live_.nameFormat = NAME_ARTIST_TITLE;
    unsigned failed = 99;
    std::vector<std::string> calls = Drop({c, a, b}, live_, &failed);
    EXPECT_EQ((std::vector<std::string>{"picture busy=1", "clear", Line(6, c), Line(6, a), Line(6, b), "release",
                                        "picture busy=0", "READY."}),
              calls);
    EXPECT_EQ(0u, failed);
    EXPECT_EQ((std::vector<std::string>{"Band - One.mp3", "Band - Three.mp3", "Band - Two.mp3"}),
              ListFolder(folder_.path()));
}

TEST_F(DropBatchTest, MixedOutcomesInOrder) {
    std::vector<std::string> paths = {
        Make("ok.mp3", BothTags("Fine", "Band")),                                                // 6
        folder_.Path("missing.mp3"),                                                             // 1
        Make("notes.txt", "Not an MP3 at all.\n"),                                               // 2
        Make("untagged.mp3", UntaggedMp3()),                                                     // 3
        Make("untitled.mp3", Id3v2Header(30) + TextFrame("TPE1", "Only Band") + UntaggedMp3()),  // 4
        Make("question.mp3", BothTags("Why?", "Band")),                                          // 5
    };
    unsigned failed = 0;
    std::vector<std::string> calls = Drop(paths, live_, &failed);
    const int codes[] = {6, 1, 2, 3, 4, 5};
    ASSERT_EQ(paths.size() + 5, calls.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(Line(codes[i], paths[i]), calls[2 + i]);
    EXPECT_EQ(5u, failed);
    EXPECT_EQ((std::vector<std::string>{"Fine.mp3", "notes.txt", "question.mp3", "untagged.mp3", "untitled.mp3"}),
              ListFolder(folder_.path()));
}

TEST_F(DropBatchTest, ReusedRecordNeverCarriesTagsIntoTheNextFile) {
    // Each file after the first leaves some of the record unwritten; with the
    // first file's tags still in it, any of them would be renamed "Leak".
    std::vector<std::string> paths = {
        Make("tagged.mp3", BothTags("Leak", "Band")),
        folder_.Path("missing.mp3"),
        Make("text.txt", "plain text"),
        Make("empty.mp3", ""),
        Make("untagged.mp3", UntaggedMp3()),
        Make("no-title.mp3", Id3v2Header(20) + UntaggedMp3()),
    };
    std::vector<std::string> calls = Drop(paths, live_);
    const int codes[] = {6, 1, 2, 2, 3, 4};
    ASSERT_EQ(paths.size() + 5, calls.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(Line(codes[i], paths[i]), calls[2 + i]);
    EXPECT_EQ((std::vector<std::string>{"Leak.mp3", "empty.mp3", "no-title.mp3", "text.txt", "untagged.mp3"}),
              ListFolder(folder_.path()));
}

TEST_F(DropBatchTest, FolderIsAnAccessFailure) {
    MakeFolder(folder_.Path("album.mp3"));
    std::vector<std::string> calls = Drop({folder_.Path("album.mp3")}, live_);
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ(Line(1, folder_.Path("album.mp3")), calls[2]);
}

TEST_F(DropBatchTest, PathOver255BytesIsRefusedNotCut) {
    // A folder deep enough that a 255-byte path ends inside a file name; the
    // file that the cut path would name exists and is tagged too.
    ASSERT_LT(folder_.path().size(), 150u) << "temp folder path too long for this test";
    const std::string sub = folder_.Path(std::string(200 - folder_.path().size(), 'd'));
    MakeFolder(sub);
    const std::string cut = sub + "/" + std::string(255 - sub.size() - 1, 'f');
    ASSERT_EQ(255u, cut.size());
    const std::string full = cut + "-more.mp3";
    WriteFile(cut, BothTags("Cut", "Band"));
    WriteFile(full, BothTags("Full", "Band"));
    const uint64_t cutHash = FileHash(cut);
    const uint64_t fullHash = FileHash(full);

    std::vector<std::string> calls = Drop({full}, live_);
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ(Line(1, full), calls[2]);
    EXPECT_EQ(cutHash, FileHash(cut));
    EXPECT_EQ(fullHash, FileHash(full));

    // The 255-byte path itself is fine.
    calls = Drop({cut}, live_);
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ(Line(6, cut), calls[2]);
    EXPECT_TRUE(FileExists(sub + "/Cut.mp3"));
    EXPECT_TRUE(FileExists(full));
}

TEST_F(DropBatchTest, LineStaysWithinItsBufferForAnyPath) {
    DropSite site;
    site.paths = {"/" + std::string(700, 'p')};
    std::vector<char> line(LINE_BUFFER);
    TagInfo info = {};
    DropOutcome outcome;
    EXPECT_EQ(RESULT_ACCESS_FAILED, ProcessDroppedFile(&site, 0, info, live_, line.data(), &outcome));
    EXPECT_EQ(REASON_PATH_TOO_LONG, outcome.reason);
    const std::string text(line.data(), strnlen(line.data(), line.size()));
    ASSERT_LT(text.size(), line.size());
    EXPECT_EQ(0u, text.find("M1 - /ppp"));
    EXPECT_GT(text.size(), 300u) << "the log shows the path";
}

}  // namespace
