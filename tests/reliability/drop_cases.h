// Random drops for the model tests: a folder filled with the files of one
// drop, the drop's paths and settings, and the figures kept over many drops.
#ifndef QUILLON_TESTS_RELIABILITY_DROP_CASES_H
#define QUILLON_TESTS_RELIABILITY_DROP_CASES_H

#include <stdint.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/records.h"
#include "reliability/file_generator.h"
#include "support/test_files.h"

const uint64_t kDefaultSeed = 20261207;

// The number in environment variable `name`, or `fallback` when it is unset.
uint64_t EnvNumber(const char* name, uint64_t fallback);

struct DropCase {
    std::vector<std::string> paths;
    Settings settings;
};

// Fills `folder` with the files of one random drop and returns the drop: its
// files in random order, and now and then the subfolder, a missing path, a
// path twice or a file that holds a name someone wants.
DropCase MakeDrop(CaseGenerator& gen, const std::string& folder);

std::string DescribeDrop(const DropCase& drop);
// What differs between the expected and the actual folder, one line each.
std::string DescribeDifference(const Snapshot& expected, const Snapshot& actual);

struct Tally {
    unsigned drops = 0;
    unsigned files = 0;
    unsigned largest = 0;
    std::map<int, unsigned> codes;
};
void CountDrop(const DropCase& drop, const std::vector<int>& codes, Tally* tally);
// Prints the figures as one "[model]" line, which the reliability report reads.
void Report(const char* name, uint64_t seed, const Tally& tally);

// Makes QUILLON_WINDOW_DROPS random drops (300 by default) from QUILLON_MODEL_SEED,
// each in a fresh scratch folder named after `folderName`, and hands every
// drop that is not empty (no window is ever given an empty list) to `check`,
// which drops it on a real window and returns what differs from the model.
// Fails at the first difference; reports the figures as `name` and expects
// every result code among enough drops.
void CheckRandomWindowDrops(const char* name, const char* folderName,
                            const std::function<std::string(const DropCase&, const std::string&, Tally*)>& check);

#endif
