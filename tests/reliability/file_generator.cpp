// The case generator. Each random draw is a statement of its own: the order in
// which a compiler evaluates the operands of one expression is not fixed, and a
// seed must give the same cases with every compiler.
#include "reliability/file_generator.h"

#include "reliability/drop_model.h"
#include "support/id3_bytes.h"

namespace {

// Small pools so that titles collide often within one drop.
const char* const kTitles[] = {
    "Song",
    "Song",
    "Intro",
    "Blue",
    "Song ",
    " Song",
    "曲名",
    "Café",
    "Ünïcödé 日本 😀",
    "What?",
    "AC/DC",
    "a:b",
    "x|y",
    "Star*",
    "<tag>",
    "back\\slash",
    "quote\"d",
    "Ωμέγα",
    "Night",
    "Night",
    // In code page 932 the second byte of each of these is a backslash or a
    // vertical bar.
    "表示",
    "ソフト",
    "能力",
};
// Windows alone: names that stand for devices, and texts in the JIS X 0208
// code points that code page 932 files under others.
const char* const kWindowsTitles[] = {
    "NUL", "con  .", "Com1.txt", "lpt9", "恋〜Love", "−5 ¢ £", "a‖b—c ¬¦",
};
const char* const kArtists[] = {
    "Band", "Band", "Artist", "", "   ", "Ομάδα", "N*Sync", "Guns <N> Roses", "歌手", "Duo", "",
};

}  // namespace

std::string CaseGenerator::RandomBytes(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(Below(256));
    return bytes;
}

std::string CaseGenerator::Title() {
    if (HostPlatform().windows && Chance(8)) return kWindowsTitles[Below(sizeof kWindowsTitles / sizeof(char*))];
    int pick = Below(100);
    if (pick < 80) return kTitles[Below(sizeof kTitles / sizeof kTitles[0])];
    if (pick < 90) {
        size_t length = static_cast<size_t>(100 + Below(40));
        return std::string(length, static_cast<char>('A' + Below(26)));
    }
    return "T" + std::to_string(Below(1000));
}

std::string CaseGenerator::Artist() {
    int pick = Below(100);
    if (pick < 85) return kArtists[Below(sizeof kArtists / sizeof kArtists[0])];
    size_t length = static_cast<size_t>(60 + Below(80));
    return std::string(length, static_cast<char>('a' + Below(26)));
}

Settings CaseGenerator::RandomSettings() {
    return Settings{1 + Below(3), 1 + Below(2), 1 + Below(2), 0};
}

