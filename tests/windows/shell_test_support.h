// Helpers for tests that drive the shell's real windows in-process under Wine:
// the settings key in the real registry, scratch folders and files, drops built
// like the shell builds them, the log's lines, and the pictures' pixels.
#ifndef QUILLON_TESTS_WINDOWS_SHELL_TEST_SUPPORT_H
#define QUILLON_TESTS_WINDOWS_SHELL_TEST_SUPPORT_H

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "main_window.h"
#include "resource.h"

namespace shelltest {

typedef std::vector<uint8_t> Bytes;

const char kSettingsKey[] = "Software\\Ombrix\\Quillon";

inline HINSTANCE TestInstance() {
    return GetModuleHandleA(nullptr);
}

// --- The settings key -------------------------------------------------------

inline void DeleteSettingsKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

inline void WriteSetting(const char* name, const char* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
}

// The stored text, or "<missing>" when the value (or the key) is absent.
inline std::string ReadSetting(const char* name) {
    char text[512] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return text;
}

// --- Messages ---------------------------------------------------------------

// Dispatches whatever is queued, a quit message included, so that nothing a
// test leaves behind reaches the next one.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// --- The main window ----------------------------------------------------------

// A main window created afresh, as WinMain creates it, over a live record
// that is all zero again as at process start. Destroyed (with its log window)
// at the end of the scope.
class MainWindow {
  public:
    MainWindow() {
        *LiveSettings() = Settings{};
        RegisterMainClass(TestInstance());
        hwnd_ = CreateMainWindow(TestInstance());
    }
    ~MainWindow() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        PumpMessages();
    }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shown and painted the way WinMain shows it.
    void Show() {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
        PumpMessages();
    }
    HWND hwnd() const {
        return hwnd_;
    }
    HWND log() const {
        return LogWindowHandle();
    }

  private:
    HWND hwnd_;
};

// --- The log ------------------------------------------------------------------

inline HWND LogList(HWND log) {
    return GetDlgItem(log, IDC_LOG_LIST);
}

