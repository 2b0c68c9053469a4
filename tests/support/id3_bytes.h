// Byte builders for test files: fields appended one at a time, so a fixture
// reads as a list of fields, plus whole ID3v2 frames and ID3v1 tags.
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

// The ten-byte ID3v2.3 header: "ID3", version 3.0, no flags, and the
// synchsafe `size` of what follows.
std::string Id3v2Header(unsigned size);

// A text frame as the reader expects it: id, a size of the text plus one for
// the encoding byte (big-endian), two zero flag bytes, the encoding byte, the
// text. The text must be shorter than 255 bytes.
std::string TextFrame(const char* id, const std::string& text, int encoding = 0);

// A 128-byte ID3v1 tag: "TAG", then the 30-byte title and artist fields
// exactly as given and zero-padded when shorter, then zeros for album, year,
// comment and genre.
std::string Id3v1Tag(const std::string& titleField, const std::string& artistField);

// `text` in UTF-16: little-endian unless `bigEndian`, with the byte-order mark
// first when `mark`. `text` is UTF-8.
std::string Utf16(const std::string& text, bool bigEndian, bool mark);

// A frame of ID3v2.`version`: 2.2 a three-letter id and a three-byte size, 2.3
// a four-byte size, 2.4 a syncsafe one (a plain one with `plainSize`), then
// (2.3, 2.4) a zero status byte and `formatFlags`; then `data` as it is.
std::string V2Frame(int version, const char* id, const std::string& data, int formatFlags = 0, bool plainSize = false);

// A whole ID3v2.`version` tag with header `flags` around `body`, its size
// `size` (the body's when negative).
std::string V2Tag(int version, const std::string& body, int flags = 0, long size = -1);

// `bytes` unsynchronised: a zero after every 0xFF that precedes a zero, a
// byte from 0xE0 up, or the end.
std::string Unsynchronised(const std::string& bytes);

#endif
