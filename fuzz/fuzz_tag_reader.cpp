// Fuzz target: both readings of a file (the Windows program's and the Linux
// programs' whole tag) over arbitrary file contents, and FindTextFrame over
// arbitrary windows. Input byte 0 picks a run of leading zero bytes (most
// values none, a few values the lengths around the readers' block edges); the
// file is that run followed by the rest of the input.
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/id3v2_frames.h"
#include "core/tag_reader.h"
#include "fuzz_check.h"

namespace {

// A v1 field is 30 bytes, at most 90 once read as Windows-1252 into UTF-8.
enum { SENTINEL = 0xA5, V1_FIELD = 30, V1_MAX = 90, V2_MAX = 126, WINDOW = 256, WINDOW_BUFFER = 1024 };
enum { FRAME_REACH = 135, HEAD = 3 + WINDOW + FRAME_REACH, LONGEST_RUN = 2 * 65536 + HEAD };

std::string gFolder;
std::string gPath;
int gFile = -1;

// The readers take their head in one read of 394 or 4096 bytes and skip longer
// zero runs in 64 KiB blocks; these lengths sit on either side of the edges.
const unsigned kZeroRuns[24] = {4093, 4094, 4095, 4096, 4097,  69631, 69632, 69633, 1,     2,     390,   391,
                                392,  393,  394,  395,  65535, 65536, 65928, 65929, 65930, 65931, 65932, LONGEST_RUN};

unsigned ZeroRun(uint8_t selector) {
    return selector >= 0xE8 ? kZeroRuns[selector - 0xE8] : 0;
}

void RemoveFolder() {
    if (gFile >= 0) close(gFile);
    unlink(gPath.c_str());
    rmdir(gFolder.c_str());
}

void FillSentinel(TagInfo* info) {
    memset(info, SENTINEL, sizeof *info);
}

bool KeepsSentinel(const void* field, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(field);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != SENTINEL) return false;
    }
    return true;
}

void CheckTextsUntouched(const TagInfo& info) {
    FUZZ_CHECK(KeepsSentinel(&info.hasId3v1, sizeof info.hasId3v1));
    FUZZ_CHECK(KeepsSentinel(&info.hasId3v2, sizeof info.hasId3v2));
    FUZZ_CHECK(KeepsSentinel(info.v1Title, sizeof info.v1Title));
    FUZZ_CHECK(KeepsSentinel(info.v1Artist, sizeof info.v1Artist));
    FUZZ_CHECK(KeepsSentinel(info.v2Title, sizeof info.v2Title));
    FUZZ_CHECK(KeepsSentinel(info.v2Artist, sizeof info.v2Artist));
}

// A file that cannot be opened writes fileOpened = 0 and nothing else.
void CheckOpenFailure(const char* path) {
    TagInfo info;
    FillSentinel(&info);
    FUZZ_CHECK(ReadTags(path, info) == 0);
    FUZZ_CHECK(info.fileOpened == 0);
    FUZZ_CHECK(KeepsSentinel(&info.formatRecognized, sizeof info.formatRecognized));
    CheckTextsUntouched(info);
}

// The file's bytes as the rules see them: `run` zeros, then `rest`.
struct FileImage {
    unsigned run;
    const uint8_t* rest;
    size_t restSize;

    size_t Size() const {
        return run + restSize;
    }
    uint8_t At(size_t offset) const {
        if (offset < run || offset >= Size()) return 0;
        return rest[offset - run];
    }
};

// Offset of the first non-zero byte, or -1 when there is none.
long SignatureOffset(const FileImage& file) {
    for (size_t i = 0; i < file.restSize; ++i) {
        if (file.rest[i] != 0) return static_cast<long>(file.run + i);
    }
    return -1;
}

// The ID3v1 field's bytes: trailing spaces dropped, cut at its first zero.
std::string V1Field(const FileImage& file, size_t offset) {
    char field[V1_FIELD + 1] = {};
    for (int k = 0; k < V1_FIELD; ++k) field[k] = static_cast<char>(file.At(offset + static_cast<size_t>(k)));
    for (int k = V1_FIELD - 1; k >= 0 && field[k] == ' '; --k) field[k] = '\0';
    return std::string(field);
}

