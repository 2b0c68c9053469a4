// The rename planner: chooses title and artist, builds the new name, refuses
// names a file system cannot hold, and renames the file in its own folder.
#ifndef QUILLON_CORE_RENAME_PLANNER_H
#define QUILLON_CORE_RENAME_PLANNER_H

#include "records.h"

// Decides everything short of the rename: returns RESULT_OK with the new path
// in `newPath` (TEXT_BUFFER bytes) when the file is to be renamed, else the
// result code that reports why not, and in `reason`, when given, the
// DropReason (drop_reasons.h) behind a refusal (REASON_NONE for a file that
// could not be opened, which the planner cannot tell). `path` must be at most
// 255 bytes.
int PlanRename(const char* path, const TagInfo& info, Settings settings, char* newPath, int* reason = nullptr);

// PlanRename, then the rename itself. On any result but RESULT_OK the file is
// untouched; a rename that fails (target exists, access denied) is
// RESULT_ACCESS_FAILED.
int RenameByTag(const char* path, TagInfo info, Settings settings);

// 1 when the character `ch` does not occur in `text`, 0 when it does. The scan
// goes by characters of the system text, so the trail byte of a double-byte
// character never counts.
int CharAbsent(const char* text, char ch);

#endif
