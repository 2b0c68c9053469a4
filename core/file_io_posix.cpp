// POSIX back end of the file operations (file_io.h).
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // renameat2
#endif
#include "file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int OpenForReading(const char* path, InputFile* file) {
    // O_NONBLOCK keeps a dropped FIFO from hanging the batch; only regular
    // files are read.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return 0;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 0;
    }
    file->handle = fd;
    file->length = static_cast<int64_t>(st.st_size);
    return 1;
}

int ReadNext(InputFile file, void* buffer, int size) {
    int total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < size) {
        ssize_t n = read(static_cast<int>(file.handle), out + total, static_cast<size_t>(size - total));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return total > 0 ? total : -1;
        if (n == 0) break;
        total += static_cast<int>(n);
    }
    return total;
}

int ReadAt(InputFile file, int64_t offset, void* buffer, int size) {
    int total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < size) {
        ssize_t n = pread(static_cast<int>(file.handle), out + total, static_cast<size_t>(size - total),
                          static_cast<off_t>(offset + total));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return total > 0 ? total : -1;
        if (n == 0) break;
        total += static_cast<int>(n);
    }
    return total;
}

int64_t FileLength(InputFile file) {
    return file.length;
}

void CloseFile(InputFile file) {
    close(static_cast<int>(file.handle));
}

int RenameNoReplace(const char* from, const char* to) {
    // A file that already carries its name has nothing to do.
    if (strcmp(from, to) == 0) return access(from, F_OK) == 0;
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 1;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return 0;
    // File systems without the no-replace flag: link refuses an existing target.
    if (link(from, to) != 0) return 0;
    if (unlink(from) != 0) {
        unlink(to);
        return 0;
    }
    return 1;
}