// The UTF-8 text in a frame encoding: 0 and other values keep the bytes,
// 1 is UTF-16 with or without a byte-order mark, 2 UTF-16 big-endian, 3 UTF-8,
// now and then with a broken byte.
std::string CaseGenerator::Encode(const std::string& utf8, int encoding) {
    if (encoding == 0 || encoding > 3) {
        std::string text = HostPlatform().fromUtf8(utf8);
        // On Windows now and then a Latin-1 é last, a lead byte in code page 932.
        if (HostPlatform().windows && Chance(10)) text += '\xE9';
        return text;
    }
    if (encoding == 3) {
        std::string out = Chance(10) ? "\xEF\xBB\xBF" + utf8 : utf8;
        if (Chance(10)) {
            size_t at = static_cast<size_t>(Below(static_cast<int>(out.size()) + 1));
            out.insert(at, 1, "\x80\xFF\xC3"[Below(3)]);
        }
        return out;
    }
    bool bigEndian = encoding == 2 || (encoding == 1 && Chance(30));
    std::string out;
    auto unit = [&](uint32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    if (encoding == 1 && (bigEndian || Chance(70))) unit(0xFEFF);
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
        for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        i += static_cast<size_t>(n);
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    if (Chance(5)) unit(0xDC00);  // a lone surrogate
    if (Chance(20)) unit(0);      // a terminator inside the frame
    return out;
}

std::string CaseGenerator::TextFrameBytes(const char* id) {
    int encoding = Chance(90) ? Below(4) : 4 + Below(4);
    std::string text = Encode(std::string(id) == "TIT2" ? Title() : Artist(), encoding);
    if (text.size() > 200) text.resize(200);
    int size = static_cast<int>(text.size()) + 1;
    std::string frame = id;
    int pick = Below(100);
    if (pick < 75) {
        frame += std::string("\0\0\0", 3) + static_cast<char>(size > 127 ? 127 : size);
    } else if (pick < 82) {
        frame += std::string("\0\0\0", 3) + "\x00\x01"[Below(2)];  // no text
    } else if (pick < 88) {
        frame += std::string("\0\0\0", 3) + static_cast<char>(0x80 + Below(128));  // size byte taken as negative
    } else if (pick < 94) {
        frame += std::string("\0\0", 2) + static_cast<char>(1 + Below(3));
        frame += static_cast<char>(Below(256));
    } else {
        frame += std::string("\0\0\0", 3) + static_cast<char>(1 + Below(size > 127 ? 127 : size));  // cut short
    }
    frame += std::string("\0\0", 2);
    frame += static_cast<char>(encoding);
    frame += text;
    return frame;
}

std::string CaseGenerator::Id3v2Tag() {
    // What only the Linux reading reads (2.2, iTunes' plain 2.4 sizes,
    // unsynchronisation, frames behind a picture) is drawn there alone, so
    // that the Windows drops stay the ones they were.
    const bool whole = !HostPlatform().windows;
    int version = Chance(70) ? 3 : 4;
    if (whole && Chance(15)) version = 2;
    bool plainSizes = whole && version == 4 && Chance(30);
    int flags = Chance(90) ? 0 : Below(256);
    std::string size;
    for (int k = 0; k < 4; ++k) size += static_cast<char>(Below(128));
    std::string body;
    int frames = Below(5);
    for (int k = 0; k < frames; ++k) {
        int pick = Below(100);
        std::string frame;
        if (pick < 35) {
            frame = TextFrameBytes("TIT2");
        } else if (pick < 70) {
            frame = TextFrameBytes("TPE1");
        } else if (pick < 85) {
            std::string data = RandomBytes(Below(40));
            frame = (Chance(50) ? "TALB" : "COMM") + std::string("\0\0\0", 3) + static_cast<char>(data.size() + 1) +
                    std::string("\0\0\0", 3) + data;
        } else if (whole && pick < 95) {
            // A picture that puts what follows past 256 bytes or the first read.
            frame = V2Frame(version == 2 ? 3 : version, "APIC", RandomBytes(200 + Below(6000)), 0, plainSizes);
        } else {
            frame = std::string(static_cast<size_t>(Below(120)), '\0');  // padding
        }
        // ID3v2.2: three-letter ids, three size bytes, no flags.
        if (version == 2 && frame.size() >= 10 && frame[0] != '\0') {
            const char* id = frame[0] == 'A' ? "PIC" : frame[1] == 'I' ? "TT2" : frame[1] == 'P' ? "TP1" : "COM";
            frame = id + frame.substr(5, 3) + frame.substr(10);
        }
        body += frame;
    }
    if (whole && version < 4 && Chance(10)) {
        flags |= 0x80;
        body = Unsynchronised(body);
    }
    std::string tag = V2Tag(version, body, flags);
    if (!whole || Chance(40)) tag.replace(6, 4, size);                                         // a size as it comes
    if (Chance(10)) tag.resize(static_cast<size_t>(Below(static_cast<int>(tag.size()) + 1)));  // cut off
    return tag;
}

std::string CaseGenerator::V1Field(const std::string& utf8) {
    std::string text = HostPlatform().fromUtf8(utf8);
    std::string field;
    bool lone = false;
    if (HostPlatform().windows) {
        // Whole characters, now and then followed by a lead byte on its own
        // (a Latin-1 é, or what a field that cut a character in half ends
        // in), then zeros only or blanks only: a lead byte and a blank read as
        // one character, and how the system names a file after that is its
        // own affair.
        for (size_t i = 0; i < text.size();) {
            size_t n = static_cast<size_t>(HostPlatform().charLength(text.c_str() + i));
            if (field.size() + n > 30) break;
            field += text.substr(i, n);
            i += n;
        }
        lone = field.size() < 30 && Chance(10);
        if (lone) field += '\xE9';
    } else {
        field = text.substr(0, 30);
    }
    int pad = Below(lone ? 2 : 3);
    while (field.size() < 30) {
        char c = pad == 0 ? ' ' : pad == 1 ? '\0' : (Chance(50) ? ' ' : '\0');
        field += c;
    }
    return field;
}

std::string CaseGenerator::Id3v1Tag() {
    std::string tag = Chance(95) ? "TAG" : (Chance(50) ? "TAg" : "tag");
    tag += V1Field(Chance(10) ? std::string(30, ' ') : Title());
    tag += V1Field(Artist());
    tag += RandomBytes(65);
    return tag;
}

std::string CaseGenerator::FileBytes() {
    std::string bytes;
    int zeros = Below(100);
    if (zeros < 12) {
        bytes.append(static_cast<size_t>(1 + Below(40)), '\0');
    } else if (zeros < 13) {
        bytes.append(static_cast<size_t>(65536 + Below(600)), '\0');
    }
    int kind = Below(100);
    if (kind < 45) {
        bytes += Id3v2Tag();
    } else if (kind < 60) {
        bytes += "\xFF\xFB" + RandomBytes(2);
    } else if (kind < 67) {
        bytes += "RIF" + std::string(Chance(80) ? "F" : "");
    } else if (kind < 77) {
        const char* const kNearMisses[] = {"\xFF\xFA", "\xFF\xF3", "id3", "ID4", "RIX", "RI", "I", "\xFF"};
        bytes += kNearMisses[Below(8)];
    } else if (kind < 82) {
        if (Chance(50)) return bytes;  // empty, or nothing but zeros
    } else {
        bytes += static_cast<char>(1 + Below(255));
    }
    int pick = Below(100);
    if (pick < 40) {
        bytes += RandomBytes(Below(40));
    } else if (pick < 80) {
        bytes += RandomBytes(Below(400));
    }
    if (Chance(50)) bytes += Id3v1Tag();
    return bytes;
}

std::string CaseGenerator::FileName() {
    // Windows takes no colon in a name, and Wine keeps the old letter case when
    // a rename changes nothing else (Windows takes the new one): the stems that
    // may equal a title are left to POSIX.
    const char* const kStems[] = {"track01", "Track 02", "曲", "a'b", "x", "01 - Intro", "Song", "Blue", "weird:name"};
    const char* const kExtensions[] = {".mp3", ".MP3", ".wav", "", ".mp3.bak", ".Mp3"};
    std::string name = HostPlatform().fromUtf8(kStems[Below(HostPlatform().windows ? 6 : 9)]);
    if (Chance(60)) name += "-" + std::to_string(Below(100000));
    return name + kExtensions[Below(6)];
}

std::string CaseGenerator::TakenName() {
    std::string title = kTitles[Below(sizeof kTitles / sizeof kTitles[0])];
    std::string artist = kArtists[Below(sizeof kArtists / sizeof kArtists[0])];
    if (artist.empty()) artist = "Unknown Artist";
    int format = Below(3);
    std::string name = format == 0 ? title : format == 1 ? title + " - " + artist : artist + " - " + title;
    // Checked after the conversion: a character the code page lacks turns
    // into '?', which no name can hold on Windows.
    const char* refused = HostPlatform().windows ? "\\/:*?\"<>|" : "/";
    std::string converted = HostPlatform().fromUtf8(name);
    if (converted.find_first_of(refused) != std::string::npos) converted = "Song";
    return converted + ".mp3";
}
