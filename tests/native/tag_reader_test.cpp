// The tag reader over byte-exact files: signatures, leading zero bytes, the
// 256-byte ID3v2 window and its frame search, the ID3v1 fields, and what a
// read leaves in a record that is reused from an earlier file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/tag_reader.h"
#include "support/id3_bytes.h"
#include "support/test_files.h"

namespace {

// A record as an earlier file left it: every field set to something a read of
// this file would never produce.
TagInfo StaleRecord() {
    TagInfo info;
    info.formatRecognized = 7;
    info.fileOpened = 7;
    info.hasId3v1 = 7;
    info.hasId3v2 = 7;
    for (char* text : {info.v1Title, info.v1Artist, info.v2Title, info.v2Artist}) {
        memset(text, 'S', TEXT_BUFFER - 1);
        text[TEXT_BUFFER - 1] = '\0';
    }
    return info;
}

// The six fields a failed open or a refused signature must not touch.
void ExpectTagFieldsUntouched(const TagInfo& after, const TagInfo& before) {
    EXPECT_EQ(before.hasId3v1, after.hasId3v1);
    EXPECT_EQ(before.hasId3v2, after.hasId3v2);
    EXPECT_EQ(0, memcmp(before.v1Title, after.v1Title, TEXT_BUFFER));
    EXPECT_EQ(0, memcmp(before.v1Artist, after.v1Artist, TEXT_BUFFER));
    EXPECT_EQ(0, memcmp(before.v2Title, after.v2Title, TEXT_BUFFER));
    EXPECT_EQ(0, memcmp(before.v2Artist, after.v2Artist, TEXT_BUFFER));
}

// Bytes that stand for MPEG audio: a frame header, then filler that is
// neither zero nor part of any tag.
std::string Audio(size_t size = 400) {
    return Bytes().Raw({0xFF, 0xFB, 0x90, 0x64}).Fill(size - 4, 0x55);
}

// The bytes of a builder as a string, where a plain string is expected.
std::string Str(const Bytes& b) {
    return b.str();
}

class TagReaderTest : public ::testing::Test {
  protected:
    // Writes `bytes` into the test's folder as `name` and reads its tags as
    // the Windows program does.
    int Read(const std::string& bytes, TagInfo& info, const std::string& name = "track.mp3") {
        std::string path = folder_.Path(name);
        WriteFile(path, bytes);
        FileIdentity identity;
        return ReadTagsInWindow(path.c_str(), info, &identity);
    }

