// The tag reader's shared steps, and the Windows program's reading: a fixed,
// small amount at the start of a file (after any leading zero bytes) and 63
// bytes near its end, never the audio between.
#include "tag_reader.h"

#include <string.h>

#include "file_io.h"
#include "frame_text.h"
#include "system_text.h"
#include "tag_head.h"

namespace {

enum {
    WINDOW_SIZE = 256,  // ID3v2 bytes searched for frames
    // The match test and the copy reach past the window, up to index 390 (a
    // copy of 126 bytes from a match at 254): those bytes are the file's too,
    // so a title that starts near the window's end is taken whole.
    WINDOW_REACH = 391,
    WINDOW_BUFFER = 1024,
    WINDOW_HEAD_SIZE = SIGNATURE_SIZE + WINDOW_REACH,
    ZERO_BLOCK = 64 * 1024,  // leading zeros are skipped in blocks this big
    ZERO_RUN = 4096,         // and compared with zeros this many at a time
    V1_TAG_SIZE = 128,
    V1_READ = 3 + 30 + 30,  // "TAG", title, artist
    V1_FIELD = 30,
    V1_TEXT_MAX = 3 * V1_FIELD  // each byte of a field is at most three in UTF-8
};

// Number of zero bytes at the start of `bytes`. Whole runs go through memcmp,
// which the C library vectorizes: a byte loop alone scans a long silence four
// times slower than the file can be read.
int LeadingZeros(const unsigned char* bytes, int size) {
    static const unsigned char kZeros[ZERO_RUN] = {};
    int k = 0;
    while (size - k >= ZERO_RUN && memcmp(bytes + k, kZeros, ZERO_RUN) == 0) k += ZERO_RUN;
    while (k < size && bytes[k] == 0) ++k;
    return k;
}

// Once the signature's first byte is in hand, a read that fails is no reason
// to drop the file: what it did not deliver reads as zeros, as past the end of
// the file.
int CountRead(int got) {
    return got > 0 ? got : 0;
}

// Zeros the head past the `have` bytes read, and returns `have`. Only what
// was not read is cleared: a whole 4 KiB head costs nothing to clear.
int ZeroRest(unsigned char* head, int have, int size) {
    memset(head + have, 0, static_cast<size_t>(size - have));
    return have;
}

}  // namespace

int ReadHead(InputFile file, unsigned char* head, int size, int64_t* offset) {
    int got = ReadNext(file, head, size);
    if (got <= 0) return 0;
    int start = 0;
    while (start < got && head[start] == 0) ++start;
    *offset = start;
    if (start < got) {
        // Usual case: the signature is near the start and one read did it all.
        if (start == 0) return ZeroRest(head, got, size);
        int have = got - start;
        memmove(head, head + start, static_cast<size_t>(have));
        if (got < size) return ZeroRest(head, have, size);  // the file ended inside this read
        return ZeroRest(head, have + CountRead(ReadNext(file, head + have, size - have)), size);
    }
    if (got < size) return 0;  // nothing but zeros
    // A long run of zeros: skip it in large blocks, then read the head at the
    // first non-zero byte.
    unsigned char block[ZERO_BLOCK];
    int64_t at = got;
    for (;;) {
        // A hole in a sparse file is zeros that need no reading: a terabyte of
        // them would otherwise hold up the rest of the drop for most of an hour.
        at = SkipToData(file, at);
        if (at < 0) return 0;
        int n = ReadNext(file, block, ZERO_BLOCK);
        if (n <= 0) return 0;
        int k = LeadingZeros(block, n);
        if (k < n) {
            int have = n - k < size ? n - k : size;
            memcpy(head, block + k, static_cast<size_t>(have));
            *offset = at + k;
            if (have < size && n == ZERO_BLOCK) have += CountRead(ReadAt(file, at + n, head + have, size - have));
            return ZeroRest(head, have, size);
        }
        at += n;
    }
}

int SignatureAccepted(const unsigned char* sig) {
    if (sig[0] == 'I' && sig[1] == 'D' && sig[2] == '3') return 1;
    if (sig[0] == 0xFF && sig[1] == 0xFB) return 1;  // MPEG-1 Layer III, no CRC
    if (sig[0] == 'R' && sig[1] == 'I' && sig[2] == 'F') return 1;
    return 0;
}

