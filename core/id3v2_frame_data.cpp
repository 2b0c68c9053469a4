// The data of one text frame, unpacked as its flags say.
#include "id3v2_frame_data.h"

#include <string.h>
#include <zlib.h>

#include "frame_text.h"

namespace {

enum {
    V23_COMPRESSED = 0x80,
    V23_ENCRYPTED = 0x40,
    V23_GROUPED = 0x20,
    V24_GROUPED = 0x40,
    V24_COMPRESSED = 0x08,
    V24_ENCRYPTED = 0x04,
    V24_UNSYNC = 0x02,
    V24_DATA_LENGTH = 0x01,
    TEXT_INPUT = 1 + FRAME_TEXT_INPUT_MAX,  // the encoding byte and what the text is decoded from
};

int UndoUnsync(const unsigned char* data, int count, unsigned char* out) {
    int n = 0;
    for (int k = 0; k < count; ++k) {
        if (k > 0 && data[k] == 0 && data[k - 1] == 0xFF) continue;
        out[n++] = data[k];
    }
    return n;
}

// Inflates zlib data into `out` until TEXT_INPUT bytes are there, which is
// all a text needs. -1 when the data is no zlib stream.
int Inflate(const unsigned char* data, int count, unsigned char* out) {
    z_stream z;
    memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK) return -1;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(count);
    z.next_out = out;
    z.avail_out = TEXT_INPUT;
    int status = inflate(&z, Z_FINISH);
    int produced = TEXT_INPUT - static_cast<int>(z.avail_out);
    inflateEnd(&z);
    // Z_BUF_ERROR: the output is full, or the data was cut where the frame
    // was no longer read; what came out until then stands.
    return status == Z_STREAM_END || status == Z_BUF_ERROR || status == Z_OK ? produced : -1;
}

}  // namespace

int TextFrameText(int version, int formatFlags, bool unsyncAll, const unsigned char* data, int count, char* text) {
    text[0] = '\0';
    int extra = 0;
    bool compressed = false, unsync = false;
    if (version == 3) {
        if (formatFlags & V23_ENCRYPTED) return 0;
        compressed = (formatFlags & V23_COMPRESSED) != 0;
        extra = (compressed ? 4 : 0) + (formatFlags & V23_GROUPED ? 1 : 0);
    } else if (version == 4) {
        if (formatFlags & V24_ENCRYPTED) return 0;
        compressed = (formatFlags & V24_COMPRESSED) != 0;
        unsync = unsyncAll || (formatFlags & V24_UNSYNC) != 0;
        // A compressed frame carries its length even when a tagger forgot to
        // say so.
        extra = (formatFlags & V24_GROUPED ? 1 : 0) + (compressed || (formatFlags & V24_DATA_LENGTH) ? 4 : 0);
    }
    if (count > FRAME_DATA_MAX) count = FRAME_DATA_MAX;
    if (count < extra) return 0;
    data += extra;
    count -= extra;
    unsigned char undone[FRAME_DATA_MAX];
    if (unsync) {
        count = UndoUnsync(data, count, undone);
        data = undone;
    }
    unsigned char inflated[TEXT_INPUT];
    if (compressed) {
        count = Inflate(data, count, inflated);
        data = inflated;
    }
    if (count < 1) return 0;
    DecodeFrameText(data[0], data + 1, count - 1, text);
    return 1;
}
