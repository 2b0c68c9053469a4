// quillon over real files made by Debian's encoder and taggers
// (tests/fixtures/make-fixtures.sh): every log line and every resulting name.
//
// Each expected outcome follows from the file's actual bytes under the Linux
// reading's rules, not from what the tagger meant: the first TIT2 and TPE1 of
// the whole tag, a text cut at a whole character to 126 bytes, and a Latin-1
// text in UTF-8. The notes on each row say which bytes decide it. All runs use the name
// format title-artist with ID3v2 preferred.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/id3_bytes.h"
#include "support/outcome_messages.h"
#include "support/test_files.h"

namespace {

struct Outcome {
    const char* file;
    int code;
    const char* renamedTo;  // null: the file keeps its name
};

bool HasTool(const char* tool) {
    return RunProgram({"/bin/sh", "-c", std::string("command -v ") + tool}).status == 0;
}

// Titles longer than 126 bytes, cut there.
const std::string kLongTitle = std::string(126, 'x') + " - Band.mp3";
const std::string kTitle126 = std::string(126, 't') + " - Band.mp3";

#define SKIP_WITHOUT(tool) \
    if (!HasTool(tool)) GTEST_SKIP() << tool << " is not installed"

class RealFilesTest : public ::testing::Test {
  protected:
    // Makes the group's files, runs quillon over all of them in name order and
    // checks the log, the exit status, the names and the contents.
    void Check(const char* group, std::vector<Outcome> outcomes) {
        const std::string dir = folder_.Path(group);
        ProgramRun made = RunProgram({"/bin/bash", QUILLON_FIXTURE_SCRIPT, group, dir});
        ASSERT_EQ(0, made.status) << made.err;

        std::sort(outcomes.begin(), outcomes.end(),
                  [](const Outcome& a, const Outcome& b) { return std::string(a.file) < b.file; });
        std::vector<std::string> names;
        for (const Outcome& o : outcomes) names.push_back(o.file);
        ASSERT_EQ(names, ListFolder(dir)) << "the fixture script made other files";

        std::map<std::string, uint64_t> hashes;
        std::vector<std::string> args = {QUILLON_CLI_PATH, "--format=title-artist"};
        std::string log;
        std::vector<std::string> after;
        bool allRenamed = true;
        for (const Outcome& o : outcomes) {
            const std::string path = dir + "/" + o.file;
            if (FileExists(path)) hashes[o.renamedTo != nullptr ? o.renamedTo : o.file] = FileHash(path);
            args.push_back(path);
            log += LogLine(o.code, path);
            after.push_back(o.renamedTo != nullptr ? o.renamedTo : o.file);
            allRenamed = allRenamed && o.code == 6;
            EXPECT_EQ(o.code == 6, o.renamedTo != nullptr) << o.file;
        }
        std::sort(after.begin(), after.end());

        ProgramRun run = RunProgram(args);
        EXPECT_EQ(log + "READY.\n", run.out);
        EXPECT_EQ("", run.err);
        EXPECT_EQ(allRenamed ? 0 : 1, run.status);
        EXPECT_EQ(after, ListFolder(dir));
        for (const auto& entry : hashes) {
            EXPECT_EQ(entry.second, FileHash(dir + "/" + entry.first)) << entry.first << " changed";
        }
    }

