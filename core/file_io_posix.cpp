// POSIX back end of the file operations (file_io.h).
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // renameat2
#endif
#include "file_io.h"
#include "file_io_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diagnostics.h"
#include "escape.h"
#include "records.h"
#include "texts.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int OpenForReading(const char* path, InputFile* file) {
    // Only a regular file is opened: opening a FIFO would let a writer blocked
    // on it go on (and its data be lost), and opening a device can have effects
    // of its own. The size comes from the same call.
    struct stat st;
    if (lstat(path, &st) != 0) return 0;
    // A symbolic link is what the rename moves, so the link is what an undo
    // must find again; the bytes read are its target's, which must be a
    // regular file. Only a link costs the second call.
    struct stat target = st;
    if (S_ISLNK(st.st_mode) && stat(path, &target) != 0) return 0;
    if (!S_ISREG(target.st_mode)) return 0;
    // Should the name be swapped for a FIFO in between, O_NONBLOCK still keeps
    // the open from waiting for a writer.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return 0;
    file->handle = fd;
    file->length = static_cast<int64_t>(target.st_size);
    file->identity = IdentityOf(st);
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

int64_t SkipToData(InputFile file, int64_t offset) {
    off_t data = lseek(static_cast<int>(file.handle), static_cast<off_t>(offset), SEEK_DATA);
    if (data >= 0) return static_cast<int64_t>(data);
    if (errno == ENXIO) return -1;  // holes up to the end
    // No hole support here: read on from where the scan stands.
    return lseek(static_cast<int>(file.handle), static_cast<off_t>(offset), SEEK_SET) < 0 ? -1 : offset;
}

void CloseFile(InputFile file) {
    close(static_cast<int>(file.handle));
}

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

namespace {

// Removes `name` in `folder`; through unlink() where the folder is the
// working one, as the names given on the command line are.
int Unlink(int folder, const char* name) {
    return folder == AT_FDCWD ? unlink(name) : unlinkat(folder, name, 0);
}

}  // namespace

int MoveNoReplaceAt(int folder, const char* from, const char* to) {
    if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 1;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return 0;
    // File systems without the no-replace flag: link refuses an existing target.
    if (linkat(folder, from, folder, to, 0) != 0) return 0;
    if (Unlink(folder, from) == 0) return 1;
    int reason = errno;
    if (Unlink(folder, to) != 0) {
        // Nothing is lost, but the file now answers to both names, and only
        // this message tells the user so.
        char shownFrom[TEXT_BUFFER * ESCAPE_GROWTH], shownTo[TEXT_BUFFER * ESCAPE_GROWTH];
        EscapeControls(from, shownFrom, sizeof shownFrom);
        EscapeControls(to, shownTo, sizeof shownTo);
        Diagnose(Tr("%s: the file now also has the name %s: neither name could be removed (%s; %s)"), shownFrom,
                 shownTo, strerror(reason), strerror(errno));
    }
    errno = reason;
    return 0;
}

int RenameNoReplace(const char* from, const char* to) {
    // A file that already carries its name has nothing to do.
    if (strcmp(from, to) == 0) return access(from, F_OK) == 0;
    if (NameRefusedByFileSystem(to)) return 0;
    return MoveNoReplaceAt(AT_FDCWD, from, to);
}
