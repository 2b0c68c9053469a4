// Decoding of ID3v2 frame texts into the system's text (UTF-8 here): the
// three Unicode encodings, bad input turned into '?', the raw copy of the
// others, and the cut at a whole character within 126 bytes.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/frame_text.h"
#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

// Decodes from a heap copy of exactly `bytes` into a heap buffer of exactly
// FRAME_TEXT_MAX + 1 bytes, so that the sanitizer sees any access past either.
std::string Decode(int encoding, const std::string& bytes) {
    std::vector<unsigned char> in(bytes.begin(), bytes.end());
    unsigned char none = 0;
    std::vector<char> out(FRAME_TEXT_MAX + 1, 'x');
    DecodeFrameText(encoding, in.empty() ? &none : in.data(), static_cast<int>(in.size()), out.data());
    size_t length = strnlen(out.data(), out.size());
    EXPECT_LT(length, out.size()) << "text not terminated";
    return std::string(out.data(), length);
}

std::string Repeat(const std::string& s, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += s;
    return out;
}

std::string Raw(std::initializer_list<int> values) {
    return Bytes().Raw(values);
}

const std::string kMusic = "\xF0\x9F\x8E\xB5";  // U+1F3B5, four bytes in UTF-8
const std::string kKyoku = "\xE6\x9B\xB2";      // U+66F2, three bytes in UTF-8

struct DecodeCase {
    const char* name;
    int encoding;
    std::string bytes;
    std::string text;
};

TEST(DecodeFrameText, Utf16) {
    const DecodeCase cases[] = {
        {"little-endian with mark", 1, Utf16("Grüße", false, true), "Grüße"},
        {"big-endian with mark", 1, Utf16("Grüße", true, true), "Grüße"},
        {"no mark reads little-endian", 1, Utf16("Hi", false, false), "Hi"},
        {"encoding 2 is big-endian", 2, Utf16("Hi", true, false), "Hi"},
        {"encoding 2 with its mark", 2, Utf16("Hi", true, true), "Hi"},
        {"Japanese", 1, Utf16(kKyoku + "\xE5\x90\x8D", false, true), kKyoku + "\xE5\x90\x8D"},
        {"surrogate pair", 1, Utf16("a" + kMusic + "b", false, true), "a" + kMusic + "b"},
        {"surrogate pair, big-endian", 2, Utf16(kMusic, true, false), kMusic},
        {"lone high surrogate", 1, Raw({0xFF, 0xFE, 0x00, 0xD8, 0x41, 0x00}), "?A"},
        {"lone low surrogate", 1, Raw({0xFF, 0xFE, 0x00, 0xDC, 0x41, 0x00}), "?A"},
        {"high surrogate as the last unit", 1, Raw({0xFF, 0xFE, 0x41, 0x00, 0x00, 0xD8}), "A?"},
        {"pair in the wrong order", 1, Raw({0xFF, 0xFE, 0x00, 0xDC, 0x00, 0xD8}), "??"},
        {"odd byte count drops the half unit", 1, Raw({0xFF, 0xFE, 0x48, 0x00, 0x69}), "H"},
        {"stops at the first zero unit", 1, Raw({0xFF, 0xFE, 0x48, 0x00, 0x00, 0x00, 0x69, 0x00}), "H"},
        {"a zero byte inside a unit is no stop", 1, Raw({0xFF, 0xFE, 0x00, 0x01, 0x41, 0x00}),
         "\xC4\x80"
         "A"},
        {"mark alone", 1, Raw({0xFF, 0xFE}), ""},
        {"one byte", 1, Raw({0x41}), ""},
        {"nothing", 1, "", ""},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, Decode(c.encoding, c.bytes));
    }
}

TEST(DecodeFrameText, Utf8) {
    const DecodeCase cases[] = {
        {"valid", 3, "Grüße " + kKyoku + kMusic, "Grüße " + kKyoku + kMusic},
        {"stops at a zero byte", 3, std::string("Ab\0cd", 5), "Ab"},
        {"byte-order mark skipped", 3, "\xEF\xBB\xBFHi", "Hi"},
        {"lone continuation byte", 3,
         "A\x80"
         "B",
         "A?B"},
        {"byte never used in UTF-8", 3,
         "A\xFF"
         "B",
         "A?B"},
        {"lead byte past U+10FFFF", 3, "A\xF5\x80\x80\x80", "A????"},
        {"overlong slash", 3, "A\xC0\xAF", "A??"},
        {"overlong three bytes", 3, "A\xE0\x80\xAF", "A???"},
        {"encoded surrogate", 3, "A\xED\xA0\x80", "A???"},
        {"code point past U+10FFFF", 3, "A\xF4\x90\x80\x80", "A????"},
        {"lead byte followed by ASCII", 3,
         "A\xC3"
         "B",
         "A?B"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, Decode(c.encoding, c.bytes));
    }
}

TEST(DecodeFrameText, Utf8CutInsideACharacterBecomesReplacement) {
    // How many '?' stand for the cut sequence is the decoder's business; no
    // byte of it may reach the text.
    std::string text = Decode(3, "A\xE6\x9B");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ('A', text[0]);
    EXPECT_EQ(std::string(text.size() - 1, '?'), text.substr(1));
}

