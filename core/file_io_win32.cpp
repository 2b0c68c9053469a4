// Win32 back end of the file operations (file_io.h).
#include <windows.h>

#include "file_io.h"

namespace {

HANDLE Handle(InputFile file) {
    return reinterpret_cast<HANDLE>(file.handle);
}

}  // namespace

int OpenForReading(const char* path, InputFile* file) {
    // Read sharing only: a file that someone is writing cannot be opened, and
    // nobody can start writing it while it is read. A folder fails here too.
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    // Device names (NUL, CON, COM1) and pipes open as well; a read from some
    // of them waits for input that never comes.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return 0;
    }
    LARGE_INTEGER size;
    file->identity = {};
    file->handle = reinterpret_cast<intptr_t>(h);
    file->length = GetFileSizeEx(h, &size) ? size.QuadPart : -1;
    return 1;
}

int ReadNext(InputFile file, void* buffer, int size) {
    DWORD count = 0;
    if (!ReadFile(Handle(file), buffer, static_cast<DWORD>(size), &count, nullptr)) return -1;
    return static_cast<int>(count);
}

int ReadAt(InputFile file, int64_t offset, void* buffer, int size) {
    // On a synchronous handle the offset in an OVERLAPPED record makes ReadFile
    // a positional read: one call where a seek and a read would take two.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD count = 0;
    if (!ReadFile(Handle(file), buffer, static_cast<DWORD>(size), &count, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<int>(count);
}

int64_t FileLength(InputFile file) {
    return file.length;
}

int64_t SkipToData(InputFile file, int64_t offset) {
    // Holes are not looked for here: the scan reads on from where it stands.
    (void)file;
    return offset;
}

void CloseFile(InputFile file) {
    CloseHandle(Handle(file));
}

int RenameNoReplace(const char* from, const char* to) {
    // No flags: never replace an existing file, and never copy and delete,
    // which MoveFileA allows when the target is on another device. A rename
    // in one folder needs no copy, and a target that turned out to be a
    // device (NUL, COM1) would take the copy and lose the file.
    return MoveFileExA(from, to, 0) ? 1 : 0;
}

int RestoreName(const char* from, const char* to) {
    return RenameNoReplace(from, to);
}