// The log's lines, as the list box holds them (ANSI bytes).
inline std::vector<std::string> LogLines(HWND log) {
    std::vector<std::string> lines;
    HWND list = LogList(log);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR) length = 0;
        std::string line(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
        line.resize(strlen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

// --- Files --------------------------------------------------------------------

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The file's bytes; `found` tells whether it could be read at all.
inline Bytes ReadBytes(const std::string& path, bool* found = nullptr) {
    Bytes bytes;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (found) *found = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    uint8_t block[4096];
    DWORD count = 0;
    while (ReadFile(file, block, sizeof block, &count, nullptr) && count > 0)
        bytes.insert(bytes.end(), block, block + count);
    CloseHandle(file);
    return bytes;
}

inline bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in a folder, sorted by the system.
inline std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0) names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// A fresh folder under the system's temp folder, removed with its contents at
// the end of the scope. path() has no trailing backslash.
class TempFolder {
  public:
    TempFolder() {
        char base[MAX_PATH] = {};
        GetTempPathA(sizeof base, base);
        for (unsigned n = GetTickCount() % 100000;; ++n) {
            char name[MAX_PATH];
            wsprintfA(name, "%squillon-shell-%u", base, n);
            if (CreateDirectoryA(name, nullptr)) {
                path_ = name;
                break;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
    }
    ~TempFolder() {
        // Plainly, which reaches the longest paths, then literally for what is
        // left: names such as "a.mp3." and "dir." that the plain form misreads.
        if (path_.empty()) return;
        RemoveTree(path_);
        RemoveTree("\\\\?\\" + path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const {
        return path_;
    }
    std::string operator/(const std::string& name) const {
        return path_ + "\\" + name;
    }

  private:
    std::string path_;
};

// --- MP3 fixtures --------------------------------------------------------------

inline void Append(Bytes& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// An ID3v2.3 text frame: id, 4 size bytes (big-endian), 2 flag bytes, the
// encoding byte, then the text.
inline Bytes TextFrame(const char* id, uint8_t encoding, const Bytes& text) {
    Bytes frame;
    Append(frame, id);
    uint32_t size = static_cast<uint32_t>(text.size() + 1);
    frame.push_back(static_cast<uint8_t>(size >> 24));
    frame.push_back(static_cast<uint8_t>(size >> 16));
    frame.push_back(static_cast<uint8_t>(size >> 8));
    frame.push_back(static_cast<uint8_t>(size));
    frame.push_back(0);  // flags
    frame.push_back(0);
    frame.push_back(encoding);
    frame.insert(frame.end(), text.begin(), text.end());
    return frame;
}

// UTF-16LE with its byte-order mark: text encoding 1 of a frame.
inline Bytes Utf16(const std::wstring& text) {
    Bytes bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8 & 0xFF));
    }
    return bytes;
}

inline Bytes Latin(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// "ID3", version 3.0, no flags, the syncsafe size of the frames, the frames,
// then some audio-like filler.
inline Bytes Id3v2File(const std::vector<Bytes>& frames) {
    Bytes file;
    Append(file, "ID3");
    file.push_back(3);
    file.push_back(0);
    file.push_back(0);
    size_t size = 0;
    for (const Bytes& f : frames) size += f.size();
    file.push_back(0);
    file.push_back(0);
    file.push_back(static_cast<uint8_t>(size >> 7 & 0x7F));
    file.push_back(static_cast<uint8_t>(size & 0x7F));
    for (const Bytes& f : frames) file.insert(file.end(), f.begin(), f.end());
    for (int i = 0; i < 300; ++i) file.push_back(static_cast<uint8_t>(0xA5 ^ i));
    return file;
}

// An MPEG frame start (0xFF 0xFB), filler, and when `title` is given an ID3v1
// tag: "TAG", 30 bytes title, 30 artist, 30 album, 4 year, 30 comment, genre.
inline Bytes MpegFile(const char* title, const char* artist) {
    Bytes file = {0xFF, 0xFB, 0x90, 0x64};
    for (int i = 0; i < 400; ++i) file.push_back(static_cast<uint8_t>(i * 7));
    if (title != nullptr) {
        Bytes tag(128, 0);
        memcpy(&tag[0], "TAG", 3);
        memcpy(&tag[3], title, strlen(title));
        memcpy(&tag[33], artist, strlen(artist));
        tag[127] = 12;
        file.insert(file.end(), tag.begin(), tag.end());
    }
    return file;
}

// --- Drops --------------------------------------------------------------------

// A drop handle as the shell hands it over: a moveable global block holding
// DROPFILES, then the paths, each NUL-terminated, then one more NUL; ANSI, or
// UTF-16 as the shell itself writes them (wide characters). The receiver
// releases it with DragFinish.
template <typename Char>
inline HDROP MakeDropOf(const std::vector<std::basic_string<Char>>& paths) {
    // Two NULs after the last path, so that even an empty list is terminated
    // as readers of the format expect.
    size_t listSize = 2;
    for (const std::basic_string<Char>& p : paths) listSize += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + listSize * sizeof(Char));
    if (block == nullptr) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = sizeof(Char) > 1;
    char* at = bytes + sizeof(DROPFILES);
    for (const std::basic_string<Char>& p : paths) {
        memcpy(at, p.c_str(), (p.size() + 1) * sizeof(Char));
        at += (p.size() + 1) * sizeof(Char);
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

inline HDROP MakeDrop(const std::vector<std::string>& paths) {
    return MakeDropOf(paths);
}

inline LRESULT SendDrop(HWND hwnd, const std::vector<std::string>& paths) {
    return SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropOf(paths)), 0);
}

inline LRESULT SendDrop(HWND hwnd, const std::vector<std::wstring>& paths) {
    return SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropOf(paths)), 0);
}

// --- Pictures -----------------------------------------------------------------

// A 24-bit bitmap resource decoded from the module's own bytes, so that tests
// compare the window with the art rather than with numbers copied from it.
class ResourcePicture {
  public:
    explicit ResourcePicture(int id) {
        HRSRC found = FindResourceA(TestInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
        if (found == nullptr) return;
        DWORD size = SizeofResource(TestInstance(), found);
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(TestInstance(), found)));
        if (data == nullptr || size < sizeof(BITMAPINFOHEADER)) return;
        BITMAPINFOHEADER header;
        memcpy(&header, data, sizeof header);
        if (header.biBitCount != 24 || header.biCompression != BI_RGB || header.biWidth <= 0) return;
        width_ = header.biWidth;
        height_ = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        topDown_ = header.biHeight < 0;
        stride_ = ((width_ * 3) + 3) & ~3;
        size_t offset = header.biSize;
        if (size < offset + static_cast<size_t>(stride_) * height_) {
            width_ = height_ = 0;
            return;
        }
        bits_.assign(data + offset, data + offset + static_cast<size_t>(stride_) * height_);
    }
    int width() const {
        return width_;
    }
    int height() const {
        return height_;
    }
    COLORREF At(int x, int y) const {
        int row = topDown_ ? y : height_ - 1 - y;
        const uint8_t* p = &bits_[static_cast<size_t>(row) * stride_ + static_cast<size_t>(x) * 3];
        return RGB(p[2], p[1], p[0]);
    }

  private:
    int width_ = 0, height_ = 0, stride_ = 0;
    bool topDown_ = false;
    Bytes bits_;
};

// The pixel at x, y of the window's client area as it shows now.
inline COLORREF WindowPixel(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return color;
}

struct Point {
    int x, y;
};

// Points, spread over the picture, where the idle and the busy art differ, so
// that one pixel read there tells which picture is on the window.
inline std::vector<Point> TellingPoints(const ResourcePicture& idle, const ResourcePicture& busy, size_t wanted) {
    std::vector<Point> points;
    for (int y = 3; y < idle.height() && points.size() < wanted; y += 17) {
        for (int x = 5; x < idle.width() && points.size() < wanted; x += 23) {
            if (idle.At(x, y) != busy.At(x, y)) points.push_back(Point{x, y});
        }
    }
    return points;
}

}  // namespace shelltest

#endif
