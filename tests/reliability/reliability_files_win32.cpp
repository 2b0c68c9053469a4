// Win32 side of the reliability helpers: scratch folders, files and snapshots
// through the ANSI file API, as the program itself sees them.
#include <windows.h>

#include <stdexcept>

#include "reliability/reliability_support.h"

namespace {

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": error " + std::to_string(GetLastError()));
}

std::vector<std::string> Names(const std::string& folder, std::vector<bool>* folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(name);
        folders->push_back((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

void SnapshotInto(const std::string& folder, Snapshot* snapshot) {
    std::vector<bool> folders;
    std::vector<std::string> names = Names(folder, &folders);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string path = folder + "\\" + names[i];
        if (folders[i]) {
            (*snapshot)[path] = kFolderMark;
            SnapshotInto(path, snapshot);
        } else {
            std::string bytes;
            if (!ReadBytes(path, &bytes)) Fail("read " + path);
            (*snapshot)[path] = bytes;
        }
    }
}

}  // namespace

ScratchFolder::ScratchFolder(const char* label) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount() % 1000000;; ++n) {
        std::string name = std::string(base) + "quillon-" + label + "-" + std::to_string(n);
        if (CreateDirectoryA(name.c_str(), nullptr)) {
            path_ = name;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("create folder " + name);
    }
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::string ScratchFolder::Path(const std::string& name) const {
    return path_ + "\\" + name;
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::vector<bool> folders;
        for (const std::string& name : Names(path, &folders)) RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("create " + path);
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) Fail("write " + path);
}

bool ReadBytes(const std::string& path, std::string* bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char block[65536];
    DWORD count = 0;
    while (ReadFile(file, block, sizeof block, &count, nullptr) && count > 0) bytes->append(block, count);
    CloseHandle(file);
    return true;
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr)) Fail("create folder " + path);
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    SnapshotInto(root, &snapshot);
    return snapshot;
}