    TempFolder folder_;
};

// ---------------------------------------------------------------- opening

TEST_F(TagReaderTest, MissingFileWritesOnlyFileOpened) {
    TagInfo info = StaleRecord();
    const TagInfo before = info;
    EXPECT_EQ(0, ReadTags(folder_.Path("missing.mp3").c_str(), info));
    EXPECT_EQ(0, info.fileOpened);
    EXPECT_EQ(7, info.formatRecognized);
    ExpectTagFieldsUntouched(info, before);
}

TEST_F(TagReaderTest, FolderIsNotOpened) {
    MakeFolder(folder_.Path("album.mp3"));
    TagInfo info = StaleRecord();
    const TagInfo before = info;
    EXPECT_EQ(0, ReadTags(folder_.Path("album.mp3").c_str(), info));
    EXPECT_EQ(0, info.fileOpened);
    EXPECT_EQ(7, info.formatRecognized);
    ExpectTagFieldsUntouched(info, before);
}

TEST_F(TagReaderTest, FifoIsRefusedWithoutWaitingForAWriter) {
    // Opening a named pipe for reading would block until someone writes.
    std::string path = folder_.Path("pipe.mp3");
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    TagInfo info = StaleRecord();
    const TagInfo before = info;
    EXPECT_EQ(0, ReadTags(path.c_str(), info));
    EXPECT_EQ(0, info.fileOpened);
    ExpectTagFieldsUntouched(info, before);
}

// A writer waiting for a reader of the FIFO must go on waiting: an open for
// reading would let it write into a pipe whose data nobody reads.
TEST_F(TagReaderTest, FifoIsNotOpenedSoAWaitingWriterGoesOnWaiting) {
    std::string path = folder_.Path("pipe.mp3");
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    std::atomic<bool> writerOpened(false);
    std::thread writer([&] {
        int fd = open(path.c_str(), O_WRONLY);  // blocks until a reader opens
        writerOpened = true;
        if (fd >= 0) close(fd);
    });
    usleep(100 * 1000);  // time for the writer to block in its open
    TagInfo info = StaleRecord();
    EXPECT_EQ(0, ReadTags(path.c_str(), info));
    // A reader's open would have let the writer through by now.
    usleep(200 * 1000);
    EXPECT_FALSE(writerOpened);
    int release = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (release >= 0) close(release);
    EXPECT_EQ(0, info.fileOpened);
}

TEST_F(TagReaderTest, DevicesAreNotOpened) {
    for (const char* device : {"/dev/null", "/dev/zero"}) {
        SCOPED_TRACE(device);
        TagInfo info = StaleRecord();
        EXPECT_EQ(0, ReadTags(device, info));
        EXPECT_EQ(0, info.fileOpened);
    }
}

// ---------------------------------------------------------------- signature

struct SignatureCase {
    const char* name;
    std::string start;
};

TEST_F(TagReaderTest, RefusedSignatureWritesOnlyTheFirstTwoFlags) {
    const SignatureCase cases[] = {
        {"MPEG with CRC", Str(Bytes().Raw({0xFF, 0xFA, 0x90}))},
        {"MPEG-2 frame", Str(Bytes().Raw({0xFF, 0xF3, 0x90}))},
        {"lower-case id3", "id3"},
        {"lower-case rif", "rif"},
        {"ID3v1 identifier first", "TAG"},
        {"ID and one other byte", "IDX"},
        {"RI and one other byte", "RIX"},
        {"ID3 after one stray byte", "\x01ID3"},
        {"plain text", "Hello"},
    };
    for (const SignatureCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The file does end in a valid ID3v1 tag: a refused file must not be
        // searched for it.
        TagInfo info = StaleRecord();
        const TagInfo before = info;
        EXPECT_EQ(0, Read(c.start + Audio() + Id3v1Tag("Title", "Artist"), info));
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(0, info.formatRecognized);
        ExpectTagFieldsUntouched(info, before);
    }
}

TEST_F(TagReaderTest, AcceptedSignaturesWriteAllFields) {
    struct Case {
        const char* name;
        std::string start;
        int hasId3v2;
    };
    const Case cases[] = {
        {"ID3", Id3v2Header(100), 1},
        {"MPEG-1 Layer III, third byte 0x00", Str(Bytes().Raw({0xFF, 0xFB, 0x00})), 0},
        {"MPEG-1 Layer III, third byte 0x90", Str(Bytes().Raw({0xFF, 0xFB, 0x90})), 0},
        {"MPEG-1 Layer III, third byte 0xFF", Str(Bytes().Raw({0xFF, 0xFB, 0xFF})), 0},
        {"RIFF", "RIFF", 0},
        {"RIF and any fourth byte", "RIFX", 0},
        {"RIF and a zero", Str(Bytes().Text("RIF").Zeros(1)), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(c.start + Audio() + Id3v1Tag("Title", "Artist"), info));
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(1, info.formatRecognized);
        EXPECT_EQ(c.hasId3v2, info.hasId3v2);
        EXPECT_EQ(1, info.hasId3v1);
        EXPECT_STREQ("Title", info.v1Title);
        EXPECT_STREQ("Artist", info.v1Artist);
        EXPECT_STREQ("", info.v2Title);
        EXPECT_STREQ("", info.v2Artist);
    }
}

TEST_F(TagReaderTest, EmptyOrAllZeroFileIsOpenedButNotRecognized) {
    for (size_t size : {0u, 1u, 2u, 3u, 258u, 259u, 260u, 65536u, 65536u + 259u, 200u * 1024u}) {
        SCOPED_TRACE(size);
        TagInfo info = StaleRecord();
        const TagInfo before = info;
        EXPECT_EQ(0, Read(std::string(size, '\0'), info));
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(0, info.formatRecognized);
        ExpectTagFieldsUntouched(info, before);
    }
}

TEST_F(TagReaderTest, SignatureBytesPastTheEndReadAsZero) {
    struct Case {
        const char* name;
        std::string bytes;
        int recognized;
    };
    const Case cases[] = {
        {"0xFF alone", "\xFF", 0},
        {"0xFF 0xFB alone", "\xFF\xFB", 1},
        {"zeros, then 0xFF 0xFB as the last two bytes", Str(Bytes().Zeros(10).Raw({0xFF, 0xFB})), 1},
        {"long zeros, then 0xFF 0xFB as the last two bytes", Str(Bytes().Zeros(70000).Raw({0xFF, 0xFB})), 1},
        {"I alone", "I", 0},
        {"ID alone", "ID", 0},
        {"zeros, then ID", Str(Bytes().Zeros(300).Text("ID")), 0},
        {"RI alone", "RI", 0},
        {"zeros, then a lone non-zero byte", Str(Bytes().Zeros(5).Raw({0x01})), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagInfo info = StaleRecord();
        EXPECT_EQ(c.recognized, Read(c.bytes, info));
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(c.recognized, info.formatRecognized);
        if (c.recognized) {
            EXPECT_EQ(0, info.hasId3v2);
            EXPECT_EQ(0, info.hasId3v1);
        }
    }
}

TEST_F(TagReaderTest, ThreeByteId3FileHasAnEmptyVersion2Tag) {
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read("ID3", info));
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_EQ(0, info.hasId3v1);
    EXPECT_STREQ("", info.v2Title);
    EXPECT_STREQ("", info.v2Artist);
    EXPECT_STREQ("", info.v1Title);
}

// ---------------------------------------------------------------- leading zeros

TEST_F(TagReaderTest, WindowStartsRightAfterId3BehindLeadingZeros) {
    const std::string file = Bytes()
                                 .Zeros(10)                // leading zero bytes
                                 .Text("ID3")              // signature at offset 10
                                 .Text("TIT2")             // window byte 0 (offset 13): no real header, a frame id
                                 .Raw({0x00, 0x00, 0x00})  // size, high bytes
                                 .Raw({0x06})              // size, low byte: encoding + 5 bytes
                                 .Raw({0x00, 0x00})        // flags
                                 .Raw({0x00})              // encoding
                                 .Text("Hello")            // title
                                 .Zeros(20);               // rest of the tag
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_STREQ("Hello", info.v2Title);
}

// A tag whose TPE1 frame sits at window position 200, so that for some lengths
// of leading zeros the window spans the end of a read block.
std::string TagWithArtistLate() {
    return Bytes()
        .Text(Id3v2Header(300))                    // window 0..6: version, flags, size
        .Text(TextFrame("TIT2", "Across"))         // window 7..23
        .Zeros(200 - 24)                           // padding
        .Text(TextFrame("TPE1", "Blocks"))         // window 200..216
        .Zeros(100)                                // padding to the tag's end
        .Text(Audio(2000))                         // audio
        .Text(Id3v1Tag("Old Title", "Old Band"));  // ID3v1
}

TEST_F(TagReaderTest, LongRunsOfLeadingZerosAcrossReadBlocks) {
    const size_t block = 64 * 1024;
    // Both block grids a reader may use (from offset 0, or after a first read
    // of signature and window), and the signature straddling their ends.
    const std::vector<size_t> lengths = {0,
                                         1,
                                         255,
                                         256,
                                         257,
                                         258,
                                         259,
                                         260,
                                         block - 3,
                                         block - 2,
                                         block - 1,
                                         block,
                                         block + 1,
                                         block + 59,
                                         block + 256,
                                         block + 257,
                                         block + 258,
                                         block + 259,
                                         block + 260,
                                         2 * block + 159,
                                         3 * block + 258,
                                         200 * 1024};
    for (size_t zeros : lengths) {
        SCOPED_TRACE(zeros);
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(std::string(zeros, '\0') + TagWithArtistLate(), info));
        EXPECT_EQ(1, info.formatRecognized);
        EXPECT_EQ(1, info.hasId3v2);
        EXPECT_STREQ("Across", info.v2Title);
        EXPECT_STREQ("Blocks", info.v2Artist);
        EXPECT_EQ(1, info.hasId3v1);
        EXPECT_STREQ("Old Title", info.v1Title);
        EXPECT_STREQ("Old Band", info.v1Artist);
    }
}

