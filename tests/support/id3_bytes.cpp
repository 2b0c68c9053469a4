// Byte builders for ID3 test fixtures.
#include "support/id3_bytes.h"

#include <stdint.h>

#include <stdexcept>

namespace {

// Seven bits to a byte, the high bit of each clear.
Bytes& Synchsafe(Bytes& bytes, unsigned value) {
    return bytes.Raw({static_cast<int>((value >> 21) & 0x7F), static_cast<int>((value >> 14) & 0x7F),
                      static_cast<int>((value >> 7) & 0x7F), static_cast<int>(value & 0x7F)});
}

Bytes& BigEndian32(Bytes& bytes, unsigned value) {
    return bytes.Raw({static_cast<int>((value >> 24) & 0xFF), static_cast<int>((value >> 16) & 0xFF),
                      static_cast<int>((value >> 8) & 0xFF), static_cast<int>(value & 0xFF)});
}

}  // namespace

std::string Id3v2Header(unsigned size, int version) {
    if (version != 3 && version != 4) throw std::invalid_argument("ID3v2 version other than 2.3 or 2.4");
    Bytes header;
    header
        .Text("ID3")        // signature
        .Raw({version, 0})  // version 2.3.0 or 2.4.0
        .Raw({0});          // flags
    return Synchsafe(header, size).str();
}

std::string TextFrame(const char* id, const std::string& text, int encoding, int version) {
    unsigned size = static_cast<unsigned>(text.size() + 1);  // encoding byte + text
    Bytes frame;
    frame.Text(id);  // frame id
    if (version == 4) {
        Synchsafe(frame, size);
    } else {
        BigEndian32(frame, size);
    }
    return frame
        .Raw({0, 0})      // flags
        .Raw({encoding})  // text encoding
        .Text(text)       // text
        .str();
}

std::string Id3v2Tag(const std::string& frames, int version) {
    return Id3v2Header(static_cast<unsigned>(frames.size()), version) + frames;
}

std::string Id3v1Tag(const std::string& titleField, const std::string& artistField) {
    if (titleField.size() > 30 || artistField.size() > 30) throw std::invalid_argument("ID3v1 field over 30 bytes");
    return Bytes()
        .Text("TAG")             // identifier
        .Field(titleField, 30)   // title
        .Field(artistField, 30)  // artist
        .Zeros(30)               // album
        .Zeros(4)                // year
        .Zeros(30)               // comment
        .Zeros(1)                // genre
        .str();
}

std::string Utf16(const std::string& text, bool bigEndian, bool mark) {
    std::string out;
    auto unit = [&](uint32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    if (mark) unit(0xFEFF);
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<size_t>(n);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

std::string MpegFrames(int count) {
    Bytes audio;
    for (int k = 0; k < count; ++k) audio.Raw({0xFF, 0xFB, 0x90, 0x00}).Zeros(413);
    return audio;
}

std::string TaggedMp3(const std::string& title, const std::string& artist, const std::string& v1Title,
                      const std::string& v1Artist) {
    std::string frames;
    if (!title.empty()) frames += TextFrame("TIT2", title);
    if (!artist.empty()) frames += TextFrame("TPE1", artist);
    Bytes file;
    file.Text(Id3v2Tag(frames + std::string(20, '\0')))  // tag with padding
        .Text(MpegFrames(1));                            // audio
    if (!v1Title.empty() || !v1Artist.empty()) file.Text(Id3v1Tag(v1Title, v1Artist));
    return file;
}

std::string V2Frame(int version, const char* id, const std::string& data, int formatFlags, bool plainSize) {
    Bytes frame;
    unsigned size = static_cast<unsigned>(data.size());
    if (version == 2) {
        frame.Text(std::string(id, 3)).Raw({int(size >> 16), int(size >> 8 & 0xFF), int(size & 0xFF)});
    } else {
        frame.Text(std::string(id, 4));
        (version == 4 && !plainSize ? Synchsafe(frame, size) : BigEndian32(frame, size)).Raw({0, formatFlags});
    }
    return frame.Text(data);
}

std::string V2Tag(int version, const std::string& body, int flags, long size) {
    Bytes tag;
    tag.Text("ID3").Raw({version, 0, flags});
    return Synchsafe(tag, static_cast<unsigned>(size < 0 ? static_cast<long>(body.size()) : size)).Text(body);
}

std::string Unsynchronised(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        unsigned char next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0)) out += '\0';
    }
    return out;
}
