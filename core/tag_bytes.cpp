// The bytes of a tag's frames, from the first read and from blocks of the file.
#include "tag_bytes.h"

#include <string.h>

namespace {

int64_t Least(int64_t a, int64_t b) {
    return a < b ? a : b;
}

// Brings bytes of the frames at `at` (raw positions) into `to`, which has room
// for `room`: at least `missing` of them where there are so many, from the
// head where it holds them, else from the file. Returns the count.
int Take(TagBytes* b, int64_t at, unsigned char* to, int missing, int room) {
    room = static_cast<int>(Least(room, b->end - at));
    if (room <= 0) return 0;
    if (at < b->headCount) {
        int copied = static_cast<int>(Least(room, b->headCount - at));
        memcpy(to, b->head + at, static_cast<size_t>(copied));
        return copied;
    }
    if (b->file == nullptr || b->readBytes >= TAG_READ_LIMIT) return 0;
    // Reads that follow each other (past what a frame skipped at most) grow,
    // so that a walk through many small frames takes large blocks; a read at
    // a new place starts small, so that the frame behind a picture costs no
    // more than itself.
    bool follows = at >= b->lastRead && at - b->lastRead <= b->nextRead;
    b->nextRead = follows ? static_cast<int>(Least(2 * int64_t(b->nextRead), TAG_BLOCK)) : TAG_FIRST_BLOCK;
    int64_t size = Least(Least(missing > b->nextRead ? missing : b->nextRead, room), TAG_READ_LIMIT - b->readBytes);
    int got = ReadAt(*b->file, b->fileOffset + at, to, static_cast<int>(size));
    if (got < 0) got = 0;
    b->readBytes += got;
    b->lastRead = at + got;
    return got;
}

// Takes the next raw bytes of an unsynchronised tag into `to`, as Take does,
// and undoes the unsynchronisation in place. Returns the raw bytes taken (0 at
// the end) and leaves the count of undone bytes in `*out`.
int TakeUnsynced(TagBytes* b, unsigned char* to, int missing, int room, int* out) {
    int taken = Take(b, b->rawTaken, to, missing, room);
    b->rawTaken += taken;
    int n = 0;
    for (int k = 0; k < taken; ++k) {
        if (b->afterFF && to[k] == 0) {
            b->afterFF = false;
            continue;
        }
        b->afterFF = to[k] == 0xFF;
        to[n++] = to[k];
    }
    *out = n;
    return taken;
}

// The undone bytes come in order: those before `at` are passed over in whole
// blocks, those the view already holds are kept.
int FillUnsynced(TagBytes* b, int64_t at, int wanted) {
    int64_t produced = b->viewAt + b->viewCount;
    if (at < b->viewAt) return 0;
    int kept = 0;
    if (at < produced) {
        kept = static_cast<int>(produced - at);
        memmove(b->block, b->view + (at - b->viewAt), static_cast<size_t>(kept));
    }
    while (produced < at) {
        int n = 0;
        if (TakeUnsynced(b, b->block, TAG_BLOCK, TAG_BLOCK, &n) == 0) {
            b->viewAt = produced;
            b->viewCount = 0;
            return 0;
        }
        if (produced + n > at) {
            kept = static_cast<int>(produced + n - at);
            memmove(b->block, b->block + (at - produced), static_cast<size_t>(kept));
        }
        produced += n;
    }
    while (kept < wanted) {
        int n = 0;
        if (TakeUnsynced(b, b->block + kept, wanted - kept, TAG_BLOCK - kept, &n) == 0) break;
        kept += n;
    }
    b->view = b->block;
    b->viewAt = at;
    b->viewCount = kept;
    return kept < wanted ? kept : wanted;
}

int FillRaw(TagBytes* b, int64_t at, int wanted) {
    int kept = 0;
    if (at >= b->viewAt && at < b->viewAt + b->viewCount) {
        kept = static_cast<int>(b->viewAt + b->viewCount - at);
        memmove(b->block, b->view + (at - b->viewAt), static_cast<size_t>(kept));
    }
    while (kept < wanted) {
        int got = Take(b, at + kept, b->block + kept, wanted - kept, TAG_BLOCK - kept);
        if (got == 0) break;
        kept += got;
    }
    b->view = b->block;
    b->viewAt = at;
    b->viewCount = kept;
    return kept < wanted ? kept : wanted;
}

}  // namespace

void StartTagBytes(TagBytes* b, const unsigned char* head, int headCount, const InputFile* file, int64_t fileOffset,
                   int64_t end, bool unsync) {
    b->head = head;
    b->headCount = headCount > 0 ? headCount : 0;
    b->file = file;
    b->fileOffset = fileOffset;
    b->end = end > 0 ? end : 0;
    b->unsync = unsync;
    b->view = b->block;
    b->viewAt = 0;
    b->viewCount = 0;
    b->readBytes = 0;
    b->lastRead = b->headCount;
    b->nextRead = TAG_FIRST_BLOCK;
    b->rawTaken = 0;
    b->afterFF = false;
}

int TagBytesAt(TagBytes* b, int64_t at, int need, const unsigned char** out) {
    *out = b->block;
    if (at < 0 || need <= 0 || at >= b->end) return 0;
    int wanted = static_cast<int>(Least(Least(need, TAG_BLOCK), b->end - at));
    if (at >= b->viewAt && at + wanted <= b->viewAt + b->viewCount) {
        *out = b->view + (at - b->viewAt);
        return wanted;
    }
    if (!b->unsync && at + wanted <= b->headCount) {
        b->view = b->head;
        b->viewAt = 0;
        b->viewCount = static_cast<int>(Least(b->headCount, b->end));
        *out = b->head + at;
        return wanted;
    }
    int got = b->unsync ? FillUnsynced(b, at, wanted) : FillRaw(b, at, wanted);
    *out = b->block;
    return got;
}
