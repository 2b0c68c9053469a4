// The drop model's view of a POSIX system: UTF-8 text, scanned byte by byte,
// '/' between folders, letter case significant in names, and the Linux
// reading of ID3v2 tags, modelled as mutagen reads them: the whole tag in
// memory, undone, then its frames.
#include <algorithm>
#include <vector>

#include "reliability/drop_model.h"

namespace {

std::string EncodeUtf8(uint32_t cp) {
    std::string out;
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return "?";
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

int OneByte(const char*) {
    return 1;
}

std::string Unchanged(const std::string& text) {
    return text;
}

bool NoDevices(const std::string&) {
    return false;
}

// Byte counts of the UTF-8 characters of `bytes`, as far as they are well
// formed; `rest` is what follows the last whole one.
std::vector<size_t> Utf8Characters(const std::string& bytes, std::string* rest) {
    std::vector<size_t> sizes;
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        size_t n = b < 0x80                   ? 1
                   : (b >= 0xC2 && b <= 0xDF) ? 2
                   : (b >= 0xE0 && b <= 0xEF) ? 3
                   : (b >= 0xF0 && b <= 0xF4) ? 4
                                              : 0;
        if (n == 0 || i + n > bytes.size()) break;
        uint32_t cp = n == 1 ? b : b & (0x7Fu >> n);
        bool good = true;
        for (size_t k = 1; k < n; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            good = good && (c & 0xC0) == 0x80;
            cp = cp << 6 | (c & 0x3Fu);
        }
        static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!good || cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) break;
        sizes.push_back(n);
        i += n;
    }
    *rest = bytes.substr(i);
    return sizes;
}

// The start of a UTF-8 character that the end of the text cut off.
bool CutCharacter(const std::string& rest) {
    if (rest.empty() || rest.size() > 3) return false;
    unsigned char b = static_cast<unsigned char>(rest[0]);
    size_t need = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
    if (rest.size() >= need) return false;
    for (size_t k = 1; k < rest.size(); ++k) {
        if ((static_cast<unsigned char>(rest[k]) & 0xC0) != 0x80) return false;
    }
    return true;
}

// UTF-8 as it is (cut by a full ID3v1 field at most), anything else read as
// Windows-1252, whose five undefined bytes stand for '?'.
std::string Utf8OrWindows1252(const std::string& bytes, bool fixedWidth, size_t limit) {
    std::string rest;
    std::vector<size_t> sizes = Utf8Characters(bytes, &rest);
    bool multibyte = false;
    for (size_t n : sizes) multibyte = multibyte || n > 1;
    if (rest.empty() || (fixedWidth && multibyte && CutCharacter(rest))) {
        std::string text;
        size_t i = 0;
        for (size_t n : sizes) {
            if (text.size() + n > limit) break;
            text += bytes.substr(i, n);
            i += n;
        }
        return text;
    }
    static const uint32_t k80To9F[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string text;
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        uint32_t cp = (b >= 0x80 && b < 0xA0) ? k80To9F[b - 0x80] : b;
        std::string encoded = EncodeUtf8(cp);
        if (text.size() + encoded.size() > limit) break;
        text += encoded;
    }
    return text;
}

uint32_t Number(const std::string& bytes, size_t at, int count, int bits) {
    uint32_t value = 0;
    for (size_t k = at; k < at + count; ++k)
        value = value << bits | ((k < bytes.size() ? bytes[k] : 0) & ((1 << bits) - 1));
    return value;
}

std::string Resynchronised(const std::string& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i == 0 || data[i] != '\0' || data[i - 1] != '\xFF') out += data[i];
    }
    return out;
}

// The frame ids of ID3v2.3 and 2.4 (iTunes' few among them).
bool Known(const std::string& id) {
    return id.size() == 4 && id.find(' ') == std::string::npos &&
           std::string(
               " AENC APIC ASPI CHAP COMM COMR CTOC ENCR EQU2 ETCO GEOB GRID GRP1 IPLS LINK MCDI MLLT MVIN MVNM OWNE "
               "PCNT PCST POPM POSS PRIV RBUF RVA2 RVAD RVRB SEEK SIGN SYLT SYTC TALB TBPM TCAT TCMP TCOM TCON TCOP "
               "TDAT "
               "TDEN TDES TDLY TDOR TDRC TDRL TDTG TENC TEXT TFLT TGID TIME TIPL TIT1 TIT2 TIT3 TKEY TKWD TLAN TLEN "
               "TMCL "
               "TMED TMOO TOAL TOFN TOLY TOPE TORY TOWN TPE1 TPE2 TPE3 TPE4 TPOS TPRO TPUB TRCK TRDA TRSN TRSO TSIZ "
               "TSO2 "
               "TSOA TSOC TSOP TSOT TSRC TSSE TSST TXXX TYER UFID USER USLT WCOM WCOP WFED WOAF WOAR WOAS WORS WPAY "
               "WPUB "
               "WXXX ")
                   .find(" " + id + " ") != std::string::npos;
}

