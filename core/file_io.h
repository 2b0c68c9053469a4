// The file operations the tag reader and the rename planner need.
// file_io_posix.cpp and file_io_win32.cpp implement them; the build picks one.
#ifndef QUILLON_CORE_FILE_IO_H
#define QUILLON_CORE_FILE_IO_H

#include <stdint.h>
#include <string.h>

// What tells a file from another file and from a later version of itself, as
// far as an undo needs to know: a rename keeps all of it, a rewrite or a copy
// does not. Zero where the platform's open does not tell it.
struct FileIdentity {
    uint64_t device;
    uint64_t inode;
    int64_t size;
    int64_t modifiedSeconds;
    int64_t modifiedNanoseconds;
};

// An open file; `handle` is the platform's descriptor or HANDLE value.
struct InputFile {
    intptr_t handle;
    int64_t length;  // taken when the file is opened; -1 when unknown
    FileIdentity identity;
};

// Opens an existing regular file for reading only. Fails (returns 0) for a
// missing or inaccessible file, a folder, or anything that is not a file on
// disk (a FIFO, a device), which is never opened at all. On Windows others may
// read the file meanwhile but not write it, and a file already open elsewhere
// for writing is refused; POSIX has no such sharing rule, so there such a file
// is opened and read like any other.
int OpenForReading(const char* path, InputFile* file);

// Reads up to `size` bytes at the current position and advances it. Returns the
// count read: fewer than `size` at the end of the file, -1 on a failed read.
int ReadNext(InputFile file, void* buffer, int size);

// Reads up to `size` bytes at `offset` from the start. Returns the count read,
// -1 on failure. Whether the current position moves is left to the platform.
int ReadAt(InputFile file, int64_t offset, void* buffer, int size);

// The file's length in bytes, or -1 when it cannot be told.
int64_t FileLength(InputFile file);

// The offset of the first byte at or after `offset` that may hold data, and the
// position moved there: a hole in a sparse file needs no reading to know it
// holds zeros. -1 when nothing but holes follows. Where the platform cannot
// tell holes, `offset` itself.
int64_t SkipToData(InputFile file, int64_t offset);

void CloseFile(InputFile file);

// Renames `from` to `to`; never replaces an existing `to`. Returns 1 on success,
// 0 when the target exists, the name is refused or the rename fails otherwise.
int RenameNoReplace(const char* from, const char* to);

// 1 when the last part of `path` is a name that the rename refuses before the
// file system sees it: one holding a control character (0x01 to 0x1F), which
// Windows file systems refuse and which would let a name forge lines wherever
// it is shown.
inline int NameRefusedByFileSystem(const char* path) {
    // From the end back to the last separator: only the name is looked at,
    // not the folders before it, which a drop of thousands shares.
    for (const char* p = path + strlen(path); p > path;) {
        unsigned char c = static_cast<unsigned char>(*--p);
        if (c == '/' || c == '\\') return 0;
        if (c < 0x20) return 1;
    }
    return 0;
}

#endif
