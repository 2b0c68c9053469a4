// The drop model's view of Windows, taken from the system's own conversion
// calls and the code page's definitions rather than from the program: text in
// the ANSI code page (932 under the tests' Wine), double-byte where the code
// page defines a lead byte, '\' between folders, letter case not significant
// in names, device names refused. A character is the code page's when a
// conversion there and back gives it unchanged; any other is '?', never a
// look-alike.
#include <windows.h>

#include "reliability/drop_model.h"

namespace {

// Characters that JIS X 0208 and code page 932 file under different code
// points; taggers that follow JIS write the JIS one (a wave dash where the code
// page has a fullwidth tilde). Each stands for the code page's character at
// the Shift_JIS bytes of its JIS row and cell.
struct JisCharacter {
    uint32_t cp;
    char bytes[3];
};
const JisCharacter kJisCharacters[] = {
    {0x301C, "\x81\x60"},  // WAVE DASH, row 1 cell 33
    {0x2016, "\x81\x61"},  // DOUBLE VERTICAL LINE, 1-34
    {0x2212, "\x81\x7C"},  // MINUS SIGN, 1-61
    {0x2014, "\x81\x5C"},  // EM DASH, 1-29
    {0x00A2, "\x81\x91"},  // CENT SIGN, 1-81
    {0x00A3, "\x81\x92"},  // POUND SIGN, 1-82
    {0x00AC, "\x81\xCA"},  // NOT SIGN, 2-44
    {0x00A6, "\xFA\x55"},  // BROKEN BAR, among the IBM extensions
};

std::wstring Wide(const std::string& bytes, unsigned codePage, DWORD flags) {
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& wide, unsigned codePage) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

// One character as UTF-16: a unit, or a surrogate pair above the BMP.
std::wstring Units(uint32_t cp) {
    if (cp < 0x10000) return std::wstring(1, static_cast<wchar_t>(cp));
    uint32_t above = cp - 0x10000;
    return {static_cast<wchar_t>(0xD800 | above >> 10), static_cast<wchar_t>(0xDC00 | (above & 0x3FF))};
}

std::string EncodeAnsi(uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return "?";
    unsigned codePage = GetACP();
    std::wstring units = Units(cp);
    if (codePage == 932) {
        for (const JisCharacter& jis : kJisCharacters) {
            if (jis.cp == cp) units = Wide(jis.bytes, codePage, MB_ERR_INVALID_CHARS);
        }
    }
    std::string bytes = Narrow(units, codePage);
    if (bytes.empty() || Wide(bytes, codePage, MB_ERR_INVALID_CHARS) != units) return "?";
    return bytes;
}

int AnsiCharLength(const char* text) {
    return IsDBCSLeadByteEx(GetACP(), static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
}

std::string AnsiFromUtf8(const std::string& text) {
    std::wstring wide = Wide(text, CP_UTF8, 0);
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t cp = static_cast<uint16_t>(wide[i]);
        bool pair =
            cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(wide[++i]) - 0xDC00);
        out += EncodeAnsi(cp);
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
    bool lone = !text.empty() && last == text.size() - 1 && IsDBCSLeadByteEx(GetACP(), static_cast<BYTE>(text[last]));
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
    static const ModelPlatform kWindows = {true,         '\\',        EncodeAnsi,          AnsiCharLength,
                                           AnsiFromUtf8, AsTheyStand, WithoutLoneLeadByte, NamesDevice};
    return kWindows;
}
