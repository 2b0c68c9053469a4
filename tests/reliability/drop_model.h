// An independent model of what one drop must do, written from the program's
// rules rather than from its code: what the reader finds in a file's bytes,
// which name the planner gives it, and how the folder looks afterwards.
#ifndef QUILLON_TESTS_RELIABILITY_DROP_MODEL_H
#define QUILLON_TESTS_RELIABILITY_DROP_MODEL_H

#include <stdint.h>

#include <string>
#include <vector>

#include "core/records.h"
#include "support/test_files.h"

// How the system spells text and paths, as far as the rules depend on it.
// model_platform_posix.cpp and model_platform_win32.cpp describe the host.
struct ModelPlatform {
    bool windows;
    char separator;
    // System-text bytes of one character; "?" when the system text cannot hold it.
    std::string (*encodeChar)(uint32_t cp);
    // Bytes in the character that starts at `text`: 1, or 2 for a double-byte one.
    int (*charLength)(const char* text);
    // The UTF-8 `text` in system text.
    std::string (*fromUtf8)(const std::string& text);
    // The text taken from tag bytes that declare no Unicode encoding, at most
    // `limit` bytes; `fixedWidth` for an ID3v1 field.
    std::string (*rawText)(const std::string& bytes, bool fixedWidth, size_t limit);
    // The text as a name takes it: without a lead byte left last on its own.
    std::string (*wholeChars)(const std::string& text);
    // Whether the file name is a device's (NUL, COM1.txt) on this system.
    bool (*namesDevice)(const std::string& name);
};
const ModelPlatform& HostPlatform();

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

// The log message of a result code, in system text.
std::string ModelMessage(int code);
// The log line of one file: "MESSAGE - PATH", cut to the line buffer.
std::string ModelLogLine(int code, const std::string& path);

#endif
