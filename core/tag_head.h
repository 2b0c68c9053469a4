// What the two readings of a file share: the first read at its signature, the
// signatures the Windows program accepts, and the ID3v1 tag.
#ifndef QUILLON_CORE_TAG_HEAD_H
#define QUILLON_CORE_TAG_HEAD_H

#include <stdint.h>

#include "file_io.h"
#include "records.h"

enum { SIGNATURE_SIZE = 3 };

// Finds the first non-zero byte of the file and reads up to `size` bytes from
// it on into `head`, zero past what was read. Returns the count read, with the
// offset of that byte in `*offset`; 0 when the file holds no non-zero byte or a
// read fails before one is found. Once that byte is in hand, a read that fails
// only ends what was read.
int ReadHead(InputFile file, unsigned char* head, int size, int64_t* offset);

// "ID3", 0xFF 0xFB (MPEG-1 Layer III without CRC) and "RIF".
int SignatureAccepted(const unsigned char* signature);

// Fills hasId3v1, v1Title and v1Artist from the last 128 bytes of the file.
void ReadId3v1(InputFile file, TagInfo& info);

// What sets one reading apart from the other: how much its first read takes,
// which heads it accepts, and how it finds TIT2 and TPE1 once the head begins
// with "ID3" (`count` bytes of it read at `offset` of the open `file`).
struct TagReading {
    int headSize;  // at most TAG_HEAD_MAX
    int (*accepted)(const unsigned char* head);
    void (*readId3v2)(const unsigned char* head, int count, InputFile* file, int64_t offset, TagInfo& info);
};
enum { TAG_HEAD_MAX = 4096 };

// ReadTags through `reading`: the open, the first read, the signature, the
// ID3v2 texts as `reading` finds them, the ID3v1 tag and the close.
int ReadTagsAs(const TagReading& reading, const char* path, TagInfo& info, FileIdentity* identity);

#endif
