// Fuzz target: the whole-tag frame walk (ReadId3v2Texts) over arbitrary tag
// bytes: header, extended header, unsynchronisation, the two readings of 2.4
// sizes, frame flags, compressed data. Input byte 0 says how many of the tag's
// bytes the first read brought (14 and up); the tag is the rest of the input.
// It is walked twice: held in memory whole, and from that first read and a
// file of the same bytes, read in blocks where the walk goes; both must give
// the same texts. Four inputs in five get "ID3" and a version of 2 to 4 written
// over their first four bytes, so that most of them reach the frames.
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "core/file_io.h"
#include "core/frame_text.h"
#include "core/id3v2_frames.h"
#include "core/records.h"
#include "fuzz_check.h"

namespace {

enum { SENTINEL = 0xA5, LEAST_HEAD = 14 };

std::string gFolder;
std::string gPath;
int gFile = -1;

void RemoveFolder() {
    if (gFile >= 0) close(gFile);
    unlink(gPath.c_str());
    rmdir(gFolder.c_str());
}

void CheckText(const char* text) {
    size_t length = BoundedLength(text, FRAME_TEXT_MAX + 1);
    FUZZ_CHECK(length <= FRAME_TEXT_MAX);
    FUZZ_CHECK(WellFormedUtf8(reinterpret_cast<const unsigned char*>(text), length));
    for (size_t k = FRAME_TEXT_MAX + 1; k < TEXT_BUFFER; ++k) {
        FUZZ_CHECK(static_cast<unsigned char>(text[k]) == SENTINEL);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/fuzz_frame_walk.XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) abort();
    gFolder = pattern;
    gPath = gFolder + "/tag.mp3";
    gFile = open(gPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (gFile < 0) abort();
    atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t count = size - 1;
    // An exact copy on the heap, so that a read past the bytes given is caught
    // (new[] of zero bytes still gives a pointer that ASan guards).
    std::unique_ptr<unsigned char[]> tag(new unsigned char[count]);
    if (count > 0) memcpy(tag.get(), data + 1, count);
    if (count >= 10 && data[0] % 5 != 0) {
        memcpy(tag.get(), "ID3", 3);
        tag[3] = static_cast<unsigned char>(2 + data[4] % 3);
    }
    char title[TEXT_BUFFER], artist[TEXT_BUFFER];
    memset(title, SENTINEL, sizeof title);
    memset(artist, SENTINEL, sizeof artist);
    ReadId3v2Texts(tag.get(), static_cast<int>(count), nullptr, 0, title, artist);
    CheckText(title);
    CheckText(artist);
    // Without a header of version 2 to 4 there is nothing to read.
    if (count < 10 || memcmp(tag.get(), "ID3", 3) != 0 || tag[3] < 2 || tag[3] > 4) {
        FUZZ_CHECK(title[0] == '\0' && artist[0] == '\0');
    }

    // Rewritten in place and cut to size: a file truncated to zero is flushed
    // to disk when it is next closed (ext4), which would slow the run tenfold.
    if (count > 0 && pwrite(gFile, tag.get(), count, 0) != static_cast<ssize_t>(count)) abort();
    if (ftruncate(gFile, static_cast<off_t>(count)) != 0) abort();
    InputFile file;
    if (!OpenForReading(gPath.c_str(), &file)) abort();
    size_t head = LEAST_HEAD + static_cast<size_t>(data[0]) * 8;
    char fileTitle[TEXT_BUFFER], fileArtist[TEXT_BUFFER];
    ReadId3v2Texts(tag.get(), static_cast<int>(head < count ? head : count), &file, 0, fileTitle, fileArtist);
    CloseFile(file);
    FUZZ_CHECK(strcmp(title, fileTitle) == 0);
    FUZZ_CHECK(strcmp(artist, fileArtist) == 0);
    return 0;
}