TEST_F(TagReaderTest, LongRunOfZerosThenRefusedSignature) {
    TagInfo info = StaleRecord();
    const TagInfo before = info;
    EXPECT_EQ(0, Read(Str(Bytes().Zeros(100000).Raw({0xFF, 0xFA})) + Audio(), info));
    EXPECT_EQ(1, info.fileOpened);
    EXPECT_EQ(0, info.formatRecognized);
    ExpectTagFieldsUntouched(info, before);
}

// ---------------------------------------------------------------- ID3v2 frames

TEST_F(TagReaderTest, TitleAndArtistFromTheirFrames) {
    const std::string file = Bytes()
                                 .Text(Id3v2Header(40))    // header
                                 .Text("TIT2")             // frame id
                                 .Raw({0x00, 0x00, 0x00})  // size, high bytes
                                 .Raw({0x06})              // size: encoding + 5
                                 .Raw({0x00, 0x00})        // flags
                                 .Raw({0x00})              // encoding
                                 .Text("Title")            // text
                                 .Text("TPE1")             // frame id
                                 .Raw({0x00, 0x00, 0x00})  // size, high bytes
                                 .Raw({0x07})              // size: encoding + 6
                                 .Raw({0x00, 0x00})        // flags
                                 .Raw({0x00})              // encoding
                                 .Text("Artist")           // text
                                 .Zeros(10)                // padding
                                 .Text(Audio());
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_STREQ("Title", info.v2Title);
    EXPECT_STREQ("Artist", info.v2Artist);
    EXPECT_EQ(0, info.hasId3v1);
    EXPECT_STREQ("", info.v1Title);
    EXPECT_STREQ("", info.v1Artist);
}

