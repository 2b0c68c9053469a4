// Win32 back end of the file operations (file_io.h).
#include <windows.h>

#include <stdio.h>

#include "file_io.h"

namespace {

// Room for any path the batch takes and the longest prefix put before it.
enum { LITERAL_PATH_BUFFER = MAX_PATH + 8 };

HANDLE Handle(InputFile file) {
    return reinterpret_cast<HANDLE>(file.handle);
}

// The absolute `path` in the form the Win32 path rules leave alone:
// "\\?\C:\..." or "\\?\UNC\server\share\...". Those rules drop every trailing
// dot and blank from the last name and a trailing dot from each folder name,
// and read '/' as '\' and NUL.mp3 as a device, so the plain form of "a.mp3."
// (a name a NAS, WSL or a Mac can leave) opens "a.mp3", another file, and the
// rename would act on that one; the literal form reaches exactly the named
// file or none ("C:/music/a.mp3" none: the new name, made beside the last
// backslash, would be elsewhere). A relative path needs the rules to be
// resolved and keeps its plain form; the shell drops none. Returns 0 when
// `out` cannot hold the result.
int LiteralPath(const char* path, char* out, size_t size) {
    bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    bool drive = letter && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    bool alreadyPrefixed = path[0] == '\\' && path[1] == '\\' && (path[2] == '?' || path[2] == '.') && path[3] == '\\';
    bool share = path[0] == '\\' && path[1] == '\\' && !alreadyPrefixed;
    int n = drive   ? snprintf(out, size, "\\\\?\\%s", path)
            : share ? snprintf(out, size, "\\\\?\\UNC\\%s", path + 2)
                    : snprintf(out, size, "%s", path);
    return n >= 0 && static_cast<size_t>(n) < size;
}

}  // namespace

int OpenForReading(const char* path, InputFile* file) {
    char literal[LITERAL_PATH_BUFFER];
    if (!LiteralPath(path, literal, sizeof literal)) return 0;
    // Read sharing only: a file that someone is writing cannot be opened, and
    // nobody can start writing it while it is read. A folder fails here too.
    HANDLE h = CreateFileA(literal, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
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
    // Both in the literal form, as the file was opened: the plain form of
    // "dir.\x.mp3" and of the new name beside it would mean dir\x.mp3.
    char literalFrom[LITERAL_PATH_BUFFER], literalTo[LITERAL_PATH_BUFFER];
    if (!LiteralPath(from, literalFrom, sizeof literalFrom) || !LiteralPath(to, literalTo, sizeof literalTo)) return 0;
    // No flags: never replace an existing file, and never copy and delete,
    // which MoveFileA allows when the target is on another device. A rename
    // in one folder needs no copy, and a target that turned out to be a
    // device (NUL, COM1) would take the copy and lose the file.
    return MoveFileExA(literalFrom, literalTo, 0) ? 1 : 0;
}
