// The reliability helpers that do not depend on the platform.
#include "reliability/reliability_support.h"

const char kFolderMark[] = "<folder>";

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}