TEST_F(TagReaderTest, FrameTextEndsAtItsFirstZeroByte) {
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(Id3v2Header(30) + TextFrame("TIT2", std::string("Song\0Junk", 9)) + Audio(), info));
    EXPECT_STREQ("Song", info.v2Title);
}

// The later of two TIT2 matches decides, whatever its size byte says.
TEST_F(TagReaderTest, LaterTit2WinsEvenWhenEmpty) {
    const std::string textBytes = "ABCDEFGHIJKLMNOPQRSTUVWXYZ" + std::string(104, 'z');  // 130 non-zero bytes
    struct Case {
        int sizeByte;
        std::string title;
    };
    const Case cases[] = {
        {0x00, ""},                        // no room even for the encoding byte
        {0x01, ""},                        // the encoding byte alone
        {0x02, "A"},                       //
        {0x06, "ABCDE"},                   //
        {0x7F, textBytes.substr(0, 126)},  // the longest text
        {0x80, ""},                        // a negative size
        {0xFF, ""},                        //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizeByte);
        const std::string file = Bytes()
                                     .Text(Id3v2Header(300))            // header
                                     .Text(TextFrame("TIT2", "Early"))  // window 7: first match
                                     .Text("TIT2")                      // window 23: second match
                                     .Raw({0x00, 0x00, 0x00})           // size, high bytes
                                     .Raw({c.sizeByte})                 // size, low byte
                                     .Raw({0x00, 0x00})                 // flags
                                     .Raw({0x00})                       // encoding
                                     .Text(textBytes)                   // text, never zero
                                     .Text(Audio());
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(file, info));
        EXPECT_EQ(c.title, info.v2Title);
    }
}

TEST_F(TagReaderTest, FrameSizeOf256OrMoreIsNoMatch) {
    const int sizes[][4] = {{0x00, 0x00, 0x01, 0x05}, {0x00, 0x01, 0x00, 0x06}, {0x01, 0x00, 0x00, 0x06}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[2]);
        const std::string file = Bytes()
                                     .Text(Id3v2Header(300))                     // header
                                     .Text(TextFrame("TIT2", "Early"))           // a match
                                     .Text("TIT2")                               // later id, but...
                                     .Raw({size[0], size[1], size[2], size[3]})  // ...a size of 256 or more
                                     .Raw({0x00, 0x00})                          // flags
                                     .Raw({0x00})                                // encoding
                                     .Text("Later")                              // text
                                     .Text(Audio());
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(file, info));
        EXPECT_STREQ("Early", info.v2Title);
    }
}

TEST_F(TagReaderTest, FrameIdIsCaseSensitive) {
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(Id3v2Header(40) + TextFrame("tit2", "Lower") + TextFrame("Tpe1", "Mixed") + Audio(), info));
    EXPECT_STREQ("", info.v2Title);
    EXPECT_STREQ("", info.v2Artist);
}

TEST_F(TagReaderTest, MatchInsideAnotherFramesDataCounts) {
    // A comment whose text happens to hold a whole TPE1 frame.
    const std::string comment = Bytes()
                                    .Text("eng")                      // language
                                    .Zeros(1)                         // empty description
                                    .Text(TextFrame("TPE1", "Hid"));  // looks like a frame
    const std::string file = Bytes()
                                 .Text(Id3v2Header(80))             // header
                                 .Text(TextFrame("TPE1", "Real"))   // the real artist
                                 .Text(TextFrame("COMM", comment))  // comment with the look-alike
                                 .Text(Audio());
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_STREQ("Hid", info.v2Artist);
}

