// What the POSIX front ends' own files (the undo journal) need of the file
// operations beyond file_io.h: identities from a stat, and renames inside a
// folder held open, which reach names whatever the length of the folder's path.
#ifndef QUILLON_CORE_FILE_IO_POSIX_H
#define QUILLON_CORE_FILE_IO_POSIX_H

#include <sys/stat.h>

#include "file_io.h"

FileIdentity IdentityOf(const struct stat& st);

// Renames `from` to `to`, both names in the folder open as `folder`
// (AT_FDCWD: the working folder), never replacing an existing `to`: 1 on
// success, 0 with errno set (EEXIST when `to` is taken).
int MoveNoReplaceAt(int folder, const char* from, const char* to);

#endif
