// Real files for the Windows tests (win32_fixtures.h).
#include "win32_fixtures.h"

#include <windows.h>

#include <algorithm>

namespace {

// Removes everything inside `folder`, subfolders included.
void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path);
            RemoveDirectoryA(path.c_str());
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string Be32(unsigned value) {
    std::string out(4, '\0');
    for (int k = 0; k < 4; ++k) out[k] = static_cast<char>(value >> (8 * (3 - k)));
    return out;
}

std::string Field(const std::string& text, size_t size) {
    std::string out = text.substr(0, size);
    out.resize(size, '\0');
    return out;
}

}  // namespace

TempFolder::TempFolder(const char* tag) : keep_(false) {
    static int serial = 0;
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string(".\\");
    if (base.back() != '\\') base += '\\';
    path_ = base + "quillon-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    EmptyFolder(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::TempFolder(const std::string& path, bool keep) : path_(path), keep_(keep) {
    CreateDirectoryA(path_.c_str(), nullptr);
    EmptyFolder(path_);
}

TempFolder::~TempFolder() {
    if (keep_) return;
    EmptyFolder(path_);
    RemoveDirectoryA(path_.c_str());
}

std::vector<std::string> TempFolder::Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TextFrame(const char* id, int encoding, const std::string& text) {
    return std::string(id, 4) + Be32(static_cast<unsigned>(text.size() + 1)) + std::string(2, '\0') +
           static_cast<char>(encoding) + text;
}

std::string Id3v2(const std::string& frames) {
    unsigned size = static_cast<unsigned>(frames.size());
    std::string header = "ID3";
    header += '\x03';
    header += '\0';
    header += '\0';
    for (int shift = 21; shift >= 0; shift -= 7) header += static_cast<char>((size >> shift) & 0x7F);
    return header + frames;
}

std::string Id3v1(const std::string& title, const std::string& artist) {
    std::string tag = "TAG" + Field(title, 30) + Field(artist, 30);
    tag.resize(128, '\0');
    return tag;
}

std::string Audio(int frames) {
    // 128 kbit/s, 44.1 kHz: 417 bytes a frame.
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    std::string out;
    for (int k = 0; k < frames; ++k) out += frame;
    return out;
}
