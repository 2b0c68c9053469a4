// What stands between a frame header and its text: the bytes that its flags
// add, per-frame unsynchronisation, compression and encryption.
#ifndef QUILLON_CORE_ID3V2_FRAME_DATA_H
#define QUILLON_CORE_ID3V2_FRAME_DATA_H

// The most bytes of one frame's data that its text is taken from: a text
// frame larger than this, compressed or not, has long filled a title.
enum { FRAME_DATA_MAX = 8192 };

// The text of the text frame whose data (the bytes after its header) starts
// with the `count` bytes at `data` (at most FRAME_DATA_MAX), in `text` (room
// for TEXT_BUFFER bytes), as DecodeFrameText gives it. `version` is the tag's
// (2, 3 or 4), `formatFlags` the frame's second flag byte, `unsyncAll` the 2.4
// tag header's unsynchronisation flag. Returns 0, with `text` empty, for a
// frame that gives no text: encrypted, compressed data that does not inflate,
// or no room for the encoding byte; such a frame counts as absent.
int TextFrameText(int version, int formatFlags, bool unsyncAll, const unsigned char* data, int count, char* text);

#endif
