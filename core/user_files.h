// The files the Linux front ends keep for the user (the settings, the undo
// journal): where they live, by the XDG base directories, and how they are
// written.
#ifndef QUILLON_CORE_USER_FILES_H
#define QUILLON_CORE_USER_FILES_H

#include <stddef.h>

#include <string>

// $`variable`/Ombrix/Quillon, or ~/`fallback`/Ombrix/Quillon when the variable
// is unset or not an absolute path (as the XDG rules say); the home folder is
// $HOME, or the password database's when HOME is unset or empty.
std::string UserFolder(const char* variable, const char* fallback);

// mkdir -p, the new folders private to the user. Returns 1 when `folder`
// exists as a folder afterwards.
int MakeFolders(const std::string& folder);

// Writes all `size` bytes of `data` to `fd`, going on after short writes and
// interruptions. Returns 1 when all were written, 0 on an error (errno set).
int WriteAll(int fd, const char* data, size_t size);

#endif
