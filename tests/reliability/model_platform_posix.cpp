// The drop model's view of a POSIX system: UTF-8 text, scanned byte by byte,
// '/' between folders, letter case significant in names.
#include "reliability/drop_model.h"

#include <vector>

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

}  // namespace

const ModelPlatform& HostPlatform() {
    static const ModelPlatform kPosix = {false,     '/',      EncodeUtf8, OneByte, Unchanged, Utf8OrWindows1252,
                                         Unchanged, NoDevices};
    return kPosix;
}
