// The drop model's view of Windows: text in the ANSI code page (932 under the
// tests' Wine), scanned by characters, '\' between folders, letter case not
// significant in names, device names refused. A character the code page
// cannot hold is '?', never a look-alike; code page 932 takes the JIS X 0208
// code points of the few characters it files under others.
#include <windows.h>

#include "reliability/drop_model.h"

namespace {

// JIS X 0208 code point, code page 932's for the same character.
const uint32_t kJisCodePoints[][2] = {{0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x2014, 0x2015},
                                      {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x00A6, 0xFFE4}};

std::string EncodeAnsi(uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return "?";
    for (const auto& jis : kJisCodePoints) {
        if (GetACP() == 932 && cp == jis[0]) cp = jis[1];
    }
    wchar_t units[2];
    int count = 1;
    if (cp >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(cp);
    }
    char out[8];
    BOOL defaulted = FALSE;
    // UTF-8 holds everything but lone surrogates, and takes no flags.
    int n = GetACP() == CP_UTF8
                ? WideCharToMultiByte(CP_UTF8, 0, units, count, out, sizeof out, nullptr, nullptr)
                : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, out, sizeof out, nullptr, &defaulted);
    if (n <= 0 || defaulted) return "?";
    return std::string(out, static_cast<size_t>(n));
}

int AnsiCharLength(const char* text) {
    return IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
}

std::string AnsiFromUtf8(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
        for (int k = 1; k < n && i + static_cast<size_t>(k) < text.size(); ++k) {
            cp = cp << 6 | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3Fu);
        }
        out += EncodeAnsi(cp);
        i += static_cast<size_t>(n);
    }
    return out;
}

// Tag bytes in no Unicode encoding are the code page's as they stand.
std::string AsTheyStand(const std::string& bytes, bool, size_t limit) {
    return bytes.substr(0, limit);
}

// A lead byte on its own at the end is no character of the name.
std::string WithoutLoneLeadByte(const std::string& text) {
    size_t last = 0;
    for (size_t i = 0; i < text.size(); i += static_cast<size_t>(AnsiCharLength(text.c_str() + i))) last = i;
    bool lone = !text.empty() && last == text.size() - 1 && IsDBCSLeadByte(static_cast<BYTE>(text[last]));
    return lone ? text.substr(0, last) : text;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 (the superscripts one to
// three as digits too), in any letter case: a name is a device's when the part
// before its first dot, trailing blanks left out, is one of them.
bool NamesDevice(const std::string& name) {
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, 1024) <= 0) return false;
    std::wstring stem(wide);
    stem = stem.substr(0, stem.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - 32 : c);
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
    bool numbered = stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0);
    return numbered && std::wstring(L"123456789\u00B9\u00B2\u00B3").find(stem[3]) != std::wstring::npos;
}

}  // namespace

const ModelPlatform& HostPlatform() {
    static const ModelPlatform kWindows = {true,
                                           '\\',
                                           EncodeAnsi,
                                           AnsiCharLength,
                                           AnsiFromUtf8,
                                           AsTheyStand,
                                           WithoutLoneLeadByte,
                                           NamesDevice,
                                           ModelWindowVersion2,
                                           nullptr};
    return kWindows;
}