// Matches are looked for at window positions 0 to 254 only, but what a match
// near the end tests and copies is the file's own bytes: a frame whose text
// crosses the window's end keeps its whole text.
TEST_F(TagReaderTest, FramesAtTheEndOfTheWindow) {
    struct Case {
        int position;  // window index of the later frame's id
        const char* title;
    };
    const Case cases[] = {
        {240, "Hello"},  // the text ends on window byte 255
        {241, "Hello"},  // the text crosses the window's end
        {245, "Hello"},  // the text starts past the window
        {248, "Hello"},  // the size byte is the window's last byte
        {249, "Hello"},  // the size bytes lie past the window
        {252, "Hello"},  //
        {254, "Hello"},  // the last position tested
        {255, "Early"},  // past the positions tested
        {256, "Early"},  //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const std::string file = Bytes()
                                     .Text(Id3v2Header(400))            // window 0..6
                                     .Text(TextFrame("TIT2", "Early"))  // window 7..22
                                     .PadTo(3 + c.position)             // zeros up to the later frame
                                     .Text(TextFrame("TIT2", "Hello"))  // the later frame
                                     .Fill(200, 'x')                    // more tag bytes, never zero
                                     .Text(Audio());
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(file, info));
        EXPECT_STREQ(c.title, info.v2Title);
    }
}

// The longest text from the last position tested reaches window index 390,
// the last byte of the one read at the signature.
TEST_F(TagReaderTest, LongestTextFromTheLastPositionIsTakenWhole) {
    const std::string title(126, 'T');
    const std::string file = Bytes()
                                 .Text(Id3v2Header(400))          // window 0..6
                                 .PadTo(3 + 254)                  // zeros up to the frame
                                 .Text(TextFrame("TIT2", title))  // size 127: encoding byte and text
                                 .Fill(100, 'x')                  // tag bytes behind it
                                 .Text(Audio());
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_EQ(title, info.v2Title);
}

TEST_F(TagReaderTest, FrameCutByTheEndOfAShortFileReadsZeros) {
    const std::string file = Bytes()
                                 .Text(Id3v2Header(200))   // header
                                 .Text("TIT2")             // frame id
                                 .Raw({0x00, 0x00, 0x00})  // size, high bytes
                                 .Raw({0x20})              // size: 31 bytes of text announced
                                 .Raw({0x00, 0x00})        // flags
                                 .Raw({0x00})              // encoding
                                 .Text("Short");           // only 5 bytes before the end
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_STREQ("Short", info.v2Title);
    EXPECT_EQ(0, info.hasId3v1);
}

TEST_F(TagReaderTest, FrameIdAtTheVeryEndMatchesWithoutText) {
    const std::string file = Bytes()
                                 .Text(Id3v2Header(200))            // header
                                 .Text(TextFrame("TPE1", "Early"))  // an artist
                                 .Text("TPE1");                     // an id whose size bytes lie past the end
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    // The size bytes past the end read as zero: a later match without text.
    EXPECT_STREQ("", info.v2Artist);
}

TEST_F(TagReaderTest, TagLongerThanTheFileStillYieldsItsFrames) {
    // The header promises 5000 bytes; the file ends inside the tag.
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(Id3v2Header(5000) + TextFrame("TIT2", "Cut") + TextFrame("TPE1", "Short"), info));
    EXPECT_STREQ("Cut", info.v2Title);
    EXPECT_STREQ("Short", info.v2Artist);
}

TEST_F(TagReaderTest, NoVersion2TagMeansEmptyVersion2Texts) {
    // A TIT2 look-alike right after an MPEG signature is not searched.
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(Str(Bytes().Raw({0xFF, 0xFB, 0x90})) + TextFrame("TIT2", "Audio") + Audio(), info));
    EXPECT_EQ(0, info.hasId3v2);
    EXPECT_STREQ("", info.v2Title);
    EXPECT_STREQ("", info.v2Artist);
}

// ---------------------------------------------------------------- FindTextFrame

