// Decoding of ID3v2 frame texts into system text.
#include "frame_text.h"

#include <string.h>

#include "system_text.h"
#include "utf8.h"

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
    if (count > FRAME_TEXT_INPUT_MAX) count = FRAME_TEXT_INPUT_MAX;
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
            // No Unicode encoding declared: the system's reading of such
            // bytes. No bytes may come with no buffer at all.
            out.used = count > 0 ? RawTagText(bytes, count, false, text, FRAME_TEXT_MAX) : 0;
            break;
    }
    text[out.used] = '\0';
}
