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

#endif
