// Turns the text of an ID3v2 text frame into the system's text.
#ifndef QUILLON_CORE_FRAME_TEXT_H
#define QUILLON_CORE_FRAME_TEXT_H

// Longest text a frame delivers: the Windows reading's size byte is at most
// 0x7F, and one byte of that counts the encoding; the whole-tag reading cuts
// a longer text there too.
enum { FRAME_TEXT_MAX = 126 };
// The most bytes a text is decoded from: in UTF-16, with its byte-order mark,
// they fill FRAME_TEXT_MAX bytes of text even when every character is ASCII.
enum { FRAME_TEXT_INPUT_MAX = 2 * FRAME_TEXT_MAX + 2 };

// `bytes` are the `count` bytes that follow the frame's encoding byte; only
// the first FRAME_TEXT_INPUT_MAX of them are read. Encodings 1 (UTF-16,
// byte-order mark optional, little-endian without one), 2 (UTF-16
// big-endian) and 3 (UTF-8) are decoded up to the first zero code unit and
// converted to system text, a character that cannot be decoded or held
// becoming '?'; the result is cut at a whole character to at most
// FRAME_TEXT_MAX bytes. Any other encoding byte takes the bytes as RawTagText
// does.
// `text` has room for FRAME_TEXT_MAX + 1 bytes and is always NUL-terminated.
void DecodeFrameText(int encoding, const unsigned char* bytes, int count, char* text);

#endif
