// Invariant checks for the fuzz targets: a broken invariant prints what broke
// and aborts, which libFuzzer records as a finding together with the input.
#ifndef QUILLON_FUZZ_FUZZ_CHECK_H
#define QUILLON_FUZZ_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FUZZ_CHECK(condition)                                                                 \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                          \
        }                                                                                     \
    } while (0)

// Length of the NUL-terminated text in `buffer`, or `size` when no NUL lies
// within its `size` bytes.
inline size_t BoundedLength(const char* buffer, size_t size) {
    const void* nul = memchr(buffer, '\0', size);
    return nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : size;
}

// 1 when the `size` bytes at `text` are well-formed UTF-8 (no overlong forms,
// no surrogates, nothing above U+10FFFF).
inline int WellFormedUtf8(const unsigned char* text, size_t size) {
    size_t i = 0;
    while (i < size) {
        unsigned char b = text[i];
        size_t n;
        unsigned long cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            n = 2, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4, cp = b & 0x07;
        } else {
            return 0;
        }
        if (i + n > size) return 0;
        for (size_t k = 1; k < n; ++k) {
            if ((text[i + k] & 0xC0) != 0x80) return 0;
            cp = cp << 6 | (text[i + k] & 0x3F);
        }
        static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        i += n;
    }
    return 1;
}

#endif
