// Whole drops through the real main window under Wine: WM_DROPFILES with a
// drop handle built as the shell builds it, the log read back from the log
// window's list box, the folder compared with the drop model. Also one drop of
// 10,000 files, and repeated drops and paints that must not leave handles or
// GDI/USER objects behind.
//
// QUILLON_WINDOW_DROPS sets the number of random drops (default 300) and
// QUILLON_MODEL_SEED the seed.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "reliability/drop_cases.h"
#include "reliability/drop_model.h"
#include "support/test_files.h"
#include "reliability/wine_window_support.h"

namespace {

// Drops through the window and compares log and folder with the model;
// returns an empty string when they agree.
std::string CheckWindowDrop(HWND hwnd, const DropCase& drop, const std::string& folder, Tally* tally) {
    Snapshot expected = TakeSnapshot(folder);
    std::vector<int> codes;
    std::vector<std::string> lines;
    for (const std::string& path : drop.paths) {
        codes.push_back(ModelDropOne(path, drop.settings, &expected).code);
        lines.push_back(ModelLogLine(codes.back(), path));
    }
    lines.push_back("READY.");

    Settings* live = LiveSettings();
    live->nameFormat = drop.settings.nameFormat;
    live->primaryTag = drop.settings.primaryTag;
    SendDrop(hwnd, drop.paths);

    std::ostringstream problems;
    Snapshot actual = TakeSnapshot(folder);
    if (actual != expected) problems << "folder differs from the model:\n" << DescribeDifference(expected, actual);
    std::vector<std::string> shown = LogLines();
    if (shown != lines) {
        problems << "log differs from the model:\n";
        for (size_t k = 0; k < std::max(lines.size(), shown.size()); ++k) {
            std::string want = k < lines.size() ? lines[k] : "(none)";
            std::string got = k < shown.size() ? shown[k] : "(none)";
            if (want != got) problems << "  line " << k << ": expected [" << want << "] got [" << got << "]\n";
        }
    }
    if (live->busy != 0) problems << "busy still set after the drop\n";
    CountDrop(drop, codes, tally);
    return problems.str();
}

struct Resources {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    SIZE_T privateBytes = 0;
};

// Wine answers GetProcessHandleCount and GetGuiResources with nothing, so the
// counts are also taken by probing. Kernel handles: every handle value the
// process can hold, asked in turn.
DWORD ProbeKernelHandles() {
    DWORD count = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// GDI objects: the table hands out freed entries before new ones, so once more
// probe objects are made than entries are free, the highest entry a probe gets
// is the number of entries in use plus the probes.
DWORD ProbeGdiObjects() {
    const int kProbes = 6000;
    std::vector<HBRUSH> probes;
    DWORD highest = 0;
    for (int k = 0; k < kProbes; ++k) {
        HBRUSH brush = CreateSolidBrush(RGB(k & 0xFF, 0, 0));
        if (brush == nullptr) break;
        highest = std::max(highest, static_cast<DWORD>(reinterpret_cast<uintptr_t>(brush) & 0xFFFF));
        probes.push_back(brush);
    }
    for (HBRUSH brush : probes) DeleteObject(brush);
    return highest + 1 - static_cast<DWORD>(probes.size());
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

// USER objects the program makes are its windows and their controls.
DWORD ProbeWindows() {
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

Resources Count() {
    Resources r;
    if (!GetProcessHandleCount(GetCurrentProcess(), &r.handles) || r.handles == 0) r.handles = ProbeKernelHandles();
    r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (r.gdi == 0) r.gdi = ProbeGdiObjects();
    r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (r.user == 0) r.user = ProbeWindows();
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) r.privateBytes = memory.PagefileUsage;
    return r;
}

}  // namespace

TEST(WineDrops, EveryFileEndsRenamedAsTheRulesSayOrUntouched) {
    MainWindowScope window;
    // The shell never sends an empty list, and Wine counts one empty path in
    // it; the shell tests cover that case.
    CheckRandomWindowDrops("window drops", "wine", [&](const DropCase& drop, const std::string& folder, Tally* tally) {
        return CheckWindowDrop(window.hwnd(), drop, folder, tally);
    });
}

TEST(WineDrops, TenThousandFilesInOneDropKeepOrder) {
    MainWindowScope window;
    CaseGenerator gen(kDefaultSeed);
    TempFolder folder("wine-large");
    DropCase drop;
    drop.settings = Settings{NAME_TITLE_ARTIST, PRIMARY_V2, LOG_HIDE, 0};
    for (int k = 0; k < 10000; ++k) {
        char title[16];
        snprintf(title, sizeof title, "f%05d", k);
        std::string path = folder.Path(std::string(title) + ".MP3");
        std::string bytes =
            k % 3 == 0 ? gen.FileBytes() : std::string("ID3\3\0\0\0\0\0\0TIT2\0\0\0\7\0\0\0", 21) + title;
        WriteFile(path, bytes);
        drop.paths.push_back(path);
    }
    Tally tally;
    EXPECT_EQ("", CheckWindowDrop(window.hwnd(), drop, folder.path(), &tally));
    EXPECT_EQ(10001u, LogLines().size());
    Report("window large drop", kDefaultSeed, tally);
}

TEST(WineDrops, RepeatedDropsAndPaintsLeaveNoHandlesOrObjectsBehind) {
    MainWindowScope window;
    TempFolder folder("wine-repeat");
    // Files already named after their titles: every drop renames them to the
    // names they have, so each round sees the same folder.
    std::vector<std::string> paths;
    for (int k = 0; k < 40; ++k) {
        std::string title = "Track" + std::to_string(k);
        std::string path = folder.Path(title + ".mp3");
        WriteFile(path, std::string("ID3\3\0\0\0\0\0\0TIT2\0\0\0", 17) + static_cast<char>(title.size() + 1) +
                            std::string("\0\0\0", 3) + title);
        paths.push_back(path);
    }
    MakeFolder(folder.Path("album"));
    paths.push_back(folder.Path("album"));
    paths.push_back(folder.Path("missing.mp3"));
    LiveSettings()->nameFormat = NAME_TITLE;
    auto round = [&]() {
        SendDrop(window.hwnd(), paths);
        InvalidateRect(window.hwnd(), nullptr, FALSE);
        UpdateWindow(window.hwnd());
        PumpMessages();
    };
    round();  // first use: whatever the system allocates once
    Snapshot before = TakeSnapshot(folder.path());
    Resources start = Count();
    for (int r = 0; r < 50; ++r) round();
    Resources end = Count();
    EXPECT_EQ(before, TakeSnapshot(folder.path()));
    EXPECT_EQ(paths.size() + 1, LogLines().size());
    EXPECT_LE(end.handles, start.handles) << "kernel handles grew over 50 drops";
    EXPECT_LE(end.gdi, start.gdi) << "GDI objects grew over 50 drops";
    EXPECT_LE(end.user, start.user) << "USER objects grew over 50 drops";
    // The drops use fixed buffers and the log holds the same lines each time:
    // what the process holds must not creep up with every round.
    EXPECT_LT(end.privateBytes, start.privateBytes + 512 * 1024) << "memory grew over 50 drops";
    printf(
        "[resources] 50 drops of %u paths with paints: handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu, "
        "private KiB %lu -> %lu\n",
        static_cast<unsigned>(paths.size()), start.handles, end.handles, start.gdi, end.gdi, start.user, end.user,
        static_cast<unsigned long>(start.privateBytes / 1024), static_cast<unsigned long>(end.privateBytes / 1024));

    // The counts see a leak: one more brush, event and window each.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND extra = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Resources leaked = Count();
    EXPECT_EQ(end.gdi + 1, leaked.gdi);
    EXPECT_EQ(end.handles + 1, leaked.handles);
    EXPECT_EQ(end.user + 1, leaked.user);
    DestroyWindow(extra);
    CloseHandle(event);
    DeleteObject(brush);
}
