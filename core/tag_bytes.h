// The bytes of an ID3v2 tag's frames as the frame walk asks for them: from the
// bytes the first read brought, and from the file in blocks at the place asked
// for, so that what the walk skips (a picture, a long comment) is never read.
// A tag unsynchronised as a whole (2.2, 2.3) is undone as it streams past.
#ifndef QUILLON_CORE_TAG_BYTES_H
#define QUILLON_CORE_TAG_BYTES_H

#include <stdint.h>

#include "file_io.h"

enum {
    TAG_BLOCK = 64 * 1024,     // the largest read, and the most the walk asks for at once
    TAG_FIRST_BLOCK = 4096,    // a read at a new place; reads that follow each other grow to TAG_BLOCK
    TAG_READ_LIMIT = 1 << 24,  // bytes read from one tag at most: a tag of tiny frames ends there
};

struct TagBytes {
    // Where the bytes come from: `head` holds the first `headCount` bytes of the
    // frames (as the file has them); the rest is read from `file` (none when
    // null) from offset `fileOffset` on. Only `end` bytes belong to the frames.
    const unsigned char* head;
    int headCount;
    const InputFile* file;
    int64_t fileOffset;
    int64_t end;
    bool unsync;
    // The bytes at hand: [viewAt, viewAt + viewCount) of the frames, at `view`.
    const unsigned char* view;
    int64_t viewAt;
    int viewCount;
    int64_t readBytes;  // read from the file so far
    int64_t lastRead;   // where the last read ended: a read that follows it closely grows
    int nextRead;
    // Unsynchronised tags: raw bytes taken so far, and whether the last was 0xFF.
    int64_t rawTaken;
    bool afterFF;
    unsigned char block[TAG_BLOCK];
};

// Starts `bytes` over the frames described above; `unsync` undoes a whole-tag
// unsynchronisation (0xFF 0x00 read as 0xFF). Positions are then counted in
// the undone bytes.
void StartTagBytes(TagBytes* bytes, const unsigned char* head, int headCount, const InputFile* file, int64_t fileOffset,
                   int64_t end, bool unsync);

// Makes the `need` bytes at `at` (at most TAG_BLOCK) available at `*out` and
// returns how many of them there are: fewer than `need` only where the frames,
// the file or the reading limit end first. An unsynchronised tag is read
// forward only: a place before the bytes at hand gives 0.
int TagBytesAt(TagBytes* bytes, int64_t at, int need, const unsigned char** out);

#endif
