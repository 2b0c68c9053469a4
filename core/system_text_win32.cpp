// Win32 back end of system_text.h: text is in the ANSI code page, which may
// be a double-byte one (932 on Japanese systems) or UTF-8 (65001).
#include <windows.h>

#include <string.h>

#include "records.h"
#include "system_text.h"
#include "system_text_win32.h"

namespace {

bool IsSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// JIS X 0208 and code page 932 give a few characters different code points;
// taggers on the Mac and JIS-based ones write the JIS form (a wave dash where
// the code page has a fullwidth tilde), which would otherwise be refused as
// a character the code page lacks. These are the same characters, not
// look-alikes.
uint32_t CodePage932Form(uint32_t cp) {
    static const uint32_t kJisTo932[][2] = {
        {0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D}, {0x2014, 0x2015},
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x00A6, 0xFFE4},
    };
    for (const auto& pair : kJisTo932) {
        if (pair[0] == cp) return pair[1];
    }
    return cp;
}

// The one character in `units` (a unit or a surrogate pair) in `codePage`,
// into `out` (4 bytes); 0 when the code page cannot hold it as it is. No best
// fit: a look-alike (a yen sign turned into a backslash, an é into an e)
// would name something other than what the text says. UTF-8 holds every
// character and takes neither the flag nor the default pointer.
int EncodeUnits(const wchar_t* units, int count, unsigned codePage, char* out) {
    bool utf8 = codePage == CP_UTF8;
    BOOL defaulted = FALSE;
    int n = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, count, out, 4, nullptr,
                                utf8 ? nullptr : &defaulted);
    return n > 0 && !defaulted ? n : 0;
}

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool StartsWith(const wchar_t* text, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++text) {
        if (UpperAscii(*text) != static_cast<wchar_t>(*prefix)) return false;
    }
    return true;
}

}  // namespace

int EncodeCodePageChar(uint32_t cp, unsigned codePage, char* out) {
    if (cp == 0 || cp > 0x10FFFF || IsSurrogate(cp)) {
        out[0] = '?';
        return 1;
    }
    if (codePage == 932) cp = CodePage932Form(cp);
    wchar_t units[2];
    int count = 1;
    if (cp >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(cp);
    }
    int n = EncodeUnits(units, count, codePage, out);
    if (n == 0) {
        out[0] = '?';
        return 1;
    }
    return n;
}

int EncodeSystemChar(uint32_t cp, char* out) {
    return EncodeCodePageChar(cp, GetACP(), out);
}

unsigned SystemPathFromWide(const wchar_t* wide, unsigned codePage, char* path, unsigned size, bool* held) {
    // Character by character, so that the whole length is known however
    // little of it fits; a path names a file by its exact characters, so
    // nothing is mapped here.
    *held = true;
    unsigned length = 0, written = 0;
    bool full = false;
    for (size_t i = 0; wide[i] != 0;) {
        int count = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF ? 2 : 1;
        char bytes[4];
        int n = count == 1 && IsSurrogate(wide[i]) ? 0 : EncodeUnits(wide + i, count, codePage, bytes);
        if (n == 0) {
            bytes[0] = '?';
            n = 1;
            *held = false;
        }
        full = full || written + static_cast<unsigned>(n) > size - 1;
        if (!full) {
            memcpy(path + written, bytes, static_cast<size_t>(n));
            written += static_cast<unsigned>(n);
        }
        length += static_cast<unsigned>(n);
        i += static_cast<size_t>(count);
    }
    path[written] = '\0';
    return length;
}

int CodePageBlankLength(const char* text, unsigned codePage) {
    if (text[0] == ' ') return 1;
    // The ideographic space is 0x81 0x40 in code page 932 and other bytes in
    // the other East Asian code pages; the single-byte ones lack it.
    const wchar_t ideographic = 0x3000;
    char bytes[4];
    int n = EncodeUnits(&ideographic, 1, codePage, bytes);
    return n > 0 && strncmp(text, bytes, static_cast<size_t>(n)) == 0 ? n : 0;
}

int BlankLength(const char* text) {
    return CodePageBlankLength(text, GetACP());
}

int CodePageNameIsDevice(const char* name, unsigned codePage) {
    // The name as the file system reads it, in Unicode.
    wchar_t wide[TEXT_BUFFER];
    if (MultiByteToWideChar(codePage, 0, name, -1, wide, TEXT_BUFFER) <= 0) return 0;
    // What counts is the part before the first dot, trailing blanks removed:
    // "nul.txt" and "Con  ." are devices as well.
    int end = 0;
    while (wide[end] != 0 && wide[end] != L'.') ++end;
    while (end > 0 && wide[end - 1] == L' ') --end;
    if (end == 3) {
        return StartsWith(wide, "CON") || StartsWith(wide, "PRN") || StartsWith(wide, "AUX") || StartsWith(wide, "NUL");
    }
    if (end == 4 && (StartsWith(wide, "COM") || StartsWith(wide, "LPT"))) {
        // Superscript one, two and three count as digits too; code page 932
        // has none of them, 1252 has all three.
        wchar_t digit = wide[3];
        return (digit >= L'1' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
    }
    return 0;
}

int NameIsDevice(const char* name) {
    return CodePageNameIsDevice(name, GetACP());
}

int WholeCharsLength(const char* text) {
    int length = 0;
    while (text[length] != '\0') {
        int n = CharLength(text + length);
        // A lead byte only stands alone at the end.
        if (n == 1 && IsDBCSLeadByte(static_cast<BYTE>(text[length]))) break;
        length += n;
    }
    return length;
}

int RawTagText(const unsigned char* bytes, int count, bool fixedWidth, char* text, int limit) {
    (void)fixedWidth;
    // The ANSI code page is what the tag's bytes were most likely written in:
    // they are kept as they are.
    int used = 0;
    while (used < count && used < limit && bytes[used] != 0) {
        text[used] = static_cast<char>(bytes[used]);
        ++used;
    }
    text[used] = '\0';
    return used;
}

int CharLength(const char* text) {
    if (text[0] == '\0') return 0;
    if (IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] != '\0') return 2;
    return 1;
}

char PathSeparator() {
    return '\\';
}

int AsciiStandsAlone() {
    return 0;
}