// Bytes without a Unicode encoding are Windows-1252 unless they are UTF-8: on
// Linux they become UTF-8 either way, so a file name is never a stray byte.
TEST(DecodeFrameText, OtherEncodingsBecomeUtf8) {
    const DecodeCase cases[] = {
        {"Latin-1", 0, "Caf\xE9 Ol\xE9", "Café Olé"},
        {"UTF-8 stays as it is", 0, "Caf\xC3\xA9", "Café"},
        {"Windows-1252 punctuation", 0,
         "It\x92s \x80"
         "5",
         "It’s €5"},
        {"bytes Windows-1252 leaves undefined", 0,
         "A\x81\x8D\x8F\x90\x9D"
         "B",
         "A?????B"},
        {"a malformed sequence is Windows-1252", 0, "A\xC0\xAF", "AÀ¯"},
        {"ends at the first zero byte", 0, std::string("A\0B", 3), "A"},
        {"UTF-16 under encoding 0 ends at its first zero", 0, Utf16("Hi", false, true), "ÿþH"},
        {"encoding 4", 4, "Plain\xE9", "Plainé"},
        {"encoding 0xFF", 0xFF, "Plain", "Plain"},
        {"126 bytes", 0, std::string(126, 'r'), std::string(126, 'r')},
        {"cut before a character that would pass 126 bytes", 0, std::string(125, 'r') + "\xE9", std::string(125, 'r')},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, Decode(c.encoding, c.bytes));
    }
}

// A frame of no text may arrive without any bytes behind it; every encoding
// gives the empty text (the sanitized build checks that nothing is read).
TEST(DecodeFrameText, NoBytesAtAllGiveTheEmptyText) {
    for (int encoding : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(encoding);
        char text[FRAME_TEXT_MAX + 1];
        memset(text, 'x', sizeof text);
        DecodeFrameText(encoding, nullptr, 0, text);
        EXPECT_STREQ("", text);
    }
}

TEST(DecodeFrameText, CutAtAWholeCharacterWithin126Bytes) {
    const DecodeCase cases[] = {
        // 62 units of a three-byte character would make 186 bytes.
        {"42 three-byte characters fill 126", 1, Utf16(Repeat(kKyoku, 62), false, true), Repeat(kKyoku, 42)},
        {"two-byte character ending on byte 126", 1, Utf16("a" + Repeat(kKyoku, 41) + "ü", false, true),
         "a" + Repeat(kKyoku, 41) + "ü"},
        {"two-byte character crossing 126 is dropped", 1, Utf16("ab" + Repeat(kKyoku, 41) + "üc", false, true),
         "ab" + Repeat(kKyoku, 41)},
        {"four-byte character crossing 126 is dropped, and all after it", 1,
         Utf16(Repeat(kKyoku, 41) + kMusic + "A", false, true), Repeat(kKyoku, 41)},
        {"four-byte character ending on byte 126", 1, Utf16("ab" + Repeat(kKyoku, 40) + kMusic, true, true),
         "ab" + Repeat(kKyoku, 40) + kMusic},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LE(c.bytes.size(), 126u);
        std::string text = Decode(c.encoding, c.bytes);
        EXPECT_EQ(c.text, text);
        EXPECT_LE(text.size(), 126u);
    }
}

// The encoding byte is the one right before the text, and the frame's size
// counts it.
TEST(DecodeFrameText, ThroughTheFrameSearch) {
    const std::string utf16 = Utf16("Grüße " + kMusic, false, true);
    const std::string window = Bytes()
                                   .Raw({3, 0, 0, 0, 0, 1, 0})                 // header rest: version, flags, size
                                   .Text("TIT2")                               // frame id
                                   .Raw({0x00, 0x00, 0x00})                    // size, high bytes
                                   .Raw({static_cast<int>(utf16.size() + 1)})  // size: encoding + text
                                   .Raw({0x00, 0x00})                          // flags
                                   .Raw({0x01})                                // encoding: UTF-16
                                   .Text(utf16)                                // text with its mark
                                   .Text(TextFrame("TPE1", "B\xC3\xA4nd", 3))  // UTF-8 artist
                                   .Text(TextFrame("TALB", "x\xF8y", 3))       // invalid UTF-8
                                   .PadTo(1024);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(window.data());
    char text[TEXT_BUFFER];
    FindTextFrame(bytes, 256, "TIT2", text);
    EXPECT_EQ("Grüße " + kMusic, std::string(text));
    FindTextFrame(bytes, 256, "TPE1", text);
    EXPECT_STREQ("Bänd", text);
    FindTextFrame(bytes, 256, "TALB", text);
    EXPECT_STREQ("x?y", text);
}

TEST(DecodeFrameText, ReadTagsDeliversDecodedTitles) {
    TempFolder folder;
    const std::string path = folder.Path("utf16.mp3");
    WriteFile(path, Id3v2Header(100) + TextFrame("TIT2", Utf16(kKyoku, true, false), 2) +
                        TextFrame("TPE1", Utf16("Bad\xED\xA0\x80", false, true), 1) + std::string(200, 'U'));
    TagInfo info = {};
    ASSERT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_EQ(kKyoku, info.v2Title);
    EXPECT_STREQ("Bad?", info.v2Artist);
}

}  // namespace
