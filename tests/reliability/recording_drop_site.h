// A drop site for the native tests that records what the batch does: the
// dropped paths come from a list, and every operation the batch performs is
// appended to a list of events.
#ifndef QUILLON_TESTS_RELIABILITY_RECORDING_DROP_SITE_H
#define QUILLON_TESTS_RELIABILITY_RECORDING_DROP_SITE_H

#include <functional>
#include <string>
#include <vector>

#include "core/drop_batch.h"

// The drop batch's surroundings, recorded: the dropped paths come from
// `paths`, and every operation the batch performs is appended to `events` as
// "draw 0", "draw 1", "clear", "line <text>", "release" or "ready".
struct DropSite {
    std::vector<std::string> paths;
    std::vector<std::string> events;
    // Called with the index just before the batch fetches that path.
    std::function<void(unsigned)> beforePath;
};

// The events of a drop whose files had the given results, in order.
std::vector<std::string> ExpectedEvents(const std::vector<std::string>& paths, const std::vector<int>& codes);

#endif
