// The tag reader: decides from a file's first non-zero bytes whether it is an
// MP3 file and collects title and artist from its ID3v2 and ID3v1 tags.
#ifndef QUILLON_CORE_TAG_READER_H
#define QUILLON_CORE_TAG_READER_H

#include "file_io.h"
#include "records.h"

// Fills `info` for the file at `path` and returns 1 when the file was opened
// and carries an accepted signature, 0 otherwise. What is written depends on
// the outcome: a failed open writes only fileOpened = 0; an opened file without
// accepted signature (an empty or all-zero file among them) writes fileOpened = 1
// and formatRecognized = 0; an accepted file writes all eight fields. The file
// is only ever read. Each system reads as its programs always have:
// ReadTagsInWindow on Windows, ReadTagsWhole elsewhere (tag_reader_win32.cpp,
// tag_reader_posix.cpp).
int ReadTags(const char* path, TagInfo& info);

// ReadTags, and the identity of the file as it was opened in `identity` (left
// as it was when the file could not be opened).
int ReadTagsIdentified(const char* path, TagInfo& info, FileIdentity* identity);

// The Windows program's reading: the signatures "ID3", 0xFF 0xFB and "RIF"
// after any leading zero bytes, and TIT2 and TPE1 as FindTextFrame finds them
// in the 256 bytes that follow "ID3".
int ReadTagsInWindow(const char* path, TagInfo& info, FileIdentity* identity);

// The Linux programs' reading (built where zlib is): those signatures and any
// MPEG-1, 2 or 2.5 Layer III frame header, and the first TIT2 and TPE1 of the
// whole ID3v2 tag (versions 2.2 to 2.4) as ReadId3v2Texts finds them.
int ReadTagsWhole(const char* path, TagInfo& info, FileIdentity* identity);

// Searches the `length` bytes of `window` for the text frame `id` ("TIT2" or
// "TPE1") and leaves its text in `text` (at most 127 bytes are written, always
// NUL-terminated, possibly empty). A match is the id followed by three zero
// size bytes; the last match in the window decides. The match test and the
// copy read up to window index length + 134, so the caller's window must be
// 135 bytes longer than `length` and hold defined bytes there.
void FindTextFrame(const unsigned char* window, int length, const char* id, char* text);

#endif
