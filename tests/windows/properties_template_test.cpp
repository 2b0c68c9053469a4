// The IDD_PROPERTIES template as linked into the module, read back field by
// field: what the dialog manager will build the properties dialog from.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "quillon_version.h"
#include "resource.h"

namespace {

// Reads little-endian fields from the resource's bytes; it never reads past
// them and reports an overrun instead.
class TemplateReader {
  public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool overrun() const {
        return overrun_;
    }
    size_t position() const {
        return position_;
    }

    uint16_t Word() {
        if (size_ - position_ < 2) return Fail();
        uint16_t value = static_cast<uint16_t>(data_[position_] | data_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    uint32_t Dword() {
        uint32_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    int16_t Short() {
        return static_cast<int16_t>(Word());
    }
    // A NUL-terminated UTF-16 text.
    std::wstring Text() {
        std::wstring text;
        for (uint16_t c = Word(); c != 0 && !overrun_; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A menu, class or title field: 0xFFFF and an ordinal, or a text.
    struct NameOrOrdinal {
        bool isOrdinal;
        uint16_t ordinal;
        std::wstring text;
    };
    NameOrOrdinal Name() {
        if (size_ - position_ >= 2 && data_[position_] == 0xFF && data_[position_ + 1] == 0xFF) {
            Word();
            return {true, Word(), L""};
        }
        return {false, 0, Text()};
    }
    void AlignToDword() {
        while (position_ % 4 != 0 && position_ < size_) ++position_;
    }
    void Skip(size_t count) {
        if (size_ - position_ < count) {
            Fail();
            return;
        }
        position_ += count;
    }

  private:
    uint16_t Fail() {
        overrun_ = true;
        position_ = size_;
        return 0;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool overrun_ = false;
};

struct Item {
    uint32_t style;
    uint32_t exStyle;
    int16_t x, y, cx, cy;
    uint16_t id;
    uint16_t classAtom;  // 0 when the class is given by name
    std::wstring className;
    std::wstring text;
    uint16_t extraBytes;
};

struct DialogTemplate {
    uint32_t style;
    uint32_t exStyle;
    uint16_t count;
    int16_t x, y, cx, cy;
    TemplateReader::NameOrOrdinal menu;
    TemplateReader::NameOrOrdinal windowClass;
    std::wstring caption;
    uint16_t pointSize;
    std::wstring face;
    std::vector<Item> items;
    size_t size;
    size_t consumed;
    bool overrun;
};

bool LoadPropertiesTemplate(DialogTemplate& out) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_PROPERTIES),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    if (found == nullptr) return false;
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    size_t size = SizeofResource(module, found);
    if (data == nullptr) return false;

    TemplateReader r(data, size);
    out.style = r.Dword();
    out.exStyle = r.Dword();
    out.count = r.Word();
    out.x = r.Short();
    out.y = r.Short();
    out.cx = r.Short();
    out.cy = r.Short();
    out.menu = r.Name();
    out.windowClass = r.Name();
    out.caption = r.Text();
    out.pointSize = 0;
    if (out.style & DS_SETFONT) {
        out.pointSize = r.Word();
        out.face = r.Text();
    }
    for (uint16_t i = 0; i < out.count && !r.overrun(); ++i) {
        r.AlignToDword();
        Item item = {};
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = r.Word();
        TemplateReader::NameOrOrdinal cls = r.Name();
        item.classAtom = cls.isOrdinal ? cls.ordinal : 0;
        item.className = cls.text;
        TemplateReader::NameOrOrdinal text = r.Name();
        item.text = text.isOrdinal ? L"#" + std::to_wstring(text.ordinal) : text.text;
        item.extraBytes = r.Word();
        r.Skip(item.extraBytes);
        out.items.push_back(item);
    }
    out.size = size;
    out.consumed = r.position();
    out.overrun = r.overrun();
    return true;
}

class PropertiesTemplate : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadPropertiesTemplate(t_)) << "IDD_PROPERTIES (Japanese) is not in the module";
        ASSERT_FALSE(t_.overrun) << "the template ends inside a field";
    }
    DialogTemplate t_;
};

TEST_F(PropertiesTemplate, IsAClassicTemplateWithTheDialogsFrame) {
    // An extended template starts with version 1 and 0xFFFF, read here as the
    // low and high word of the style.
    EXPECT_NE(t_.style & 0xFFFF0000u, 0xFFFF0000u) << "extended template";
    EXPECT_EQ(t_.style, 0x80C808C0u);
    EXPECT_EQ(t_.exStyle, 0u);
    EXPECT_EQ(t_.count, 13);
    EXPECT_EQ(t_.x, 0);
    EXPECT_EQ(t_.y, 0);
    EXPECT_EQ(t_.cx, 127);
    EXPECT_EQ(t_.cy, 187);
    EXPECT_FALSE(t_.menu.isOrdinal);
    EXPECT_EQ(t_.menu.text, L"") << "a menu";
    EXPECT_FALSE(t_.windowClass.isOrdinal);
    EXPECT_EQ(t_.windowClass.text, L"") << "a window class of its own";
    EXPECT_EQ(t_.caption, L"プロパティ");
    EXPECT_EQ(t_.pointSize, 9);
    EXPECT_EQ(t_.face, L"ＭＳ Ｐゴシック");
    // Nothing but padding after the last item.
    EXPECT_LE(t_.size - t_.consumed, 3u);
}

struct ExpectedItem {
    int id;
    uint16_t classAtom;
    const wchar_t* text;
    int16_t x, y, cx, cy;
    uint32_t style;
};

const uint16_t kButton = 0x0080;
const uint16_t kStatic = 0x0082;

const ExpectedItem kItems[] = {
    {1000, kButton, L"曲名のみ", 10, 20, 43, 10, 0x50010009},
    {1001, kButton, L"曲名 - アーティスト名", 10, 34, 79, 10, 0x50010009},
    {1002, kButton, L"アーティスト名 - 曲名", 10, 48, 79, 10, 0x50010009},
    {1003, kButton, L"ID3v1 Tag", 10, 84, 46, 10, 0x50030009},
    {1004, kButton, L"ID3v2 Tag", 58, 84, 46, 10, 0x50010009},
    {1005, kButton, L"表示する", 10, 122, 42, 10, 0x50030009},
    {1006, kButton, L"表示しない", 58, 122, 47, 10, 0x50010009},
    {IDOK, kButton, L"OK", 9, 170, 50, 14, 0x50010001},
    {IDCANCEL, kButton, L"ｷｬﾝｾﾙ", 67, 170, 50, 14, 0x50010000},
    {0xFFFF, kButton, L"ファイル名の形式", 4, 6, 118, 58, 0x50000007},
    {0xFFFF, kButton, L"優先するID3 Tag", 4, 70, 118, 30, 0x50000007},
    {0xFFFF, kButton, L"変換ログ・ウィンドウ", 4, 108, 118, 30, 0x50000007},
    {0xFFFF, kStatic, nullptr, 7, 142, 112, 24, 0x50020001},
};

TEST_F(PropertiesTemplate, HoldsTheThirteenControlsInTabOrder) {
    ASSERT_EQ(t_.items.size(), 13u);
    for (size_t i = 0; i < t_.items.size(); ++i) {
        const Item& got = t_.items[i];
        const ExpectedItem& want = kItems[i];
        SCOPED_TRACE("item " + std::to_string(i + 1));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.classAtom, want.classAtom);
        EXPECT_EQ(got.className, L"");
        if (want.text != nullptr) {
            EXPECT_EQ(got.text, want.text);
        }
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.extraBytes, 0);
        EXPECT_EQ(got.style & (WS_CHILD | WS_VISIBLE), static_cast<uint32_t>(WS_CHILD | WS_VISIBLE));
    }
}

TEST_F(PropertiesTemplate, GroupsStartAtTheSecondAndThirdChoiceAndTheAboutText) {
    std::vector<size_t> groupStarts;
    for (size_t i = 0; i < t_.items.size(); ++i) {
        if (t_.items[i].style & WS_GROUP) groupStarts.push_back(i + 1);
    }
    EXPECT_EQ(groupStarts, (std::vector<size_t>{4, 6, 13}));
}

TEST_F(PropertiesTemplate, AboutTextHasThreeLinesNamingTheProgramAndVersion) {
    ASSERT_EQ(t_.items.size(), 13u);
    const std::wstring& about = t_.items[12].text;
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = about.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        lines.push_back(about.substr(start, end - start));
    }
    lines.push_back(about.substr(start));
    ASSERT_EQ(lines.size(), 3u) << "lines are separated by bare line feeds";
    EXPECT_EQ(lines[0], L"Quillon Ver." QUILLON_VERSION);
    EXPECT_EQ(lines[1], L"for Windows");
    EXPECT_FALSE(lines[2].empty());
    EXPECT_EQ(about.find(L'\r'), std::wstring::npos);
}

}  // namespace
