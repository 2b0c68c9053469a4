// How the platform spells text: the system's byte encoding of a character, the
// length of a character in bytes, the path separator, and the names that stand
// for devices.
// system_text_posix.cpp (UTF-8) and system_text_win32.cpp (ANSI code page)
// implement it; the build picks one.
#ifndef QUILLON_CORE_SYSTEM_TEXT_H
#define QUILLON_CORE_SYSTEM_TEXT_H

#include <stdint.h>

// Writes the system-text bytes of Unicode code point `cp` to `out` (room for
// at least 4 bytes) and returns their count. A character the system text
// cannot hold is written as '?', never approximated by a look-alike.
int EncodeSystemChar(uint32_t cp, char* out);

// The system text of tag bytes that declare no Unicode encoding (an ID3v1
// field, a frame with encoding byte 0): the `count` bytes up to the first zero
// among them, into `text` (room for `limit` + 1 bytes, NUL-terminated), cut at
// a whole character to at most `limit` bytes. `fixedWidth` says the bytes are a
// fixed-width field, which cuts the last character of a text too long for it.
// Returns the length written. Windows keeps the bytes as they are, in the
// ANSI code page the tagger most likely wrote; POSIX keeps valid UTF-8 and reads
// anything else as Windows-1252, what taggers write there, into UTF-8.
int RawTagText(const unsigned char* bytes, int count, bool fixedWidth, char* text, int limit);

// Bytes in the character that starts at `text`: 0 at the terminating NUL,
// 2 for a double-byte character whose trail byte is present, 1 otherwise.
int CharLength(const char* text);

// The byte that ends the directory part of a path.
char PathSeparator();

// 1 when a byte below 0x80 is always a character of its own, never the trail
// of a longer one (UTF-8), so that ASCII characters can be looked for byte by
// byte; 0 where a double-byte character may end in one (code page 932).
int AsciiStandsAlone();

// Bytes of `text` up to a lead byte that its end left without a trail byte
// (all of `text` where there is none). Put before other text, such a byte
// takes the next byte as its trail: the blank of " - ", the dot of ".mp3".
int WholeCharsLength(const char* text);

// Bytes of the blank that starts at `text`: 1 for the ASCII space, the
// ideographic space's length where the system text holds that character, 0
// for anything else (the NUL included). A tag text of nothing but blanks
// names nothing.
int BlankLength(const char* text);

// 1 when the file name `name` would name a device instead of a file (NUL,
// CON, COM1 with any extension, on Windows), 0 otherwise. A rename to a
// device can copy the file into it and delete the original.
int NameIsDevice(const char* name);

#endif
