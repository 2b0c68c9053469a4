// Random but plausible dropped files and drops: tags in every encoding, near
// misses of the signatures, leading zeros, short files, titles that collide,
// names already taken, forbidden characters, names too long, folders, missing
// and over-long paths. Everything comes from one seeded generator, so a seed
// and a drop number reproduce a case.
#ifndef QUILLON_TESTS_RELIABILITY_FILE_GENERATOR_H
#define QUILLON_TESTS_RELIABILITY_FILE_GENERATOR_H

#include <stdint.h>

#include <random>
#include <string>
#include <vector>

#include "core/records.h"

class CaseGenerator {
  public:
    explicit CaseGenerator(uint64_t seed) : random_(seed) {}

    // The bytes of one file.
    std::string FileBytes();
    // A file name (no folder part) that may or may not end in .mp3.
    std::string FileName();
    // A name the planner may well produce for some file, so that it is taken.
    std::string TakenName();
    // Settings within each field's choices.
    Settings RandomSettings();

    int Below(int n) {
        return static_cast<int>(random_() % static_cast<uint64_t>(n));
    }
    bool Chance(int percent) {
        return Below(100) < percent;
    }

  private:
    std::string Title();
    std::string Artist();
    std::string Encode(const std::string& utf8, int encoding);
    std::string TextFrameBytes(const char* id);
    std::string Id3v2Tag();
    std::string Id3v1Tag();
    std::string V1Field(const std::string& utf8);
    std::string RandomBytes(int count);

    std::mt19937_64 random_;
};

#endif
