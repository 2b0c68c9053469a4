// The main window: settings at start, its geometry and styles, the pictures
// on screen, and the end of the message loop, in-process and as quillon.exe.
#include <gtest/gtest.h>

#include "log_window.h"
#include "shell_test_support.h"

using namespace shelltest;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteSettingsKey();
    }
    void TearDown() override {
        DeleteSettingsKey();
    }
};

TEST_F(MainWindowTest, FirstStartWritesDefaultsAndKeepsTheLogHidden) {
    MainWindow main;
    ASSERT_TRUE(IsWindow(main.hwnd()));
    EXPECT_EQ(ReadSetting("Filename Type"), "Title");
    EXPECT_EQ(ReadSetting("Primary Tag"), "V2");
    EXPECT_EQ(ReadSetting("Log Window"), "NG");
    Settings live = *LiveSettings();
    EXPECT_EQ(live.nameFormat, NAME_TITLE);
    EXPECT_EQ(live.primaryTag, PRIMARY_V2);
    EXPECT_EQ(live.logWindow, LOG_HIDE);
    EXPECT_EQ(live.busy, 0);
    ASSERT_TRUE(IsWindow(main.log()));
    EXPECT_FALSE(IsWindowVisible(main.log()));
    EXPECT_EQ(LogLines(main.log()), std::vector<std::string>{"READY."});
}

TEST_F(MainWindowTest, StoreMissingOneValueIsRewrittenWholeWithDefaults) {
    WriteSetting("Filename Type", "Title-Artist");
    MainWindow main;
    EXPECT_EQ(ReadSetting("Filename Type"), "Title");
    EXPECT_EQ(ReadSetting("Primary Tag"), "V2");
    EXPECT_EQ(ReadSetting("Log Window"), "NG");
    EXPECT_EQ(LiveSettings()->nameFormat, NAME_TITLE) << "the value read before the gap is replaced too";
    EXPECT_FALSE(IsWindowVisible(main.log()));
}

TEST_F(MainWindowTest, StoredChoicesAreLoadedAndLeftAsTheyAre) {
    WriteSetting("Filename Type", "Artist-Title");
    WriteSetting("Primary Tag", "V1");
    WriteSetting("Log Window", "OK");
    MainWindow main;
    Settings live = *LiveSettings();
    EXPECT_EQ(live.nameFormat, NAME_ARTIST_TITLE);
    EXPECT_EQ(live.primaryTag, PRIMARY_V1);
    EXPECT_EQ(live.logWindow, LOG_SHOW);
    EXPECT_EQ(ReadSetting("Filename Type"), "Artist-Title");
    EXPECT_EQ(ReadSetting("Primary Tag"), "V1");
    EXPECT_EQ(ReadSetting("Log Window"), "OK");
    EXPECT_TRUE(IsWindowVisible(main.log())) << "shown at once, before the main window";
    EXPECT_FALSE(IsWindowVisible(main.hwnd()));
    EXPECT_EQ(LogLines(main.log()), std::vector<std::string>{"READY."});
}

TEST_F(MainWindowTest, FixedSizeWindowWithA140PixelClientArea) {
    MainWindow main;
    main.Show();
    RECT client;
    GetClientRect(main.hwnd(), &client);
    EXPECT_EQ(client.right - client.left, 140);
    EXPECT_EQ(client.bottom - client.top, 140);
    LONG style = GetWindowLongA(main.hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU) << "window menu and close box";
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetWindowLongA(main.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES) << "a drop target";

    char text[32] = {};
    GetWindowTextA(main.hwnd(), text, sizeof text);
    EXPECT_STREQ(text, "Quillon");
    char name[32] = {};
    GetClassNameA(main.hwnd(), name, sizeof name);
    EXPECT_STREQ(name, "QuillonMain");
}

TEST_F(MainWindowTest, ClassHasArrowCursorWhiteBrushAndSmallIcon) {
    RegisterMainClass(TestInstance());
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(TestInstance(), "QuillonMain", &wc));
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(wc.hbrBackground, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(wc.lpszMenuName, nullptr);
    ASSERT_NE(wc.hIconSm, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(wc.hIconSm, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

class PictureTest : public MainWindowTest {
  protected:
    PictureTest() : idle_(IDB_IDLE), busy_(IDB_BUSY) {}

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(idle_.width(), 140);
        ASSERT_EQ(busy_.width(), 140);
        points_ = TellingPoints(idle_, busy_, 12);
        ASSERT_GE(points_.size(), 8u);
    }

    // Every telling point shows `picture`'s colour.
    void ExpectShows(HWND hwnd, const ResourcePicture& picture, const char* what) {
        for (const Point& p : points_) {
            EXPECT_EQ(WindowPixel(hwnd, p.x, p.y), picture.At(p.x, p.y)) << what << " at " << p.x << "," << p.y;
        }
    }

    ResourcePicture idle_, busy_;
    std::vector<Point> points_;
};

TEST_F(PictureTest, IdlePictureFillsTheClientAreaAfterUpdate) {
    MainWindow main;
    main.Show();
    ExpectShows(main.hwnd(), idle_, "idle");
    // The plain sky of the art, wherever the art has it.
    const COLORREF sky = RGB(0, 178, 235);
    int checked = 0;
    for (int y = 0; y < 140 && checked < 4; y += 9) {
        for (int x = 0; x < 140 && checked < 4; x += 13) {
            if (idle_.At(x, y) != sky) continue;
            EXPECT_EQ(WindowPixel(main.hwnd(), x, y), sky) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4) << "sky-blue points in the idle art";
    // Corners of the client area belong to the picture too.
    EXPECT_EQ(WindowPixel(main.hwnd(), 0, 0), idle_.At(0, 0));
    EXPECT_EQ(WindowPixel(main.hwnd(), 139, 139), idle_.At(139, 139));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(main.hwnd(), &update, FALSE)) << "painting validated the client area";
}

TEST_F(PictureTest, PaintShowsThePictureOfTheBusyFlag) {
    MainWindow main;
    main.Show();
    LiveSettings()->busy = 1;
    InvalidateRect(main.hwnd(), nullptr, TRUE);
    UpdateWindow(main.hwnd());
    ExpectShows(main.hwnd(), busy_, "busy after WM_PAINT");
    RECT update;
    EXPECT_FALSE(GetUpdateRect(main.hwnd(), &update, FALSE));

    LiveSettings()->busy = 0;
    DrawStateImage(main.hwnd(), *LiveSettings());
    ExpectShows(main.hwnd(), idle_, "idle drawn directly");
}

// The main window's pixels at the telling points, read when the first line of
// a drop reaches the log: the batch is then in the middle of its work.
struct Sampler {
    WNDPROC original = nullptr;
    HWND main = nullptr;
    std::vector<Point> points;
    std::vector<COLORREF> seen;
    int addCount = 0;
};
Sampler* sampler = nullptr;

LRESULT CALLBACK SamplingLogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LOGM_ADD && sampler->addCount++ == 0) {
        for (const Point& p : sampler->points) sampler->seen.push_back(WindowPixel(sampler->main, p.x, p.y));
    }
    return CallWindowProcA(sampler->original, hwnd, message, wParam, lParam);
}

