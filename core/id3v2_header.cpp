// The ID3v2 tag header and extended header.
#include "id3v2_header.h"

#include <string.h>

namespace {

// The frame ids of ID3v2.3 and 2.4, and iTunes' GRP1, MVIN, MVNM, PCST, TCAT,
// TCMP, TDES, TGID, TKWD, TSO2, TSOC and WFED, in byte order.
const char kKnownIds[] =
    "AENCAPICASPICHAPCOMMCOMRCTOCENCREQU2ETCOGEOBGRIDGRP1IPLSLINKMCDIMLLTMVINMVNMOWNEPCNTPCSTPOPMPOSSPRIV"
    "RBUFRVA2RVADRVRBSEEKSIGNSYLTSYTCTALBTBPMTCATTCMPTCOMTCONTCOPTDATTDENTDESTDLYTDORTDRCTDRLTDTGTENCTEXT"
    "TFLTTGIDTIMETIPLTIT1TIT2TIT3TKEYTKWDTLANTLENTMCLTMEDTMOOTOALTOFNTOLYTOPETORYTOWNTPE1TPE2TPE3TPE4TPOS"
    "TPROTPUBTRCKTRDATRSNTRSOTSIZTSO2TSOATSOCTSOPTSOTTSRCTSSETSSTTXXXTYERUFIDUSERUSLTWCOMWCOPWFEDWOAFWOAR"
    "WOASWORSWPAYWPUBWXXX";

enum { EXTENDED_SIZE_BYTES = 4 };

bool SyncsafeBytes(const unsigned char* bytes) {
    return ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & 0x80) == 0;
}

// Flags that each version leaves undefined; a tag that sets one may be laid
// out in a way this reading does not know.
int UndefinedFlags(int version) {
    return version == 4 ? 0x0F : version == 3 ? 0x1F : 0;
}

}  // namespace

uint32_t SyncsafeValue(const unsigned char* bytes) {
    return uint32_t(bytes[0] & 0x7F) << 21 | uint32_t(bytes[1] & 0x7F) << 14 | uint32_t(bytes[2] & 0x7F) << 7 |
           uint32_t(bytes[3] & 0x7F);
}

uint32_t BigEndianValue(const unsigned char* bytes, int width) {
    uint32_t value = 0;
    for (int k = 0; k < width; ++k) value = value << 8 | bytes[k];
    return value;
}

int KnownFrameId(const unsigned char* id) {
    int low = 0, high = static_cast<int>(sizeof kKnownIds - 1) / 4;
    while (low < high) {
        int middle = (low + high) / 2;
        int order = memcmp(id, kKnownIds + 4 * middle, 4);
        if (order == 0) return 1;
        if (order < 0) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return 0;
}

int ParseId3v2Header(const unsigned char* bytes, int count, Id3v2TagHeader* header) {
    unsigned char head[ID3V2_HEADER_SIZE + EXTENDED_SIZE_BYTES] = {};
    memcpy(head, bytes, static_cast<size_t>(count < static_cast<int>(sizeof head) ? count : sizeof head));
    if (memcmp(head, "ID3", 3) != 0) return 0;
    header->version = head[3];
    header->flags = head[5];
    header->frames = 0;
    header->frameBytes = SyncsafeValue(head + 6);
    if (header->version < 2 || header->version > 4) return 0;
    if (!SyncsafeBytes(head + 6) || (header->flags & UndefinedFlags(header->version)) != 0) return 0;
    if (!(header->flags & ID3V2_FLAG_EXTENDED)) return 1;
    if (header->version == 2) return 0;
    const unsigned char* extended = head + ID3V2_HEADER_SIZE;
    // Some taggers set the flag and write no extended header: the frames
    // start right there, and no extended header's size spells a frame id.
    if (KnownFrameId(extended)) return 1;
    if (header->version == 4) {
        // 2.4 counts the size bytes in, and spells them syncsafe.
        if (!SyncsafeBytes(extended) || SyncsafeValue(extended) < EXTENDED_SIZE_BYTES) return 0;
        header->frames = SyncsafeValue(extended);
    } else {
        header->frames = int64_t(EXTENDED_SIZE_BYTES) + BigEndianValue(extended, 4);
    }
    if (header->frames > header->frameBytes) return 0;
    header->frameBytes -= header->frames;
    return 1;
}
