// The frame walk. Version 2.4 is walked twice at once, with syncsafe and with
// plain sizes, always the reading that stands further back first, so that the
// file is still read forward only; the two readings seldom part, and where
// they end with the same texts the one chosen does not matter.
#include "id3v2_frames.h"

#include <string.h>

#include "id3v2_frame_data.h"
#include "records.h"

namespace {

enum { TITLE = 1, ARTIST = 2 };

struct Cursor {
    int64_t at;  // the next frame header
    bool plainSizes;
    bool counting;   // counts known frame ids, to tell the two 2.4 readings apart
    bool searching;  // looks for the texts
    int known;
    int64_t overrun;  // where the counting ended, from the end of the frames
    bool hasTitle, hasArtist;
    char title[TEXT_BUFFER];
    char artist[TEXT_BUFFER];
};

struct FrameHeader {
    unsigned char id[4];
    int64_t size;
    int formatFlags;
};

bool AllZero(const unsigned char* bytes, int count) {
    for (int k = 0; k < count; ++k) {
        if (bytes[k] != 0) return false;
    }
    return true;
}

int HeaderSize(int version) {
    return version == 2 ? 6 : 10;
}

int IdSize(int version) {
    return version == 2 ? 3 : 4;
}

// Some taggers wrote 2.2 ids, a zero byte after them, into 2.3 and 2.4 tags.
int TextWanted(int version, const unsigned char* id) {
    if (version == 2 || id[3] == 0) {
        if (memcmp(id, "TT2", 3) == 0) return TITLE;
        if (memcmp(id, "TP1", 3) == 0) return ARTIST;
        return 0;
    }
    if (memcmp(id, "TIT2", 4) == 0) return TITLE;
    if (memcmp(id, "TPE1", 4) == 0) return ARTIST;
    return 0;
}

FrameHeader ReadFrameHeader(int version, bool plainSizes, const unsigned char* h) {
    FrameHeader f = {{0, 0, 0, 0}, 0, 0};
    memcpy(f.id, h, static_cast<size_t>(IdSize(version)));
    if (version == 2) {
        f.size = BigEndianValue(h + 3, 3);
    } else {
        f.size = version == 4 && !plainSizes ? SyncsafeValue(h + 4) : BigEndianValue(h + 4, 4);
        f.formatFlags = h[9];
    }
    return f;
}

void TakeText(TagBytes* bytes, const Id3v2TagHeader& tag, Cursor* c, const FrameHeader& f) {
    int which = TextWanted(tag.version, f.id);
    if (which == 0 || (which == TITLE ? c->hasTitle : c->hasArtist)) return;
    int want = f.size < FRAME_DATA_MAX ? static_cast<int>(f.size) : FRAME_DATA_MAX;
    const unsigned char* data;
    if (TagBytesAt(bytes, c->at + HeaderSize(tag.version), want, &data) < want) {
        c->searching = false;  // the file ends inside the frame
        return;
    }
    bool unsyncAll = tag.version == 4 && (tag.flags & ID3V2_FLAG_UNSYNC) != 0;
    char* text = which == TITLE ? c->title : c->artist;
    if (!TextFrameText(tag.version, f.formatFlags, unsyncAll, data, want, text)) return;
    (which == TITLE ? c->hasTitle : c->hasArtist) = true;
    if (c->hasTitle && c->hasArtist) c->searching = false;
}

// One frame. The counting follows mutagen's, which tells the two 2.4
// readings apart: ten zero bytes or the last ten bytes end it.
void Step(TagBytes* bytes, const Id3v2TagHeader& tag, Cursor* c) {
    const int headerSize = HeaderSize(tag.version);
    const int64_t end = tag.frameBytes;
    const unsigned char* h;
    bool whole = TagBytesAt(bytes, c->at, headerSize, &h) == headerSize;
    FrameHeader f = whole ? ReadFrameHeader(tag.version, c->plainSizes, h) : FrameHeader{{0, 0, 0, 0}, 0, 0};
    if (c->counting) {
        if (c->at >= end - headerSize) {
            c->counting = false;
            c->overrun = c->at - end;
        } else if (!whole || AllZero(h, headerSize)) {
            c->counting = false;
            c->overrun = -((end - c->at) % headerSize);
        } else {
            c->known += KnownFrameId(f.id);
        }
    }
    if (c->searching) {
        if (!whole || AllZero(f.id, IdSize(tag.version)) || c->at + headerSize + f.size > end) {
            c->searching = false;
        } else if (f.size > 0) {
            TakeText(bytes, tag, c, f);
        }
    }
    c->at += headerSize + f.size;
}

bool SameTexts(const Cursor& a, const Cursor& b) {
    return a.hasTitle == b.hasTitle && a.hasArtist == b.hasArtist && strcmp(a.title, b.title) == 0 &&
           strcmp(a.artist, b.artist) == 0;
}

// mutagen's choice: plain sizes when they meet more known frames, or as many
// while syncsafe ones run past the end and plain ones do not.
bool PlainSizesWin(const Cursor& syncsafe, const Cursor& plain) {
    return plain.known > syncsafe.known ||
           (plain.known == syncsafe.known && syncsafe.overrun >= 1 && plain.overrun <= 1);
}

}  // namespace

void FindTitleAndArtist(TagBytes* bytes, const Id3v2TagHeader& tag, char* title, char* artist) {
    Cursor cursors[2];
    const int count = tag.version == 4 ? 2 : 1;
    for (int k = 0; k < count; ++k) {
        Cursor& c = cursors[k];
        c.at = 0;
        c.plainSizes = k == 1;
        c.counting = count == 2;
        c.searching = true;
        c.known = 0;
        c.overrun = 0;
        c.hasTitle = c.hasArtist = false;
        c.title[0] = c.artist[0] = '\0';
    }
    for (;;) {
        if (count == 2 && !cursors[0].searching && !cursors[1].searching && SameTexts(cursors[0], cursors[1])) break;
        Cursor* next = nullptr;
        for (int k = 0; k < count; ++k) {
            Cursor& c = cursors[k];
            if ((c.counting || c.searching) && (next == nullptr || c.at < next->at)) next = &c;
        }
        if (next == nullptr) break;
        Step(bytes, tag, next);
    }
    const Cursor& chosen = count == 2 && PlainSizesWin(cursors[0], cursors[1]) ? cursors[1] : cursors[0];
    memcpy(title, chosen.title, strlen(chosen.title) + 1);
    memcpy(artist, chosen.artist, strlen(chosen.artist) + 1);
}

void ReadId3v2Texts(const unsigned char* tag, int count, const InputFile* file, int64_t tagOffset, char* title,
                    char* artist) {
    title[0] = artist[0] = '\0';
    Id3v2TagHeader header;
    if (!ParseId3v2Header(tag, count, &header)) return;
    const int64_t framesAt = ID3V2_HEADER_SIZE + header.frames;
    const bool inHead = framesAt < count;
    TagBytes bytes;
    StartTagBytes(&bytes, inHead ? tag + framesAt : tag, inHead ? static_cast<int>(count - framesAt) : 0, file,
                  tagOffset + framesAt, header.frameBytes,
                  header.version < 4 && (header.flags & ID3V2_FLAG_UNSYNC) != 0);
    FindTitleAndArtist(&bytes, header, title, artist);
}