TEST(FindTextFrame, WindowOfOneByteOrLessFindsNothing) {
    unsigned char window[1024] = {};
    const std::string frame = TextFrame("TIT2", "Hi");
    memcpy(window, frame.data(), frame.size());
    for (int length : {-5, 0, 1}) {
        SCOPED_TRACE(length);
        char text[TEXT_BUFFER];
        memset(text, 'x', sizeof text);
        FindTextFrame(window, length, "TIT2", text);
        EXPECT_STREQ("", text);
    }
    char text[TEXT_BUFFER];
    FindTextFrame(window, 2, "TIT2", text);  // position 0 is tested from a length of 2
    EXPECT_STREQ("Hi", text);
}

TEST(FindTextFrame, NoMatchLeavesAnEmptyText) {
    unsigned char window[1024];
    memset(window, 'T', sizeof window);
    char text[TEXT_BUFFER];
    memset(text, 'x', sizeof text);
    FindTextFrame(window, 256, "TPE1", text);
    EXPECT_STREQ("", text);
}

// ---------------------------------------------------------------- ID3v1

std::string FileWithVersion1(const std::string& titleField, const std::string& artistField) {
    return Audio() + Id3v1Tag(titleField, artistField);
}

TEST_F(TagReaderTest, Version1TitleTrimming) {
    struct Case {
        const char* name;
        std::string field;
        std::string title;
    };
    const Case cases[] = {
        {"four letters, 26 spaces", "Song" + std::string(26, ' '), "Song"},
        {"four letters, two spaces, 24 zeros", "Song  " + std::string(24, '\0'), "Song  "},
        {"thirty letters", std::string(30, 'L'), std::string(30, 'L')},
        {"thirty spaces", std::string(30, ' '), ""},
        {"leading spaces stay", "  Song" + std::string(24, ' '), "  Song"},
        {"inner spaces stay", "So ng" + std::string(25, ' '), "So ng"},
        {"a tab is not trimmed", "Song\t" + std::string(25, ' '), "Song\t"},
        {"a high byte is not trimmed", "Song\xA0" + std::string(25, ' '), "Song\u00A0"},
        {"Latin-1 becomes UTF-8", "Caf\xE9 Ol\xE9" + std::string(22, ' '), "Café Olé"},
        {"thirty Latin-1 letters are sixty bytes", std::string(30, '\xE9'),
         [] {
             std::string e;
             for (int i = 0; i < 30; ++i) e += "é";
             return e;
         }()},
        {"UTF-8 cut by the field's end ends before the cut character", "ab日日日日日日日日日\xE6",
         "ab日日日日日日日日日"},
        {"spaces before a zero byte stay", "Song " + std::string(1, '\0') + std::string(24, ' '), "Song "},
        {"the text ends at a zero byte", std::string("Song\0More", 9) + std::string(21, ' '), "Song"},
        {"empty field", std::string(30, '\0'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(30u, c.field.size());
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(FileWithVersion1(c.field, "Band"), info));
        EXPECT_EQ(1, info.hasId3v1);
        EXPECT_EQ(c.title, info.v1Title);
        EXPECT_STREQ("Band", info.v1Artist);
    }
}

TEST_F(TagReaderTest, Version1ArtistOfSpacesIsEmptyAndTitleTrimmedOnItsOwn) {
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(FileWithVersion1("Song" + std::string(26, ' '), std::string(30, ' ')), info));
    EXPECT_STREQ("Song", info.v1Title);
    EXPECT_STREQ("", info.v1Artist);
}

TEST_F(TagReaderTest, FullVersion1FieldsDoNotRunIntoEachOther) {
    // Neither field carries a terminator in the file.
    const std::string title = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    const std::string artist = "abcdefghijklmnopqrstuvwxyz4567";
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(Audio() + Id3v1Tag(title, artist).replace(63, 30, 30, 'M'), info));
    EXPECT_EQ(title, info.v1Title);
    EXPECT_EQ(artist, info.v1Artist);
}

TEST_F(TagReaderTest, NoTagAt128BeforeTheEnd) {
    const std::string tag = Id3v1Tag("Title", "Artist");
    struct Case {
        const char* name;
        std::string file;
    };
    std::string lower = tag;
    lower.replace(0, 3, "tag");
    const Case cases[] = {
        {"no tag at all", Audio()},
        {"lower-case identifier", Audio() + lower},
        {"tag one byte too early", Audio() + tag + "x"},
        {"tag one byte too late", Audio() + tag.substr(0, 127)},
        {"tag cut after its artist", Audio() + tag.substr(0, 63)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(c.file, info));
        EXPECT_EQ(0, info.hasId3v1);
        EXPECT_STREQ("", info.v1Title);
        EXPECT_STREQ("", info.v1Artist);
    }
}