namespace {

// Blanks the run of spaces that ends at the field's last byte.
void TrimTrailingSpaces(unsigned char* field, int size) {
    for (int k = size - 1; k >= 0 && field[k] == ' '; --k) field[k] = 0;
}

void CopyField(char* to, const unsigned char* field) {
    RawTagText(field, V1_FIELD, true, to, V1_TEXT_MAX);
}

}  // namespace

void ReadId3v1(InputFile file, TagInfo& info) {
    info.v1Title[0] = '\0';
    info.v1Artist[0] = '\0';
    info.hasId3v1 = 0;
    int64_t length = FileLength(file);
    if (length < V1_TAG_SIZE) return;
    unsigned char tag[V1_READ];
    memset(tag, 0, sizeof tag);
    if (ReadAt(file, length - V1_TAG_SIZE, tag, V1_READ) < 3) return;
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return;
    info.hasId3v1 = 1;
    unsigned char* title = tag + 3;
    unsigned char* artist = title + V1_FIELD;
    TrimTrailingSpaces(artist, V1_FIELD);
    CopyField(info.v1Artist, artist);
    TrimTrailingSpaces(title, V1_FIELD);
    CopyField(info.v1Title, title);
}

namespace {

void ReadId3v2(const unsigned char* head, TagInfo& info) {
    // Past what the file holds the window reads as zeros, so neither the match
    // test near its end nor a long copy sees anything undefined.
    unsigned char window[WINDOW_BUFFER];
    memset(window, 0, sizeof window);
    memcpy(window, head + SIGNATURE_SIZE, WINDOW_REACH);
    char text[TEXT_BUFFER];
    FindTextFrame(window, WINDOW_SIZE, "TIT2", text);
    strcpy(info.v2Title, text);
    FindTextFrame(window, WINDOW_SIZE, "TPE1", text);
    strcpy(info.v2Artist, text);
}

}  // namespace

void FindTextFrame(const unsigned char* window, int length, const char* id, char* text) {
    text[0] = '\0';
    int last = length - 1;
    // Only where the id's first letter is: a drop of ten thousand files would
    // otherwise compare every byte of every window twice over.
    for (int i = 0; i < last; ++i) {
        const void* first = memchr(window + i, id[0], static_cast<size_t>(last - i));
        if (first == nullptr) break;
        i = static_cast<int>(static_cast<const unsigned char*>(first) - window);
        if (memcmp(window + i, id, 4) != 0) continue;
        if (window[i + 4] != 0 || window[i + 5] != 0 || window[i + 6] != 0) continue;
        int count = static_cast<signed char>(window[i + 7]) - 1;
        text[0] = '\0';
        if (count > 0) DecodeFrameText(window[i + 10], window + i + 11, count, text);
    }
}

int ReadTags(const char* path, TagInfo& info) {
    FileIdentity identity;
    return ReadTagsIdentified(path, info, &identity);
}

int ReadTagsAs(const TagReading& reading, const char* path, TagInfo& info, FileIdentity* identity) {
    InputFile file;
    if (!OpenForReading(path, &file)) {
        info.fileOpened = 0;
        return 0;
    }
    *identity = file.identity;
    info.fileOpened = 1;
    unsigned char head[TAG_HEAD_MAX];
    int64_t offset = 0;
    int count = ReadHead(file, head, reading.headSize < TAG_HEAD_MAX ? reading.headSize : TAG_HEAD_MAX, &offset);
    if (count == 0 || !reading.accepted(head)) {
        info.formatRecognized = 0;
        CloseFile(file);
        return 0;
    }
    info.formatRecognized = 1;
    info.v2Title[0] = '\0';
    info.v2Artist[0] = '\0';
    info.hasId3v2 = memcmp(head, "ID3", SIGNATURE_SIZE) == 0;
    if (info.hasId3v2) reading.readId3v2(head, count, &file, offset, info);
    ReadId3v1(file, info);
    CloseFile(file);
    return 1;
}

namespace {

void ReadId3v2InWindow(const unsigned char* head, int, InputFile*, int64_t, TagInfo& info) {
    ReadId3v2(head, info);
}

}  // namespace

int ReadTagsInWindow(const char* path, TagInfo& info, FileIdentity* identity) {
    static const TagReading kWindow = {WINDOW_HEAD_SIZE, SignatureAccepted, ReadId3v2InWindow};
    return ReadTagsAs(kWindow, path, info, identity);
}
