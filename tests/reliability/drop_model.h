// An independent model of what one drop must do, written from the program's
// rules rather than from its code: what the reader finds in a file's bytes,
// which name the planner gives it, and how the folder looks afterwards.
#ifndef QUILLON_TESTS_RELIABILITY_DROP_MODEL_H
#define QUILLON_TESTS_RELIABILITY_DROP_MODEL_H

#include <string>
#include <vector>

#include "core/records.h"
#include "reliability/reliability_support.h"

struct ModelTags {
    bool recognized = false;
    bool hasV1 = false;
    bool hasV2 = false;
    std::string v1Title, v1Artist, v2Title, v2Artist;
};

// The tags the rules find in a file of these bytes (it was opened).
ModelTags ModelReadTags(const std::string& bytes);

// The text the rules take from one frame's bytes after its encoding byte.
std::string ModelFrameText(int encoding, const unsigned char* bytes, int count);

struct ModelOutcome {
    int code;
    std::string newPath;  // set for RESULT_OK
};

// The outcome of dropping `path` on a folder tree that holds `state` (as a
// snapshot), and the tree afterwards: `state` is updated in place.
ModelOutcome ModelDropOne(const std::string& path, Settings settings, Snapshot* state);

#endif