    TempFolder folder_;
    ScopedEnv config_{"XDG_CONFIG_HOME", folder_.Path("config").c_str()};
    ScopedEnv state_{"XDG_STATE_HOME", folder_.Path("state").c_str()};
};

TEST_F(RealFilesTest, PlainFilesWithoutTags) {
    SKIP_WITHOUT("lame");
    Check("plain", {
                       // A folder cannot be opened as a file.
                       {"album.mp3", 1, nullptr},
                       // Nothing but zero bytes: no signature at all.
                       {"blank.mp3", 2, nullptr},
                       // Starts with "Sho".
                       {"notes.txt", 2, nullptr},
                       // lame's first frame: 0xFF 0xFB 0x90; no "ID3", no "TAG".
                       {"silent.mp3", 3, nullptr},
                       // "RIF" is accepted whatever the file is called.
                       {"sound.wav", 3, nullptr},
                       // 70000 zero bytes, then 0xFF 0xFB.
                       {"zeros-first.mp3", 3, nullptr},
                   });
}

TEST_F(RealFilesTest, Id3v2ToolVersion1AndLatin1Version23) {
    SKIP_WITHOUT("lame");
    SKIP_WITHOUT("id3v2");
    Check("id3v2", {
                       // id3v2 writes both tags; TIT2 and TPE1 lead the v2.3 tag.
                       {"both.mp3", 6, "Song A - Band A.mp3"},
                       {"v2only.mp3", 6, "Only Two - Artist Two.mp3"},
                       {"v1only.mp3", 6, "Only One - Artist One.mp3"},
                       // v2 holds only TIT2 "New Title"; the artist comes from v1.
                       {"mixed.mp3", 6, "New Title - Old Band.mp3"},
                       {"question.mp3", 5, nullptr},
                       {"slash.mp3", 5, nullptr},
                       // TPE1 only, and an empty v1 title.
                       {"artist-only.mp3", 4, nullptr},
                       // TALB (size 0xF1) comes first; TIT2 and TPE1 follow it.
                       {"long-album.mp3", 6, "Far - Away.mp3"},
                       // TIT2 holds 200 letters: the first 126 of them.
                       {"long-title.mp3", 6, kLongTitle.c_str()},
                       // The old extension plays no part.
                       {"SHOUT.MP3", 6, "Quiet - Band.mp3"},
                       // The second finds its name taken by the first.
                       {"dup-1.mp3", 6, "Twin - Band.mp3"},
                       {"dup-2.mp3", 1, nullptr},
                       // Encoding 0 and ID3v1 hold Latin-1 (0xFC 0xDF, 0xE4, 0xE9,
                       // 0xC4), which becomes UTF-8 in the name.
                       {"latin1.mp3", 6, "Grüße - Bänd.mp3"},
                       {"cafe-v2.mp3", 6, "Café Olé - Ärtist.mp3"},
                       {"cafe-v1.mp3", 6, "Olé - Ärtist.mp3"},
                       // 4096 zero bytes before "ID3".
                       {"padded.mp3", 6, "Padded - Band.mp3"},
                       // RIFF file with an ID3v1 tag at its end.
                       {"tagged.wav", 6, "Wave - Band.mp3"},
                   });
}

TEST_F(RealFilesTest, EyeD3Utf8AndUtf16) {
    SKIP_WITHOUT("lame");
    SKIP_WITHOUT("eyeD3");
    Check("eyed3", {
                       // v2.4, encoding 3.
                       {"utf8.mp3", 6, "Grüße - Bänd.mp3"},
                       // v2.4, encoding 1 with mark 0xFF 0xFE.
                       {"utf16.mp3", 6, "曲名 - 歌手.mp3"},
                       // v2.3, UTF-16 with a surrogate pair for U+1F3B5.
                       {"emoji.mp3", 6, "Song 🎵 - Band.mp3"},
                       // TALB first (size 0x1E3), its UTF-16 text, then TIT2.
                       {"long-album.mp3", 6, "Far - Away.mp3"},
                       {"quote.mp3", 5, nullptr},
                       // ID3v1 only, after lame's frames.
                       {"v1.mp3", 6, "Version One - Band.mp3"},
                   });
}

TEST_F(RealFilesTest, Mid3v2Utf8) {
    SKIP_WITHOUT("lame");
    SKIP_WITHOUT("mid3v2");
    Check("mid3v2",
          {
              // v2.4, encoding 3, each text ends in a zero byte.
              {"plain.mp3", 6, "Plain - Band.mp3"},
              {"utf8.mp3", 6, "Grüße - Bänd.mp3"},
              {"japanese.mp3", 6, "曲名 - 歌手.mp3"},
              // mutagen writes TIT2 and TPE1 before TALB: found.
              {"long-album.mp3", 6, "Far - Away.mp3"},
              // Size 0x7F: the 125 letters and their terminator.
              {"title-125.mp3", 6,
               "ttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt"
               "tttttttttttttttttttttttttttttt - Band.mp3"},
              // Size 128, written synchsafe as 00 00 01 00.
              {"title-126.mp3", 6, kTitle126.c_str()},
          });
}

TEST_F(RealFilesTest, FfmpegVersion23And24) {
    SKIP_WITHOUT("lame");
    SKIP_WITHOUT("ffmpeg");
    Check("ffmpeg", {
                        // v2.3 with non-Latin-1 text: UTF-16 with mark; TSSE follows.
                        {"utf16.mp3", 6, "Grüße - Bänd.mp3"},
                        // v2.3 Latin-1 and an ID3v1 tag; v2 preferred.
                        {"with-v1.mp3", 6, "Plain - Band.mp3"},
                        // ffmpeg's default v2.4, encoding 3.
                        {"v24.mp3", 6, "Vier - Band.mp3"},
                        // TALB (size 0xF2) first, then TIT2; the name is taken by
                        // long-album-v1.mp3, which sorts first.
                        {"long-album.mp3", 1, nullptr},
                        // The same with an ID3v1 tag.
                        {"long-album-v1.mp3", 6, "Far - Away.mp3"},
                        {"artist-only.mp3", 4, nullptr},
                    });
}

// ---------------------------------------------------------------- mutagen as the oracle

// What no Debian tagger writes, byte by byte: tags of iTunes' era (2.2, plain
// 2.4 sizes), unsynchronisation, compression, extended headers, two tags.
std::vector<std::pair<std::string, std::string>> HandBuiltFiles() {
    const std::string audio = MpegFrames(8), picture = std::string("\0JPG\3\0", 6) + std::string(3000, '\xFF');
    auto song = [](const std::string& title, int version = 3) {
        return TextFrame("TIT2", title, 0, version) + TextFrame("TPE1", "Built", 0, version);
    };
    return {
        {"v22.mp3", V2Tag(2, V2Frame(2, "PIC", picture) + V2Frame(2, "TT2", "\1" + Utf16("Zwei Punkt Zwei")) +
                                 V2Frame(2, "TP1", std::string("\0Apple", 6)) + std::string(500, '\0')) +
                        audio},
        {"v22-unsync.mp3",
         V2Tag(2, Unsynchronised(V2Frame(2, "PIC", picture) + V2Frame(2, "TT2", std::string("\0Zwei \xFF", 7))), 0x80) +
             audio},
        {"v23-unsync.mp3", V2Tag(3, Unsynchronised(V2Frame(3, "APIC", picture) + song("Drei \xFF")), 0x80) + audio},
        {"v24-unsync.mp3", V2Tag(4, V2Frame(4, "APIC", Unsynchronised(picture), 0x02) +
                                        V2Frame(4, "TIT2", Unsynchronised(std::string("\0Vier \xFF", 7)), 0x02)) +
                               audio},
        // zlib's deflate of "\0Drei" and of "\3Vier", after the 4 bytes of their length.
        {"v23-zlib.mp3",
         V2Tag(3, V2Frame(3, "TIT2", std::string("\0\0\0\5x\x9c\x63\x70\x29\x4a\xcd\x04\0\3\x9e\1\x85", 17), 0x80)) +
             audio},
        {"v24-zlib.mp3",
         V2Tag(4, V2Frame(4, "TIT2", std::string("\0\0\0\5x\x9c\x63\x0e\xcb\x4c\x2d\2\0\3\xe3\1\x9a", 17), 0x09)) +
             audio},
        {"v23-extended.mp3", V2Tag(3, std::string("\0\0\0\6\0\0\0\0\0\0", 10) + song("Extended Three"), 0x40) + audio},
        {"v24-extended.mp3", V2Tag(4, std::string("\0\0\0\6\1\0", 6) + song("Extended Four", 4), 0x40) + audio},
        {"v24-plain-sizes.mp3", V2Tag(4, V2Frame(4, "COMM", std::string(300, 'c'), 0, true) +
                                             V2Frame(4, "TIT2", std::string("\0iTunes Sizes", 13), 0, true)) +
                                    audio},
        {"tit2-in-comment.mp3",
         Id3v2Tag(song("Mentioned") + TextFrame("COMM", "eng about TIT2") + std::string(99, '\0')) + audio},
        {"two-tags.mp3", Id3v2Tag(song("First Tag")) + Id3v2Tag(song("Second Tag")) + audio},
        {"encrypted.mp3", V2Tag(3, V2Frame(3, "TIT2", "\x80secret", 0x40) + song("Not Secret")) + audio},
        {"utf16-long.mp3", Id3v2Tag(TextFrame("TIT2", Utf16(std::string(150, 'u')), 1)) + audio},
        {"mpeg25-crc.mp3", Bytes().Raw({0xFF, 0xE2, 0x18, 0xC4}).Zeros(2000).Text(Id3v1Tag("Half CRC", "R"))},
    };
}

// Every file, made by a Debian tagger or by hand, named in a dry run as
// tests/fixtures/mutagen-names.py says from what mutagen reads as its first
// TIT2 and TPE1; every one of them has a title.
TEST_F(RealFilesTest, WholeTagsAsMutagenReadsThem) {
    for (const char* tool : {"lame", "id3v2", "eyeD3", "mid3v2", "ffmpeg"}) SKIP_WITHOUT(tool);
    if (RunProgram({"/usr/bin/python3", "-c", "import mutagen"}).status != 0) GTEST_SKIP() << "no mutagen";
    const std::string dir = folder_.Path("oracle");
    ASSERT_EQ(0, RunProgram({"/bin/bash", QUILLON_FIXTURE_SCRIPT, "oracle", dir}).status);
    for (const auto& file : HandBuiltFiles()) WriteFile(dir + "/" + file.first, file.second);
    std::vector<std::string> oracle = {"/usr/bin/python3", QUILLON_MUTAGEN_SCRIPT};
    std::vector<std::string> run = {QUILLON_CLI_PATH, "--dry-run", "--format=title-artist"};
    for (const std::string& name : ListFolder(dir)) oracle.push_back(dir + "/" + name), run.push_back(dir + "/" + name);
    std::istringstream expected(RunProgram(oracle).out), got(RunProgram(run).out);
    size_t files = 0, agree = 0;
    for (std::string want, line; std::getline(expected, want) && std::getline(got, line); ++files) {
        EXPECT_EQ(want, line);
        agree += want == line;
    }
    EXPECT_EQ(run.size() - 3, files);
    EXPECT_EQ(files, agree);
    printf("%zu of %zu files named as mutagen reads them\n", agree, files);
}

}  // namespace
