// UTF-8 as tags and Linux file names carry it.
#ifndef QUILLON_CORE_UTF8_H
#define QUILLON_CORE_UTF8_H

#include <stdint.h>

// Length of the well-formed UTF-8 sequence at `p` (at most `left` bytes), with
// its code point in `cp`; 0 when the bytes are not a well-formed sequence
// (overlong forms and surrogates included).
int Utf8Sequence(const unsigned char* p, int left, uint32_t* cp);

#endif
