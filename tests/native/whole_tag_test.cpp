// The Linux programs' whole-tag reading over byte-exact files where neither
// mutagen (real_files_test) nor the drop model judges: signatures that are no
// Layer III frame, a picture whose unsynchronisation spans several read
// blocks, compressed data that does not inflate, an ID3v2 version to come.
#include <gtest/gtest.h>

#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

TEST(WholeTag, Table) {
    const std::string v1 = Id3v1Tag("Old", "Older"), song = TextFrame("TIT2", "Song") + TextFrame("TPE1", "Band");
    std::string picture;
    while (picture.size() < 70000) picture += "\xFF\xE0";
    const struct {
        const char* name;
        std::string bytes;
        const char* title;  // null: not recognized
    } cases[] = {
        {"Layer II", "\xFF\xFD\x90\x64" + v1, nullptr},
        {"Layer I", "\xFF\xF7\x90\x64" + v1, nullptr},
        {"reserved MPEG version", "\xFF\xEB\x90\x64" + v1, nullptr},
        {"bit rate index 15", "\xFF\xF3\xF8\xC4" + v1, nullptr},
        {"sample rate index 3", "\xFF\xF3\x4C\xC4" + v1, nullptr},
        {"unsynchronised picture", V2Tag(3, Unsynchronised(V2Frame(3, "APIC", picture)) + song, 0x80) + v1, "Song"},
        {"data that does not inflate",
         Id3v2Tag(V2Frame(3, "TIT2", std::string("\0\0\0\5nozlib", 10), 0x80) + song) + v1, "Song"},
        {"version 5", V2Tag(5, song) + v1, ""},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(folder.Path("file.mp3"), c.bytes);
        TagInfo info = {};
        EXPECT_EQ(c.title != nullptr, ReadTags(folder.Path("file.mp3").c_str(), info) == 1);
        if (c.title == nullptr) continue;
        EXPECT_STREQ(c.title, info.v2Title);
        EXPECT_STREQ("Old", info.v1Title);
    }
}
