// The Linux programs' whole-tag reading over byte-exact files: the MPEG
// Layer III signatures, and the walk's bounds where mutagen (the oracle of
// real_files_test) is no judge: frames past the tag or the file, padding,
// broken headers, data that does not inflate, and tags read in many blocks.
#include <gtest/gtest.h>

#include <string>

#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

std::string Frame(int version, const char* id, const std::string& text, int flags = 0) {
    return V2Frame(version, id, std::string(1, '\0') + text, flags);
}

// A tag of version 3 with the title and the artist after `before`.
std::string Song(const std::string& before = "", int version = 3) {
    return V2Tag(version, before + Frame(version, "TIT2", "Song") + Frame(version, "TPE1", "Band"));
}

TEST(WholeTag, Table) {
    const std::string audio = Bytes().Raw({0xFF, 0xFB, 0x90, 0x64}).Fill(3000, 0x55);
    const std::string v1 = Id3v1Tag("Old", "Older");
    std::string ffs;  // unsynchronised, a 70,000-byte picture takes three blocks
    while (ffs.size() < 70000) ffs += "\xFF\xE0";
    const struct {
        const char* name;
        std::string bytes;
        int recognized;
        const char* title;  // "" also when there is no v2 tag
        const char* artist;
    } cases[] = {
        {"MPEG-1 Layer III with CRC", "\xFF\xFA\x90\x64" + v1, 1, "", ""},
        {"MPEG-2 Layer III", "\xFF\xF3\x48\xC4" + v1, 1, "", ""},
        {"MPEG-2 Layer III with CRC", "\xFF\xF2\x48\xC4" + v1, 1, "", ""},
        {"MPEG-2.5 Layer III", "\xFF\xE3\x18\xC4" + v1, 1, "", ""},
        {"MPEG-2.5 Layer III with CRC", "\xFF\xE2\x18\xC4" + v1, 1, "", ""},
        {"free bit rate", "\xFF\xF3\x08\xC4" + v1, 1, "", ""},
        {"Layer II", "\xFF\xFD\x90\x64" + v1, 0, "", ""},
        {"Layer I", "\xFF\xF7\x90\x64" + v1, 0, "", ""},
        {"reserved version", "\xFF\xEB\x90\x64" + v1, 0, "", ""},
        {"bit rate index 15", "\xFF\xF3\xF8\xC4" + v1, 0, "", ""},
        {"sample rate index 3", "\xFF\xF3\x4C\xC4" + v1, 0, "", ""},
        {"11 sync bits only", "\xFF\xC3\x48\xC4" + v1, 0, "", ""},
        {"0xFF 0xFB, any third byte", "\xFF\xFB\xFF" + v1, 1, "", ""},
        {"behind leading zeros and a picture",
         Bytes().Zeros(5000).Text(Song(V2Frame(3, "APIC", ffs))).Text(audio).str(), 1, "Song", "Band"},
        {"unsynchronised picture across blocks",
         V2Tag(3, Unsynchronised(V2Frame(3, "APIC", ffs)) + Song().substr(10), 0x80) + audio, 1, "Song", "Band"},
        {"padding ends the walk", Song(std::string(20, '\0')) + audio, 1, "", ""},
        {"a frame past the tag ends it", V2Tag(3, Frame(3, "TPE1", "Band") + Frame(3, "TIT2", "Song"), 0, 25) + audio,
         1, "", "Band"},
        {"a frame past the file ends it",
         V2Tag(3, (Frame(3, "TPE1", "Band") + Frame(3, "TIT2", "Song")).substr(0, 29), 0, 400), 1, "", "Band"},
        {"a tag larger than the file", V2Tag(3, Song().substr(10), 0, 0x0FFFFFFF), 1, "Song", "Band"},
        {"zero-size frames are passed", Song(V2Frame(3, "TIT2", "") + V2Frame(3, "TXXX", "")) + audio, 1, "Song",
         "Band"},
        {"compressed data that does not inflate", Song(V2Frame(3, "TIT2", "\0\0\0\5nozlib", 0x80)) + audio, 1, "Song",
         "Band"},
        {"a 2.4 tag whose frames say compressed without a length", V2Tag(4, Frame(4, "TIT2", "Song", 0x08)) + audio, 1,
         "", ""},
        {"version 5", Song().replace(3, 1, "\5") + audio + v1, 1, "", ""},
        {"a size that is not syncsafe", Song().replace(9, 1, "\x80") + audio, 1, "", ""},
        {"a flag 2.3 leaves undefined", Song().replace(5, 1, "\x10") + audio, 1, "", ""},
        {"a compressed 2.2 tag", V2Tag(2, Frame(2, "TT2", "Song"), 0x40) + audio, 1, "", ""},
        {"the extended header's flag without one", Song().replace(5, 1, "\x40") + audio, 1, "Song", "Band"},
        {"an extended header larger than the tag",
         V2Tag(3, std::string("\0\0\x10\0", 4) + Song().substr(10), 0x40) + audio, 1, "", ""},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Path("file.mp3");
        WriteFile(path, c.bytes);
        TagInfo info = {};
        EXPECT_EQ(c.recognized, ReadTags(path.c_str(), info));
        EXPECT_EQ(c.recognized, info.formatRecognized);
        if (!c.recognized) continue;
        EXPECT_STREQ(c.title, info.v2Title);
        EXPECT_STREQ(c.artist, info.v2Artist);
        EXPECT_EQ(c.bytes.size() >= 128 && c.bytes.compare(c.bytes.size() - 128, 3, "TAG") == 0, info.hasId3v1 == 1);
    }
}

}  // namespace
