// The real shell with one scripted drop, for screenshots of the program at
// work: writes the settings (title - artist, log shown), makes a few files in
// FOLDER, creates the main window as quillon.exe does and posts it a drop of
// those files, then runs the message loop until the window is closed.
// Usage: shell_demo.exe FOLDER   (FOLDER is emptied first)
#include <stdio.h>

#include "shell_test_support.h"

using namespace shelltest;

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: shell_demo FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    RemoveTree(folder);
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        fprintf(stderr, "shell_demo: cannot create %s\n", folder.c_str());
        return 1;
    }
    std::vector<std::string> paths;
    auto put = [&](const char* name, const std::string& bytes) {
        paths.push_back(folder + "\\" + name);
        WriteFile(paths.back(), bytes);
    };
    put("track01.mp3", Id3v2Tag(TextFrame("TIT2", Utf16("\u591C\u660E\u3051\u306E\u3046\u305F"), 1) +  // 夜明けのうた
                                TextFrame("TPE1", Utf16("\u9752\u7A7A\u30D0\u30F3\u30C9"), 1)) +  // 青空バンド
                           MpegFrames(1));
    put("track02.mp3", MpegFrames(1) + Id3v1Tag("Blue Train", "Quartet"));
    put("track03.mp3", MpegFrames(1));
    put("memo.txt", "shopping: milk, bread");
    put("track05.mp3", TaggedMp3("Why?", "Band"));
    put("track06.mp3", TaggedMp3("", "Nobody"));
    paths.push_back(folder + "\\Album");
    CreateDirectoryA(paths.back().c_str(), nullptr);

    WriteSetting("Filename Type", "Title-Artist");
    WriteSetting("Primary Tag", "V2");
    WriteSetting("Log Window", "OK");
    RegisterMainClass(TestInstance());
    HWND hwnd = CreateMainWindow(TestInstance());
    if (hwnd == nullptr) return 1;
    PostMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    return RunMainWindow(hwnd);
}
