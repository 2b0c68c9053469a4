// The drop model's view of a POSIX system: UTF-8 text, scanned byte by byte,
// '/' between folders, letter case significant in names.
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

}  // namespace

const ModelPlatform& HostPlatform() {
    static const ModelPlatform kPosix = {false, '/', EncodeUtf8, OneByte, Unchanged};
    return kPosix;
}
