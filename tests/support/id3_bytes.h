// Byte builders for test files: fields appended one at a time, so a fixture
// reads as a list of fields, plus whole ID3v2 frames (version 2.3 or 2.4, any
// text encoding), ID3v2 and ID3v1 tags, MPEG audio and whole tagged MP3 files.
#ifndef QUILLON_TESTS_SUPPORT_ID3_BYTES_H
#define QUILLON_TESTS_SUPPORT_ID3_BYTES_H

#include <stddef.h>

#include <initializer_list>
#include <string>

class Bytes {
  public:
    // The characters of `text`, without a terminator.
    Bytes& Text(const std::string& text) {
        bytes_ += text;
        return *this;
    }
    // Byte values 0 to 255.
    Bytes& Raw(std::initializer_list<int> values) {
        for (int v : values) bytes_ += static_cast<char>(v);
        return *this;
    }
    Bytes& Fill(size_t count, char c) {
        bytes_.append(count, c);
        return *this;
    }
    Bytes& Zeros(size_t count) {
        return Fill(count, '\0');
    }
    // `text` zero-padded to a fixed-width field of `width` bytes.
    Bytes& Field(const std::string& text, size_t width) {
        bytes_ += text.substr(0, width);
        return Zeros(width - (text.size() < width ? text.size() : width));
    }
    // Zero bytes up to a total size of `size` (nothing when already there).
    Bytes& PadTo(size_t size) {
        if (bytes_.size() < size) Zeros(size - bytes_.size());
        return *this;
    }
    size_t size() const {
        return bytes_.size();
    }
    const std::string& str() const {
        return bytes_;
    }
    operator const std::string&() const {
        return bytes_;
    }

  private:
    std::string bytes_;
};

// The ten-byte ID3v2 header: "ID3", `version` (3 or 4) and revision 0, no
// flags, and the synchsafe `size` of what follows.
std::string Id3v2Header(unsigned size, int version = 3);

// A text frame: id, the size of the text plus one for the encoding byte (four
// bytes, big-endian in version 2.3, synchsafe in 2.4), two zero flag bytes,
// the encoding byte (0 ISO-8859-1, 1 UTF-16 with a mark, 2 UTF-16BE, 3 UTF-8),
// the text as given.
std::string TextFrame(const char* id, const std::string& text, int encoding = 0, int version = 3);

// A whole ID3v2 tag: its header, sized to hold `frames`, and the frames.
std::string Id3v2Tag(const std::string& frames, int version = 3);

// A 128-byte ID3v1 tag: "TAG", then the 30-byte title and artist fields
// exactly as given and zero-padded when shorter, then zeros for album, year,
// comment and genre.
std::string Id3v1Tag(const std::string& titleField, const std::string& artistField);

// `text` in UTF-16: little-endian unless `bigEndian`, with the byte-order mark
// first when `mark`. `text` is UTF-8.
std::string Utf16(const std::string& text, bool bigEndian = false, bool mark = true);

// `count` MPEG-1 Layer III frames at 128 kbit/s and 44.1 kHz: each its four
// header bytes and silence, 417 bytes in all.
std::string MpegFrames(int count);

// A small MP3 file: an ID3v2.3 tag with a TIT2 frame for `title` and a TPE1
// frame for `artist` (each left out when its text is empty), 20 bytes of
// padding, one MPEG frame, and an ID3v1 tag when
// `v1Title` or `v1Artist` is not empty.
std::string TaggedMp3(const std::string& title, const std::string& artist = "", const std::string& v1Title = "",
                      const std::string& v1Artist = "");

// A frame of ID3v2.`version` around `data`: 2.2 a three-letter id and size,
// 2.3 and 2.4 a four-byte size (syncsafe in 2.4 unless `plainSize`), a zero
// status byte and `formatFlags`. A tag of `version` with header `flags`, the
// size of `body` or `size`. `bytes` unsynchronised (0xFF 0x00 for a 0xFF that
// a zero, a byte from 0xE0 up or the end follows).
std::string V2Frame(int version, const char* id, const std::string& data, int formatFlags = 0, bool plainSize = false);
std::string V2Tag(int version, const std::string& body, int flags = 0, long size = -1);
std::string Unsynchronised(const std::string& bytes);

#endif