TEST_F(PictureTest, BusyPictureShowsWhileADropRuns) {
    TempFolder folder;
    ASSERT_NO_THROW(WriteFile(folder.Path("a.txt"), "not mp3"));
    ASSERT_NO_THROW(WriteFile(folder.Path("b.txt"), "nope"));
    MainWindow main;
    main.Show();
    Sampler s;
    s.main = main.hwnd();
    s.points = points_;
    sampler = &s;
    s.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main.log(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SamplingLogProc)));
    ASSERT_NE(s.original, nullptr);

    SendDrop(main.hwnd(), {folder.Path("a.txt"), folder.Path("b.txt")});
    SetWindowLongPtrA(main.log(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.original));
    sampler = nullptr;

    EXPECT_EQ(s.addCount, 2);
    ASSERT_EQ(s.seen.size(), points_.size());
    for (size_t i = 0; i < points_.size(); ++i) {
        EXPECT_EQ(s.seen[i], busy_.At(points_[i].x, points_[i].y)) << "busy at " << points_[i].x << "," << points_[i].y;
    }
    EXPECT_EQ(LiveSettings()->busy, 0);
    ExpectShows(main.hwnd(), idle_, "idle after the drop");
}

TEST_F(MainWindowTest, ClosingEndsTheMessageLoopWithCodeZeroAndTakesTheLogAlong) {
    MainWindow main;
    HWND log = main.log();
    ASSERT_TRUE(IsWindow(log));
    PostMessageA(main.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMainWindow(main.hwnd()), 0);
    EXPECT_FALSE(IsWindow(main.hwnd()));
    EXPECT_FALSE(IsWindow(log)) << "the owned log window goes with its owner";
}

// --- quillon.exe as its own process --------------------------------------------

struct FoundWindow {
    DWORD process;
    HWND hwnd;
};

BOOL CALLBACK FindProcessMainWindow(HWND hwnd, LPARAM lParam) {
    FoundWindow* found = reinterpret_cast<FoundWindow*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char name[32] = {}, text[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    GetWindowTextA(hwnd, text, sizeof text);
    if (process == found->process && strcmp(name, "QuillonMain") == 0 && strcmp(text, "Quillon") == 0) {
        found->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The built program's path as Wine sees the Unix one: drive Z: is the root.
std::string ProgramPath() {
    std::string path = "Z:";
    for (const char* p = QUILLON_EXE; *p; ++p) path += *p == '/' ? '\\' : *p;
    return path;
}

TEST_F(MainWindowTest, ProgramEndsWithCodeZeroWhenClosedAndIgnoresItsCommandLine) {
    TempFolder folder;
    // A file that a drop would rename to Song.mp3.
    std::string mp3 =
        Bytes().Text("ID3").Raw({3, 0, 0, 0, 0, 0, 20}).Text("TIT2").Raw({0, 0, 0, 5, 0, 0, 0}).Text("Song");
    mp3.resize(200, 0);
    std::string track = folder.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(track, mp3));

    std::string command = "\"" + ProgramPath() + "\" \"" + track + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        << command;

    // The window is listed from its creation on, before WinMain shows it:
    // wait until it is both there and shown.
    FoundWindow found = {child.dwProcessId, nullptr};
    for (int i = 0; i < 300; ++i) {
        EnumWindows(FindProcessMainWindow, reinterpret_cast<LPARAM>(&found));
        if (found.hwnd != nullptr && IsWindowVisible(found.hwnd)) break;
        Sleep(50);
    }
    ASSERT_NE(found.hwnd, nullptr) << "quillon.exe shows its window";
    EXPECT_TRUE(IsWindowVisible(found.hwnd));
    RECT client;
    GetClientRect(found.hwnd, &client);
    EXPECT_EQ(client.right, 140);
    EXPECT_EQ(client.bottom, 140);
    EXPECT_EQ(ReadSetting("Filename Type"), "Title") << "first start wrote the defaults";

    PostMessageA(found.hwnd, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 15000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"track01.mp3"}) << "nothing renamed";
    EXPECT_EQ(ReadFile(track), mp3);
}

}  // namespace
