// Why a dropped file was not renamed, finer than its result code: the result
// code picks the log message, which the Windows program and the command line
// show alone; quillon-gui shows the reason beside it.
#ifndef QUILLON_CORE_DROP_REASONS_H
#define QUILLON_CORE_DROP_REASONS_H

enum DropReason {
    REASON_NONE = 0,             // renamed, or nothing more is known
    REASON_PATH_UNHELD,          // names no local file (another host, a URL, a name the system text lacks)
    REASON_PATH_TOO_LONG,        // the dropped path itself
    REASON_NO_SUCH_FILE,         // missing, or gone before the rename
    REASON_FOLDER,               // a folder, not a file
    REASON_NOT_A_FILE,           // a device, a FIFO, a socket
    REASON_PERMISSION,           // the system refused access
    REASON_READ_ONLY,            // the file system cannot be written
    REASON_NAME_TAKEN,           // another file has the new name
    REASON_NOT_MP3,              // does not start as an MP3 file does
    REASON_NO_TAG,               // neither an ID3v1 nor an ID3v2 tag
    REASON_NO_TITLE,             // no tag has a title
    REASON_FORBIDDEN_CHARACTER,  // the new name would hold one a file name may not
    REASON_NAME_TOO_LONG,        // the new name or path would be too long
    REASON_DEVICE_NAME,          // the new name is one Windows keeps for a device
    REASON_OTHER                 // a system error, in the outcome's `error`
};

// The reason a system error number gives for a failed open or rename.
int ReasonOfError(int error);

// Why the file at `path` could not be opened for reading, found out after the
// fact (only failures pay for it); the error number, when there is one, in
// `error`. REASON_NONE where the front end shows no reasons.
int OpenFailureReason(const char* path, int* error);

#endif
