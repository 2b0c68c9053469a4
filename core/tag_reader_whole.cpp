// The whole-tag reading of the Linux programs. The first read takes a few
// KiB at the signature, which hold most tags whole; a tag that goes on is
// read where its frames are, never its pictures, and the ID3v1 tag as ever.
#include <string.h>

#include "file_io.h"
#include "id3v2_frames.h"
#include "tag_head.h"
#include "tag_reader.h"

namespace {

enum { WHOLE_HEAD_SIZE = 4096 };
static_assert(static_cast<int>(WHOLE_HEAD_SIZE) <= static_cast<int>(TAG_HEAD_MAX),
              "the first read fits the shared head");

// 1 when the three bytes begin an MPEG audio Layer III frame header of MPEG-1,
// 2 or 2.5, with or without CRC: the sync bits, a version, layer III, a bit
// rate index other than 15 and a sample rate index other than 3. Layer I and
// II files are no MP3 files, and would be renamed to one.
int Layer3FrameHeader(const unsigned char* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return 0;
    int version = b[1] >> 3 & 3, layer = b[1] >> 1 & 3;
    int bitRate = b[2] >> 4, sampleRate = b[2] >> 2 & 3;
    return version != 1 && layer == 1 && bitRate != 15 && sampleRate != 3;
}

int AcceptedWhole(const unsigned char* head) {
    return SignatureAccepted(head) || Layer3FrameHeader(head);
}

void ReadId3v2Whole(const unsigned char* head, int count, InputFile* file, int64_t offset, TagInfo& info) {
    ReadId3v2Texts(head, count, file, offset, info.v2Title, info.v2Artist);
}

}  // namespace

int ReadTagsWhole(const char* path, TagInfo& info, FileIdentity* identity) {
    static const TagReading kWhole = {WHOLE_HEAD_SIZE, AcceptedWhole, ReadId3v2Whole};
    return ReadTagsAs(kWhole, path, info, identity);
}
