// UTF-8 sequences.
#include "utf8.h"

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
