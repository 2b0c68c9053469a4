// The ID3v2 tag header, the extended header behind it, and the integers and
// frame ids that the tag spells: what the whole-tag reading needs to know
// before it walks the frames.
#ifndef QUILLON_CORE_ID3V2_HEADER_H
#define QUILLON_CORE_ID3V2_HEADER_H

#include <stdint.h>

enum {
    ID3V2_HEADER_SIZE = 10,
    ID3V2_FLAG_UNSYNC = 0x80,    // 2.2, 2.3: the whole tag; 2.4: every frame
    ID3V2_FLAG_EXTENDED = 0x40,  // 2.3, 2.4; in 2.2 the same bit says "compressed"
};

struct Id3v2TagHeader {
    int version;         // 2, 3 or 4
    int flags;           // the header's flag byte
    int64_t frames;      // bytes from the header's end to the first frame (the extended header)
    int64_t frameBytes;  // bytes of frames and padding: the declared size less the extended header
};

// Reads the header at the start of `bytes` (the tag from "ID3" on, `count`
// bytes of it; bytes past them count as zero). Returns 1 when the frames can
// be walked: version 2, 3 or 4, a size of four 7-bit bytes, no flag that the
// version leaves undefined, an extended header that fits its tag, and a 2.2
// tag that is not compressed (no scheme was ever defined for that).
int ParseId3v2Header(const unsigned char* bytes, int count, Id3v2TagHeader* header);

// The 28-bit value of four syncsafe bytes; the high bit of each is ignored.
uint32_t SyncsafeValue(const unsigned char* bytes);
uint32_t BigEndianValue(const unsigned char* bytes, int width);

// 1 when the four bytes are the id of a frame that ID3v2.3 or 2.4 defines, or
// one of the few that iTunes added.
int KnownFrameId(const unsigned char* id);

#endif