// mutagen's count of the known frames that 2.4 sizes of one kind walk through,
// and how far past the end of the frames the walk ends.
std::pair<int, long long> CountFrames(const std::string& data, long long end, int bits) {
    int known = 0;
    long long o = 0;
    for (; o < end - 10; o += 10 + Number(data, o + 4, 4, bits)) {
        if (o + 10 > static_cast<long long>(data.size()) || data.compare(o, 10, std::string(10, '\0')) == 0) {
            return {known, -((end - o) % 10)};
        }
        known += Known(data.substr(o, 4));
    }
    return {known, o - end};
}

// The tag in memory, undone, then its frames. The generator writes no
// compressed frame, and bytes that only claim to be one never inflate.
void WholeVersion2(const std::string& bytes, size_t start, ModelTags* tags) {
    const std::string tag = bytes.substr(start);
    const int version = Number(tag, 3, 1, 8), flags = Number(tag, 5, 1, 8);
    const int undefined = version == 4 ? 0x0F : version == 3 ? 0x1F : 0x40;
    if (version < 2 || version > 4 || (Number(tag, 6, 4, 8) & 0x80808080) || (flags & undefined)) return;
    long long end = Number(tag, 6, 4, 7), extended = 0;
    if (version > 2 && (flags & 0x40) && !Known(tag.substr(std::min<size_t>(10, tag.size()), 4))) {
        if (version == 4 && ((Number(tag, 10, 4, 8) & 0x80808080) || Number(tag, 10, 4, 7) < 4)) return;
        extended = version == 4 ? Number(tag, 10, 4, 7) : 4 + static_cast<long long>(Number(tag, 10, 4, 8));
        if (extended > end) return;
    }
    end -= extended;
    std::string data = tag.substr(std::min<size_t>(10 + extended, tag.size()), end);
    if (version < 4 && (flags & 0x80)) data = Resynchronised(data);
    const std::pair<int, long long> syncsafe = CountFrames(data, end, 7), plain = CountFrames(data, end, 8);
    const int bits = version == 4 && !(plain.first > syncsafe.first ||
                                       (plain.first == syncsafe.first && syncsafe.second >= 1 && plain.second <= 1))
                         ? 7
                         : 8;
    const long long header = version == 2 ? 6 : 10, available = data.size();
    bool title = false, artist = false;
    for (long long o = 0, size = 0; o + header <= std::min(end, available) && !(title && artist); o += header + size) {
        std::string id = data.substr(o, version == 2 ? 3 : 4);
        size = version == 2 ? Number(data, o + 3, 3, 8) : Number(data, o + 4, 4, bits);
        if (id.find_first_not_of('\0') == std::string::npos || o + header + size > end) break;
        if (version > 2 && id[3] == '\0') id.resize(3);
        bool isTitle = id == "TIT2" || id == "TT2", isArtist = id == "TPE1" || id == "TP1";
        if (size == 0 || !((isTitle && !title) || (isArtist && !artist))) continue;
        if (o + header + std::min(size, 8192LL) > available) break;
        // What the frame's flags put before its text: group, encryption, length.
        int f = Number(data, o + 9, 1, 8);
        size_t extra = version == 3 ? (f & 0x20 ? 1 : 0) : version == 4 ? (f & 0x40 ? 1 : 0) + (f & 0x01 ? 4 : 0) : 0;
        std::string text = data.substr(o + header, std::min(size, 8192LL));
        if ((version == 3 && (f & 0xC0)) || (version == 4 && (f & 0x0C)) || text.size() <= extra) continue;
        text = version == 4 && ((flags & 0x80) || (f & 0x02)) ? Resynchronised(text.substr(extra)) : text.substr(extra);
        if (text.empty()) continue;
        (isTitle ? title : artist) = true;
        (isTitle ? tags->v2Title : tags->v2Artist) = ModelFrameText(
            static_cast<unsigned char>(text[0]), reinterpret_cast<const unsigned char*>(&text[1]), text.size() - 1);
    }
}

// A Layer III frame header of MPEG-1, 2 or 2.5.
bool Layer3(const std::string& bytes, size_t start) {
    uint32_t h = Number(bytes, start, 3, 8);
    return (h >> 13) == 0x7FF && (h >> 11 & 3) != 1 && (h >> 9 & 3) == 1 && (h >> 4 & 15) != 15 && (h >> 2 & 3) != 3;
}

}  // namespace

const ModelPlatform& HostPlatform() {
    static const ModelPlatform kPosix = {false,     '/',       EncodeUtf8,    OneByte, Unchanged, Utf8OrWindows1252,
                                         Unchanged, NoDevices, WholeVersion2, Layer3};
    return kPosix;
}
