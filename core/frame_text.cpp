// Decoding of ID3v2 frame texts into system text.
#include "frame_text.h"

#include <string.h>

#include "system_text.h"

namespace {

enum { ENCODING_UTF16 = 1, ENCODING_UTF16BE = 2, ENCODING_UTF8 = 3, REPLACEMENT = '?' };

// Collects encoded characters and refuses the one that would not fit whole.
struct TextOut {
    char* text;
    int used;
    bool full;
};

void Put(TextOut* out, uint32_t cp) {
    if (out->full) return;
    char bytes[4];
    int n = EncodeSystemChar(cp, bytes);
    if (out->used + n > FRAME_TEXT_MAX) {
        out->full = true;
        return;
    }
    memcpy(out->text + out->used, bytes, static_cast<size_t>(n));
    out->used += n;
}

void DecodeUtf16(const unsigned char* bytes, int count, bool bigEndian, TextOut* out) {
    int units = count / 2;
    int i = 0;
    auto unit = [&](int k) -> uint32_t {
        const unsigned char* p = bytes + 2 * k;
        return bigEndian ? (uint32_t(p[0]) << 8 | p[1]) : (uint32_t(p[1]) << 8 | p[0]);
    };
    if (units > 0) {
        uint32_t first = unit(0);
        if (first == 0xFFFE) {  // a mark read the wrong way round: flip
            bigEndian = !bigEndian;
            i = 1;
        } else if (first == 0xFEFF) {
            i = 1;
        }
    }
    while (i < units && !out->full) {
        uint32_t u = unit(i++);
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i < units) {
            uint32_t low = unit(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++i;
                Put(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        Put(out, (u >= 0xD800 && u <= 0xDFFF) ? uint32_t(REPLACEMENT) : u);
    }
}

// Length of the well-formed UTF-8 sequence at `p` (at most `left` bytes), with
// its code point in `cp`; 0 when the bytes are not a well-formed sequence.
int Utf8Sequence(const unsigned char* p, int left, uint32_t* cp) {
    unsigned char b = p[0];
    int n;
    uint32_t value;
    uint32_t least;
    if (b < 0x80) {
        *cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2, value = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, value = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, value = b & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (n > left) return 0;
    for (int k = 1; k < n; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        value = value << 6 | (p[k] & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *cp = value;
    return n;
}

void DecodeUtf8(const unsigned char* bytes, int count, TextOut* out) {
    int i = 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) i = 3;
    while (i < count && bytes[i] != 0 && !out->full) {
        uint32_t cp = 0;
        int n = Utf8Sequence(bytes + i, count - i, &cp);
        if (n == 0) {
            Put(out, REPLACEMENT);
            ++i;
        } else {
            Put(out, cp);
            i += n;
        }
    }
}

}  // namespace

void DecodeFrameText(int encoding, const unsigned char* bytes, int count, char* text) {
    if (count < 0) count = 0;
    if (count > FRAME_TEXT_MAX) count = FRAME_TEXT_MAX;
    TextOut out = {text, 0, false};
    switch (encoding) {
        case ENCODING_UTF16:
            DecodeUtf16(bytes, count, false, &out);
            break;
        case ENCODING_UTF16BE:
            DecodeUtf16(bytes, count, true, &out);
            break;
        case ENCODING_UTF8:
            DecodeUtf8(bytes, count, &out);
            break;
        default:
            // Bytes in the system's own code page: copied as they stand; the
            // text ends at the first zero byte among them.
            // No bytes may come with no buffer at all, which memcpy must not see.
            if (count > 0) memcpy(text, bytes, static_cast<size_t>(count));
            out.used = count;
            break;
    }
    text[out.used] = '\0';
}
