// Times drops through the real main window. Each folder on the command line
// is one drop of all its *.mp3 files (a DROPFILES block sent as WM_DROPFILES);
// folders joined by '|', which no path holds, make one drop of all their files;
// the time the window takes to handle the message is printed with the log
// window's line count and how many lines say renamed. Then, for each drop's
// size, the same number of lines alone is added to the emptied log window,
// timed apart from the files. The log window is shown unless --hide-log comes
// first. scripts/bench.sh runs it under Wine; it is a benchmark, not a test.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/drop_batch.h"
#include "core/records.h"
#include "log_window.h"
#include "main_window.h"
#include "resource.h"
#include "settings/settings_store.h"

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.mp3").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) paths.push_back(folder + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // The shell lists a selection in name order; so does this drop.
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The files of every folder in `folders`, a '|'-separated list.
std::vector<std::string> FilesInAll(const std::string& folders) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find('|', start);
        if (end == std::string::npos) end = folders.size();
        std::vector<std::string> some = FilesIn(folders.substr(start, end - start));
        paths.insert(paths.end(), some.begin(), some.end());
        start = end + 1;
    }
    return paths;
}

// What the shell hands over: a DROPFILES header, then the paths, each ending
// in a NUL, and one more NUL after the last.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) bytes += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) return nullptr;
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* out = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void DispatchPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Lines of the log that begin with the message of a renamed file.
long CountRenamedLines(HWND list, const char* ok) {
    size_t okLength = strlen(ok);
    long lines = static_cast<long>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    long renamed = 0;
    for (long k = 0; k < lines; ++k) {
        char line[LINE_BUFFER];
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(k), 0);
        if (length < 0 || length >= static_cast<LRESULT>(sizeof line)) continue;
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(line));
        if (okLength > 0 && strncmp(line, ok, okLength) == 0) ++renamed;
    }
    return renamed;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency) {
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Adds `count` log lines the way a drop does, to the emptied log window, and
// returns the seconds that took.
double TimeLogLines(HWND log, const char* ok, unsigned count, LARGE_INTEGER frequency) {
    SendMessageA(log, LOGM_CLEAR, 0, 0);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (unsigned k = 0; k < count; ++k) {
        char line[LINE_BUFFER];
        snprintf(line, sizeof line, "%s - Z:\\music\\track%05u.mp3", ok, k + 1);
        SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(line));
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end, frequency);
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    int logWindow = LOG_SHOW;
    if (argc > 1 && strcmp(argv[1], "--hide-log") == 0) {
        logWindow = LOG_HIDE;
        first = 2;
    }
    if (argc <= first) {
        fputs("usage: quillon_drop_bench [--hide-log] FOLDER...\n", stderr);
        return 2;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // "Title - Artist"; the log window shown unless asked otherwise: its list
    // box then also keeps its scroll bars up to date on every line.
    SaveSettings(Settings{NAME_TITLE_ARTIST, PRIMARY_V2, logWindow, 0});
    RegisterMainClass(instance);
    HWND hwnd = CreateMainWindow(instance);
    if (hwnd == nullptr) {
        fputs("quillon_drop_bench: the main window could not be created\n", stderr);
        return 1;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    DispatchPending();
    HWND list = GetDlgItem(LogWindowHandle(), IDC_LOG_LIST);
    char ok[MESSAGE_BUFFER] = "";
    LoadStringA(instance, RESULT_OK, ok, sizeof ok);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    int status = 0;
    std::vector<unsigned> sizes;
    for (int i = first; i < argc; ++i) {
        std::vector<std::string> paths = FilesInAll(argv[i]);
        HDROP drop = paths.empty() ? nullptr : MakeDrop(paths);
        if (drop == nullptr) {
            fprintf(stderr, "quillon_drop_bench: no files to drop in %s\n", argv[i]);
            status = 1;
            continue;
        }
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        QueryPerformanceCounter(&end);
        DispatchPending();
        long lines = static_cast<long>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        long renamed = CountRenamedLines(list, ok);
        double seconds = Seconds(start, end, frequency);
        printf("drop %u files: %.4f s, log lines %ld, renamed %ld\n", static_cast<unsigned>(paths.size()), seconds,
               lines, renamed);
        fflush(stdout);
        if (renamed != static_cast<long>(paths.size())) status = 1;
        sizes.push_back(static_cast<unsigned>(paths.size()));
    }
    for (unsigned count : sizes) {
        printf("log %u lines: %.4f s\n", count, TimeLogLines(LogWindowHandle(), ok, count, frequency));
        fflush(stdout);
    }
    DestroyWindow(hwnd);
    DispatchPending();
    return status;
}
