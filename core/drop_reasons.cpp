// The reasons that system error numbers give.
#include "drop_reasons.h"

#include <errno.h>

int ReasonOfError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return REASON_NO_SUCH_FILE;
        case EISDIR:
            return REASON_FOLDER;
        case EACCES:
        case EPERM:
            return REASON_PERMISSION;
        case EROFS:
            return REASON_READ_ONLY;
        case EEXIST:
        case ENOTEMPTY:
            return REASON_NAME_TAKEN;
        case ENAMETOOLONG:
            return REASON_NAME_TOO_LONG;
        default:
            return REASON_OTHER;
    }
}
