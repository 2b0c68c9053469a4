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
#include <string>
#include <vector>

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

}  // namespace
