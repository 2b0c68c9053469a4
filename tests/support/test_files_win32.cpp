// Win32 side of the test file helpers, through the ANSI file API: names are
// bytes in the ANSI code page, as the program itself sees them.
#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "support/test_files.h"

namespace {

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": error " + std::to_string(GetLastError()));
}

std::string TempBase() {
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string(".\\");
    if (base.back() == '\\') base.pop_back();
    return base;
}

}  // namespace

TempFolder::TempFolder(const char* label, const std::string& base) {
    static unsigned serial = 0;
    std::string stem =
        (base.empty() ? TempBase() : base) + "\\quillon-" + label + "-" + std::to_string(GetCurrentProcessId()) + "-";
    for (;;) {
        std::string name = stem + std::to_string(++serial);
        if (CreateDirectoryA(name.c_str(), nullptr)) {
            path_ = name;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("create folder " + name);
    }
}

TempFolder::~TempFolder() {
    // Plainly, which reaches the longest paths, then literally for what is
    // left: names such as "a.mp3." and "dir." that the plain form misreads.
    RemoveTree(path_);
    RemoveTree("\\\\?\\" + path_);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("create " + path);
    DWORD written = 0;
    BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) Fail("write " + path);
}

bool ReadFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char block[65536];
    DWORD count = 0;
    while (::ReadFile(file, block, sizeof block, &count, nullptr) && count > 0) bytes->append(block, count);
    CloseHandle(file);
    return true;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    return ReadFile(path, &bytes) ? bytes : std::string();
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr)) Fail("create folder " + path);
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        // A read-only file is not deleted otherwise.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}
