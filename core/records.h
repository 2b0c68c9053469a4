// The records and small integers that the whole program shares: the settings,
// one file's tags, and the outcome of one file.
#ifndef QUILLON_CORE_RECORDS_H
#define QUILLON_CORE_RECORDS_H

#include <stdint.h>

// Tag texts, names and the paths the planner works on live in buffers of this
// size: at most 255 bytes of text and the terminating NUL. (A dropped path is
// fetched into a larger buffer first, so that one too long is told, not cut.)
enum { TEXT_BUFFER = 256 };

enum { NAME_TITLE = 1, NAME_TITLE_ARTIST = 2, NAME_ARTIST_TITLE = 3 };
enum { PRIMARY_V1 = 1, PRIMARY_V2 = 2 };
enum { LOG_SHOW = 1, LOG_HIDE = 2 };

struct Settings {
    int32_t nameFormat;  // NAME_*
    int32_t primaryTag;  // PRIMARY_*
    int32_t logWindow;   // LOG_*
    int32_t busy;        // 1 while a drop or the properties dialog runs; never stored
};

// One file's tags. ReadTags writes only the fields its outcome reaches, so a
// record reused across files may hold an earlier file's values in the others:
// read fileOpened first, formatRecognized second, the rest only when both are 1.
struct TagInfo {
    int32_t formatRecognized;
    int32_t fileOpened;
    int32_t hasId3v1;
    int32_t hasId3v2;
    char v1Title[TEXT_BUFFER];
    char v1Artist[TEXT_BUFFER];
    char v2Title[TEXT_BUFFER];
    char v2Artist[TEXT_BUFFER];
};

// Outcome of one file. The numbers double as the string-table identifiers of
// the log messages, so they must never change.
enum {
    RESULT_ACCESS_FAILED = 1,
    RESULT_FILE_ERROR = 2,
    RESULT_NO_TAG = 3,
    RESULT_NO_TITLE = 4,
    RESULT_RENAME_ERROR = 5,
    RESULT_OK = 6
};

#endif