bool Ascii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// What a v1 field becomes on Linux: well-formed UTF-8 in every case, and the
// field's own bytes when they are plain ASCII.
void CheckV1Text(const std::string& field, const char* text) {
    FUZZ_CHECK(WellFormedUtf8(reinterpret_cast<const unsigned char*>(text), strlen(text)));
    if (Ascii(field)) FUZZ_CHECK(field == text);
}

void CheckText(const char* text, size_t limit) {
    size_t length = BoundedLength(text, TEXT_BUFFER);
    FUZZ_CHECK(length < TEXT_BUFFER);
    FUZZ_CHECK(length <= limit);
}

// A Layer III frame header of MPEG-1, 2 or 2.5, which the whole-tag reading
// also takes for a signature.
bool Layer3(const uint8_t* sig) {
    return sig[0] == 0xFF && (sig[1] & 0xE0) == 0xE0 && (sig[1] >> 3 & 3) != 1 && (sig[1] >> 1 & 3) == 1 &&
           (sig[2] >> 4) != 15 && (sig[2] >> 2 & 3) != 3;
}

// The whole-tag reading's texts: UTF-8, and what the same tag gives when it
// is read from memory at once instead of from the file in blocks.
void CheckWholeTag(const FileImage& file, long start, const TagInfo& info) {
    std::vector<unsigned char> tag(file.Size() - static_cast<size_t>(start));
    for (size_t k = 0; k < tag.size(); ++k) tag[k] = file.At(static_cast<size_t>(start) + k);
    char title[TEXT_BUFFER], artist[TEXT_BUFFER];
    ReadId3v2Texts(tag.data(), static_cast<int>(tag.size()), nullptr, 0, title, artist);
    FUZZ_CHECK(strcmp(title, info.v2Title) == 0);
    FUZZ_CHECK(strcmp(artist, info.v2Artist) == 0);
    for (const char* text : {info.v2Title, info.v2Artist}) {
        FUZZ_CHECK(WellFormedUtf8(reinterpret_cast<const unsigned char*>(text), strlen(text)));
    }
}

void CheckReadTags(const FileImage& file, bool whole) {
    TagInfo info;
    FillSentinel(&info);
    FileIdentity identity;
    int result =
        whole ? ReadTagsWhole(gPath.c_str(), info, &identity) : ReadTagsInWindow(gPath.c_str(), info, &identity);
    FUZZ_CHECK(info.fileOpened == 1);

    long start = SignatureOffset(file);
    uint8_t sig[3] = {0, 0, 0};
    if (start >= 0) {
        for (int k = 0; k < 3; ++k) sig[k] = file.At(static_cast<size_t>(start) + static_cast<size_t>(k));
    }
    bool id3 = sig[0] == 'I' && sig[1] == 'D' && sig[2] == '3';
    bool accepted = start >= 0 && (id3 || (sig[0] == 0xFF && sig[1] == 0xFB) ||
                                   (sig[0] == 'R' && sig[1] == 'I' && sig[2] == 'F') || (whole && Layer3(sig)));
    if (!accepted) {
        FUZZ_CHECK(result == 0);
        FUZZ_CHECK(info.formatRecognized == 0);
        CheckTextsUntouched(info);
        return;
    }
    FUZZ_CHECK(result == 1);
    FUZZ_CHECK(info.formatRecognized == 1);
    FUZZ_CHECK(info.hasId3v2 == (id3 ? 1 : 0));
    CheckText(info.v1Title, V1_MAX);
    CheckText(info.v1Artist, V1_MAX);
    CheckText(info.v2Title, V2_MAX);
    CheckText(info.v2Artist, V2_MAX);

    size_t size = file.Size();
    bool v1 = size >= 128 && file.At(size - 128) == 'T' && file.At(size - 127) == 'A' && file.At(size - 126) == 'G';
    FUZZ_CHECK(info.hasId3v1 == (v1 ? 1 : 0));
    if (v1) {
        CheckV1Text(V1Field(file, size - 125), info.v1Title);
        CheckV1Text(V1Field(file, size - 95), info.v1Artist);
    } else {
        FUZZ_CHECK(info.v1Title[0] == '\0' && info.v1Artist[0] == '\0');
    }

    if (!id3) {
        FUZZ_CHECK(info.v2Title[0] == '\0' && info.v2Artist[0] == '\0');
        return;
    }
    if (whole) return CheckWholeTag(file, start, info);
    // The window is the 256 bytes after "ID3" and the 135 a match near its end
    // reaches, zero past the end of the file and past that reach.
    std::vector<unsigned char> window(WINDOW_BUFFER, 0);
    for (size_t k = 0; k < WINDOW + FRAME_REACH; ++k) window[k] = file.At(static_cast<size_t>(start) + 3 + k);
    char text[TEXT_BUFFER];
    FindTextFrame(window.data(), WINDOW, "TIT2", text);
    FUZZ_CHECK(strcmp(text, info.v2Title) == 0);
    FindTextFrame(window.data(), WINDOW, "TPE1", text);
    FUZZ_CHECK(strcmp(text, info.v2Artist) == 0);
}

