// POSIX back end of system_text.h: text is UTF-8 and scanned byte by byte;
// UTF-8 never uses a byte below 0x80 inside a multi-byte character.
#include "system_text.h"

#include <string.h>

#include "utf8.h"

namespace {

// Windows-1252 at 0x80 to 0x9F, where it differs from Latin-1; 0 where it
// defines no character.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Bytes at the start of `bytes` that form whole UTF-8 sequences.
int WholeUtf8(const unsigned char* bytes, int count, bool* multibyte) {
    int i = 0;
    *multibyte = false;
    while (i < count) {
        uint32_t cp;
        int n = Utf8Sequence(bytes + i, count - i, &cp);
        if (n == 0) break;
        if (n > 1) *multibyte = true;
        i += n;
    }
    return i;
}

// Whether `tail` is the start of a UTF-8 sequence that the end of the bytes cut.
bool CutSequence(const unsigned char* tail, int count) {
    int need = tail[0] >= 0xC2 && tail[0] <= 0xDF   ? 2
               : tail[0] >= 0xE0 && tail[0] <= 0xEF ? 3
               : tail[0] >= 0xF0 && tail[0] <= 0xF4 ? 4
                                                    : 0;
    if (count >= need) return false;
    for (int k = 1; k < count; ++k) {
        if ((tail[k] & 0xC0) != 0x80) return false;
    }
    return true;
}

}  // namespace

int RawTagText(const unsigned char* bytes, int count, bool fixedWidth, char* text, int limit) {
    int length = 0;
    while (length < count && bytes[length] != 0 && bytes[length] < 0x80) ++length;
    // Plain ASCII, as nearly every tag is: the bytes themselves.
    if (length == count || bytes[length] == 0) {
        int used = length < limit ? length : limit;
        memcpy(text, bytes, static_cast<size_t>(used));
        text[used] = '\0';
        return used;
    }
    while (length < count && bytes[length] != 0) ++length;
    bool multibyte = false;
    int whole = WholeUtf8(bytes, length, &multibyte);
    // UTF-8 stays UTF-8; so does a text that fills its field and whose last
    // character the field cut: it then ends before that character.
    bool utf8 =
        whole == length || (fixedWidth && length == count && multibyte && CutSequence(bytes + whole, length - whole));
    int used = 0;
    if (utf8) {
        for (int i = 0; i < whole;) {
            uint32_t cp;
            int n = Utf8Sequence(bytes + i, whole - i, &cp);
            if (used + n > limit) break;
            memcpy(text + used, bytes + i, static_cast<size_t>(n));
            used += n;
            i += n;
        }
    } else {
        for (int i = 0; i < length; ++i) {
            unsigned char b = bytes[i];
            uint32_t cp = b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : b;
            char encoded[4];
            // An undefined byte is '?': refused as a name, never guessed at.
            int n = cp == 0 ? (encoded[0] = '?', 1) : EncodeSystemChar(cp, encoded);
            if (used + n > limit) break;
            memcpy(text + used, encoded, static_cast<size_t>(n));
            used += n;
        }
    }
    text[used] = '\0';
    return used;
}

int EncodeSystemChar(uint32_t cp, char* out) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out[0] = '?';
        return 1;
    }
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

int CharLength(const char* text) {
    return text[0] == '\0' ? 0 : 1;
}

char PathSeparator() {
    return '/';
}

int AsciiStandsAlone() {
    return 1;
}

int WholeCharsLength(const char* text) {
    return static_cast<int>(strlen(text));
}

int BlankLength(const char* text) {
    if (text[0] == ' ') return 1;
    return strncmp(text, "\xE3\x80\x80", 3) == 0 ? 3 : 0;  // U+3000
}

int NameIsDevice(const char* name) {
    (void)name;
    return 0;
}