TEST_F(TagReaderTest, ShortFiles) {
    // A 127-byte file with "TAG" right behind its signature: a reader that
    // let the seek 128 bytes before the start fail silently would find it.
    const std::string tagAfterSignature = Bytes().Raw({0xFF, 0xFB, 0x90}).Text(Id3v1Tag("Near", "Start"));
    struct Case {
        size_t size;
        std::string file;
        int recognized;
        int hasId3v1;
    };
    const Case cases[] = {
        {0, "", 0, 0},
        {1, "\xFF", 0, 0},
        {2, "\xFF\xFB", 1, 0},
        {3, "ID3", 1, 0},
        {127, tagAfterSignature.substr(0, 127), 1, 0},
        {128, tagAfterSignature.substr(0, 128), 1, 0},
        {129, Str(Bytes().Raw({0xFF}).Text(tagAfterSignature.substr(0, 128))), 0, 0},
        {129, tagAfterSignature.substr(0, 129), 1, 0},
        {130, Str(Bytes().Raw({0xFF, 0xFB}).Text(Id3v1Tag("Near", "Start"))), 1, 1},
        {131, tagAfterSignature, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_EQ(c.size, c.file.size());
        TagInfo info = StaleRecord();
        EXPECT_EQ(c.recognized, Read(c.file, info));
        EXPECT_EQ(1, info.fileOpened);
        EXPECT_EQ(c.recognized, info.formatRecognized);
        if (!c.recognized) continue;
        EXPECT_EQ(c.hasId3v1, info.hasId3v1);
        EXPECT_STREQ(c.hasId3v1 ? "Near" : "", info.v1Title);
        EXPECT_STREQ(c.hasId3v1 ? "Start" : "", info.v1Artist);
    }
}

TEST_F(TagReaderTest, FileWithBothTagsFillsAllFourTexts) {
    const std::string file = Bytes()
                                 .Text(Id3v2Header(60))                     // ID3v2 header
                                 .Text(TextFrame("TIT2", "New Title"))      // ID3v2 title
                                 .Text(TextFrame("TPE1", "New Band"))       // ID3v2 artist
                                 .Zeros(20)                                 // padding
                                 .Text(Audio())                             // audio
                                 .Text(Id3v1Tag("Old Title", "Old Band"));  // ID3v1
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, Read(file, info));
    EXPECT_EQ(1, info.fileOpened);
    EXPECT_EQ(1, info.formatRecognized);
    EXPECT_EQ(1, info.hasId3v2);
    EXPECT_EQ(1, info.hasId3v1);
    EXPECT_STREQ("New Title", info.v2Title);
    EXPECT_STREQ("New Band", info.v2Artist);
    EXPECT_STREQ("Old Title", info.v1Title);
    EXPECT_STREQ("Old Band", info.v1Artist);
}

// ---------------------------------------------------------------- names and effects

TEST_F(TagReaderTest, NameAndExtensionPlayNoPart) {
    const std::string file = Id3v2Header(30) + TextFrame("TIT2", "Same") + Audio() + Id3v1Tag("One", "Two");
    for (const char* name : {"track.mp3", "TRACK.MP3", "song.txt", "noextension", "-n", "a b ?.wav"}) {
        SCOPED_TRACE(name);
        TagInfo info = StaleRecord();
        EXPECT_EQ(1, Read(file, info, name));
        EXPECT_STREQ("Same", info.v2Title);
        EXPECT_STREQ("One", info.v1Title);
        EXPECT_STREQ("Two", info.v1Artist);
    }
}

TEST_F(TagReaderTest, ReadingLeavesTheFileAsItWas) {
    std::string path = folder_.Path("keep.mp3");
    WriteFile(path, Str(Bytes().Zeros(70000)) + TagWithArtistLate());
    const uint64_t hash = FileHash(path);
    TagInfo info = StaleRecord();
    EXPECT_EQ(1, ReadTags(path.c_str(), info));
    EXPECT_EQ(hash, FileHash(path));
    EXPECT_EQ(std::vector<std::string>{"keep.mp3"}, ListFolder(folder_.path()));
}

}  // namespace