// FindTextFrame over `window` (which must reach FRAME_REACH bytes past
// `length`): at most 127 bytes written, NUL-terminated, at most 126 of text.
std::string CheckFindTextFrame(const unsigned char* window, int length, const char* id) {
    char text[TEXT_BUFFER];
    memset(text, SENTINEL, sizeof text);
    FindTextFrame(window, length, id, text);
    size_t written = BoundedLength(text, V2_MAX + 1);
    FUZZ_CHECK(written <= V2_MAX);
    FUZZ_CHECK(KeepsSentinel(text + V2_MAX + 1, sizeof text - V2_MAX - 1));
    return std::string(text);
}

// Heap copies sized exactly, so that a read past the promised reach is caught.
void CheckWindows(const uint8_t* data, size_t size) {
    std::vector<unsigned char> padded(WINDOW_BUFFER, 0);
    memcpy(padded.data(), data, size < WINDOW_BUFFER ? size : WINDOW_BUFFER);
    std::vector<unsigned char> tight(padded.begin(), padded.begin() + WINDOW + FRAME_REACH);
    for (const char* id : {"TIT2", "TPE1"}) {
        std::string wide = CheckFindTextFrame(padded.data(), WINDOW, id);
        FUZZ_CHECK(wide == CheckFindTextFrame(tight.data(), WINDOW, id));
    }
    int length = size > 0 ? data[0] % (WINDOW + 1) : 0;
    std::vector<unsigned char> shorter(padded.begin(), padded.begin() + length + FRAME_REACH);
    CheckFindTextFrame(shorter.data(), length, "TIT2");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/fuzz_tag_reader.XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) abort();
    gFolder = pattern;
    gPath = gFolder + "/input.mp3";
    gFile = open(gPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (gFile < 0) abort();
    atexit(RemoveFolder);
    CheckOpenFailure(gFolder.c_str());
    CheckOpenFailure((gFolder + "/missing.mp3").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FileImage file = {0, data, 0};
    if (size > 0) {
        file.run = ZeroRun(data[0]);
        file.rest = data + 1;
        file.restSize = size - 1;
    }
    // Rewritten in place and cut to size, never truncated to zero first: on
    // ext4 a file truncated to zero is flushed to disk when it is next closed.
    static const uint8_t kZeros[LONGEST_RUN] = {};
    if (file.run > 0 && pwrite(gFile, kZeros, file.run, 0) != static_cast<ssize_t>(file.run)) abort();
    if (file.restSize > 0 && pwrite(gFile, file.rest, file.restSize, file.run) != static_cast<ssize_t>(file.restSize)) {
        abort();
    }
    if (ftruncate(gFile, static_cast<off_t>(file.Size())) != 0) abort();
    CheckReadTags(file, false);
    CheckReadTags(file, true);
    CheckWindows(data, size);
    return 0;
}
