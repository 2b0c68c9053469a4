// The log window as the program builds it: its template read back from the
// module, its four messages, and what it refuses (closing, selecting).
#include <gtest/gtest.h>

#include "log_window.h"
#include "shell_test_support.h"

using namespace shelltest;

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// Reads a resource's bytes in order and never past their end: every read of
// a truncated template fails the test instead of running off.
class TemplateReader {
  public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const {
        return ok_;
    }
    size_t position() const {
        return at_;
    }
    uint8_t Byte() {
        if (!Need(1)) return 0;
        return data_[at_++];
    }
    uint16_t Word() {
        if (!Need(2)) return 0;
        uint16_t v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    uint32_t Dword() {
        uint32_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    int16_t Short() {
        return static_cast<int16_t>(Word());
    }
    // A NUL-terminated UTF-16 string.
    std::wstring Text() {
        std::wstring s;
        for (uint16_t c = Word(); ok_ && c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    // The "string or ordinal" field: 0 (none), 0xFFFF plus an ordinal, or a
    // string. An ordinal is returned as "#n".
    std::wstring NameOrOrdinal() {
        uint16_t first = Word();
        if (first == 0) return L"";
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring s(1, static_cast<wchar_t>(first));
        return s + Text();
    }
    void AlignDword() {
        while (ok_ && at_ % 4 != 0) Byte();
    }

  private:
    bool Need(size_t n) {
        if (!ok_ || size_ - at_ < n) ok_ = false;
        return ok_;
    }
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

TEST(LogTemplate, ExtendedTemplateHoldsEveryFieldOfTheLogWindow) {
    HRSRC found =
        FindResourceExA(TestInstance(), MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_LOG), kJapanese);
    ASSERT_NE(found, nullptr) << "IDD_LOG in Japanese";
    DWORD size = SizeofResource(TestInstance(), found);
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(TestInstance(), found)));
    ASSERT_NE(data, nullptr);
    TemplateReader r(data, size);

    EXPECT_EQ(r.Word(), 1) << "dlgVer";
    EXPECT_EQ(r.Word(), 0xFFFF) << "signature";
    EXPECT_EQ(r.Dword(), 0u) << "helpID";
    EXPECT_EQ(r.Dword(), 0x00000004u) << "exStyle WS_EX_NOPARENTNOTIFY";
    EXPECT_EQ(r.Dword(), 0x00C008C0u) << "style";
    EXPECT_EQ(r.Word(), 1) << "item count";
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 228);
    EXPECT_EQ(r.Short(), 188);
    EXPECT_EQ(r.NameOrOrdinal(), L"") << "menu";
    EXPECT_EQ(r.NameOrOrdinal(), L"") << "class";
    EXPECT_EQ(r.Text(), L"\u30EA\u30CD\u30FC\u30E0\u30ED\u30B0") << "caption リネームログ";
    EXPECT_EQ(r.Word(), 9) << "point size";
    EXPECT_EQ(r.Word(), 0) << "weight";
    EXPECT_EQ(r.Byte(), 0) << "italic";
    EXPECT_EQ(r.Byte(), 1) << "charset";
    EXPECT_EQ(r.Text(), L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF") << "face ＭＳ ゴシック";

    r.AlignDword();
    EXPECT_EQ(r.Dword(), 0u) << "item helpID";
    EXPECT_EQ(r.Dword(), 0u) << "item exStyle";
    EXPECT_EQ(r.Dword(), 0x50B04100u) << "item style";
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 228);
    EXPECT_EQ(r.Short(), 188);
    EXPECT_EQ(r.Dword(), static_cast<uint32_t>(IDC_LOG_LIST));
    std::wstring cls = r.NameOrOrdinal();
    EXPECT_TRUE(cls == L"#131" || cls == L"LISTBOX") << "class of the list box";
    EXPECT_EQ(r.NameOrOrdinal(), L"") << "item text";
    EXPECT_EQ(r.Word(), 0) << "creation data";
    ASSERT_TRUE(r.ok()) << "template ends early";
    EXPECT_LE(size - r.position(), 3u) << "bytes after the one item";
}

TEST(LogTemplate, OutcomeMessagesAreTheTenByteShiftJisTexts) {
    ASSERT_EQ(GetACP(), 932u) << "tests run in the Japanese locale";
    const char* expected[] = {
        "\x81\x7E\xB1\xB8\xBE\xBD\x8E\xB8\x94\x73",  // ×ｱｸｾｽ失敗
        "\x81\x7E\xCC\xA7\xB2\xD9\xB4\xD7\xB0\x20",  // ×ﾌｧｲﾙｴﾗｰ + blank
        "\x81\x7E\xC0\xB8\xDE\x82\xC8\x82\xB5\x20",  // ×ﾀｸﾞなし + blank
        "\x81\x7E\x8B\xC8\x96\xBC\x82\xC8\x82\xB5",  // ×曲名なし
        "\x81\x7E\xD8\xC8\xB0\xD1\xB4\xD7\xB0\x20",  // ×ﾘﾈｰﾑｴﾗｰ + blank
        "\x81\x9B\x90\xB3\x8F\xED\x8F\x49\x97\xB9",  // ○正常終了
    };
    for (int id = 1; id <= 6; ++id) {
        char text[64];
        memset(text, 0x55, sizeof text);
        int length = LoadStringA(TestInstance(), static_cast<UINT>(id), text, sizeof text);
        EXPECT_EQ(length, 10) << "id " << id;
        EXPECT_EQ(std::string(text), std::string(expected[id - 1], 10)) << "id " << id;
    }
}

class LogWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteSettingsKey();
    }
    void TearDown() override {
        DeleteSettingsKey();
    }
};

