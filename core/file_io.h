// The file operations the tag reader and the rename planner need.
// file_io_posix.cpp and file_io_win32.cpp implement them; the build picks one.
#ifndef QUILLON_CORE_FILE_IO_H
#define QUILLON_CORE_FILE_IO_H

#include <stdint.h>

// An open file; `handle` is the platform's descriptor or HANDLE value.
struct InputFile {
    intptr_t handle;
    int64_t length;  // taken when the file is opened; -1 when unknown
};

// Opens an existing file for reading only, letting others read it meanwhile
// but not write it. Fails (returns 0) for a missing or inaccessible file, a
// folder, or a file already open elsewhere for writing.
int OpenForReading(const char* path, InputFile* file);

// Reads up to `size` bytes at the current position and advances it. Returns the
// count read: fewer than `size` at the end of the file, -1 on a failed read.
int ReadNext(InputFile file, void* buffer, int size);

// Reads up to `size` bytes at `offset` from the start. Returns the count read,
// -1 on failure. Whether the current position moves is left to the platform.
int ReadAt(InputFile file, int64_t offset, void* buffer, int size);

// The file's length in bytes, or -1 when it cannot be told.
int64_t FileLength(InputFile file);

void CloseFile(InputFile file);

// Renames `from` to `to`; never replaces an existing `to`. Returns 1 on success,
// 0 when the target exists, the name is refused or the rename fails otherwise.
int RenameNoReplace(const char* from, const char* to);

#endif
