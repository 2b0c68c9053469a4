// Why an open failed, on POSIX: the file is looked at again as the open saw it.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "drop_reasons.h"

int OpenFailureReason(const char* path, int* error) {
    *error = 0;
    struct stat st;
    if (stat(path, &st) != 0) {
        *error = errno;
        return ReasonOfError(*error);
    }
    if (S_ISDIR(st.st_mode)) return REASON_FOLDER;
    if (!S_ISREG(st.st_mode)) return REASON_NOT_A_FILE;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return ReasonOfError(*error);
    }
    // It opens now: what stood in the way is gone.
    close(fd);
    return REASON_OTHER;
}