TEST_F(LogWindowTest, MessagesAppendAndClearLinesInOrder) {
    MainWindow main;
    HWND log = main.log();
    ASSERT_TRUE(IsWindow(log));
    SendMessageA(log, LOGM_CLEAR, 0, 0);
    EXPECT_TRUE(LogLines(log).empty());
    SendMessageA(log, LOGM_CLEAR, 0, 0);
    EXPECT_TRUE(LogLines(log).empty()) << "clearing an empty log";

    char line[] = "first line";
    SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(line));
    // The list box keeps its own copy: the sender may reuse its buffer at once.
    lstrcpyA(line, "changed");
    SendMessageA(log, LOGM_READY, 0, 0);
    SendMessageA(log, LOGM_READY, 0, 0);
    SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(log, LOGM_CONFIG, 0, 0);
    std::vector<std::string> expected = {"first line", "READY.", "READY.", "", "Configuration..."};
    EXPECT_EQ(LogLines(log), expected);

    SendMessageA(log, LOGM_CLEAR, 0, 0);
    EXPECT_TRUE(LogLines(log).empty());
}

TEST_F(LogWindowTest, IsAnOwnedCaptionWindowWithoutCloseBox) {
    MainWindow main;
    HWND log = main.log();
    ASSERT_TRUE(IsWindow(log));
    EXPECT_EQ(GetWindow(log, GW_OWNER), main.hwnd());
    LONG style = GetWindowLongA(log, GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU) << "no window menu, no close box";
    EXPECT_FALSE(style & (WS_CHILD | WS_POPUP));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);

    // The list box fills the client area exactly.
    RECT client, list;
    GetClientRect(log, &client);
    GetWindowRect(LogList(log), &list);
    EXPECT_EQ(list.right - list.left, client.right - client.left);
    EXPECT_EQ(list.bottom - list.top, client.bottom - client.top);
    LONG listStyle = GetWindowLongA(LogList(log), GWL_STYLE);
    EXPECT_TRUE(listStyle & LBS_NOSEL);
    EXPECT_FALSE(listStyle & LBS_SORT);
}

TEST_F(LogWindowTest, CloseAndCancelLeaveItOpenAndAsVisibleAsBefore) {
    MainWindow main;
    HWND log = main.log();
    ASSERT_TRUE(IsWindow(log));
    for (int shown = 0; shown <= 1; ++shown) {
        ShowWindow(log, shown ? SW_SHOW : SW_HIDE);
        PumpMessages();
        SendMessageA(log, WM_CLOSE, 0, 0);
        PumpMessages();
        SendMessageA(log, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PumpMessages();
        SendMessageA(log, WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpMessages();
        ASSERT_TRUE(IsWindow(log)) << "shown " << shown;
        EXPECT_EQ(IsWindowVisible(log) != FALSE, shown == 1) << "shown " << shown;
        EXPECT_EQ(LogLines(log), std::vector<std::string>{"READY."});
    }
}

TEST_F(LogWindowTest, LinesCannotBeSelected) {
    MainWindow main;
    HWND log = main.log();
    ShowWindow(log, SW_SHOW);
    char a[] = "one", b[] = "two";
    SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(a));
    SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(b));
    HWND list = LogList(log);
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & LBS_NOSEL);
    // Wine's list box still paints a clicked line of an LBS_NOSEL list as
    // selected (Windows does not), so the refusal is checked, not the pixels.
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 1, 0), LB_ERR);
    EXPECT_EQ(LogLines(log), (std::vector<std::string>{"READY.", "one", "two"}));
}

TEST_F(LogWindowTest, LinesSentWhileHiddenAreThereWhenShown) {
    MainWindow main;
    HWND log = main.log();
    ASSERT_FALSE(IsWindowVisible(log));
    for (int i = 0; i < 40; ++i) {
        char line[32];
        wsprintfA(line, "line %d", i);
        SendMessageA(log, LOGM_ADD, 0, reinterpret_cast<LPARAM>(line));
    }
    ShowWindow(log, SW_SHOW);
    PumpMessages();
    std::vector<std::string> lines = LogLines(log);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines.front(), "READY.");
    EXPECT_EQ(lines.back(), "line 39");
    // Nothing scrolls the list: the first line stays at the top.
    EXPECT_EQ(SendMessageA(LogList(log), LB_GETTOPINDEX, 0, 0), 0);
}

}  // namespace
