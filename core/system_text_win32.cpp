// Win32 back end of system_text.h: text is in the ANSI code page, which may
// be a double-byte one (932 on Japanese systems).
#include <windows.h>

#include "system_text.h"

int EncodeSystemChar(uint32_t cp, char* out) {
    wchar_t units[2];
    int count = 1;
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out[0] = '?';
        return 1;
    }
    if (cp >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(cp);
    }
    // No best fit: a look-alike (a yen sign turned into a backslash, say)
    // would name the file after something the tag does not say.
    BOOL defaulted = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, out, 4, nullptr, &defaulted);
    if (n <= 0 || defaulted) {
        out[0] = '?';
        return 1;
    }
    return n;
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
