// What the drop fault tests share on every platform: tagged files, a drop
// through the recording site, and paths of a given length.
#ifndef QUILLON_TESTS_RELIABILITY_FAULT_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_FAULT_SUPPORT_H

#include <string.h>

#include <string>
#include <vector>

#include "core/drop_batch.h"
#include "reliability/drop_model.h"
#include "reliability/recording_drop_site.h"

const Settings kTitleOnly = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

// An ID3v2.3 file whose TIT2 frame holds `title` and, when `artist` is not
// empty, whose TPE1 frame holds `artist` (each at most 126 bytes).
inline std::string TaggedFile(const std::string& title, const std::string& artist = "") {
    std::string bytes("ID3\3\0\0\0\0\0\0", 10);
    bytes += std::string("TIT2\0\0\0", 7) + static_cast<char>(title.size() + 1) + std::string("\0\0\0", 3) + title;
    if (!artist.empty()) {
        bytes +=
            std::string("TPE1\0\0\0", 7) + static_cast<char>(artist.size() + 1) + std::string("\0\0\0", 3) + artist;
    }
    bytes += std::string(64, '\0');
    bytes[8] = static_cast<char>((bytes.size() - 10) >> 7);  // the tag's syncsafe size
    bytes[9] = static_cast<char>((bytes.size() - 10) & 0x7F);
    return bytes;
}

// Runs the drop and returns the events; `site` may carry a beforePath hook.
inline std::vector<std::string> Drop(DropSite& site, Settings settings = kTitleOnly) {
    RunDropBatch(&site, &settings);
    return site.events;
}

// `folder`, the separator and `name`.
inline std::string Child(const std::string& folder, const std::string& name) {
    return folder + HostPlatform().separator + name;
}

// A path of exactly `length` bytes in `folder`: a name of 'p's and `extension`.
inline std::string PathOfLength(const std::string& folder, size_t length, const char* extension = ".mp3") {
    return Child(folder, std::string(length - folder.size() - 1 - strlen(extension), 'p') + extension);
}

#endif
