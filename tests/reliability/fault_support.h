// What the drop fault tests share on every platform: a drop through the
// recording site, and paths of a given length.
#ifndef QUILLON_TESTS_RELIABILITY_FAULT_SUPPORT_H
#define QUILLON_TESTS_RELIABILITY_FAULT_SUPPORT_H

#include <string.h>

#include <string>
#include <vector>

#include "core/drop_batch.h"
#include "reliability/drop_model.h"
#include "reliability/recording_drop_site.h"
#include "support/id3_bytes.h"

const Settings kTitleOnly = {NAME_TITLE, PRIMARY_V2, LOG_HIDE, 0};

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
