// The first opening of the properties dialog in a run, when the store lost its
// values after the program started: the dialog's working copy is then still
// all zero where the store could not fill it. Each test needs a fresh process
// (the working copy lives as long as the process), so each is registered as a
// test of its own with a filter.
#include <gtest/gtest.h>

#include "properties_support.h"

namespace {

using props::CheckedRadios;
using props::Click;
using props::StoredTexts;

struct FirstOpening {
    std::vector<int> checked;
    bool seen = false;
    bool ended = false;
};

// Lets `empty` take values away from the store of the running program, then
// opens the dialog by a right click and presses OK.
FirstOpening OpenAfter(const props::ShownMainWindow& main, void (*empty)()) {
    empty();
    FirstOpening opening;
    HWND hwnd = main.hwnd();
    props::Visit visit = props::VisitDialog(
        hwnd, [hwnd] { SendMessageA(hwnd, WM_RBUTTONUP, 0, 0); },
        [&opening](HWND dialog) {
            opening.checked = CheckedRadios(dialog);
            Click(dialog, IDOK);
        });
    opening.seen = visit.seen;
    opening.ended = visit.endedByIt;
    return opening;
}

TEST(PropertiesFirstOpening, EmptiedStoreChecksNothingAndOkSavesEachLastChoice) {
    props::WriteStore("Title-Artist", "V1", "OK");
    props::ShownMainWindow main;
    FirstOpening opening = OpenAfter(main, shelltest::DeleteSettingsKey);
    ASSERT_TRUE(opening.seen);
    EXPECT_TRUE(opening.ended);
    EXPECT_EQ(opening.checked, std::vector<int>{});
    EXPECT_EQ(StoredTexts(), "Artist-Title|V2|NG");

    // OK reloads the live record from what was just saved.
    const Settings* live = LiveSettings();
    EXPECT_EQ(live->nameFormat, NAME_ARTIST_TITLE);
    EXPECT_EQ(live->primaryTag, PRIMARY_V2);
    EXPECT_EQ(live->logWindow, LOG_HIDE);
    EXPECT_FALSE(main.LogVisible());

    // Later openings over an emptied store show what the working copy kept:
    // the zeros that OK saved as last choices (saving does not fill the copy),
    // and after Cancel the clicks made before it.
    std::vector<int> second, third;
    HWND hwnd = main.hwnd();
    auto rightClick = [hwnd] { SendMessageA(hwnd, WM_RBUTTONUP, 0, 0); };
    shelltest::DeleteSettingsKey();
    props::VisitDialog(hwnd, rightClick, [&second](HWND dialog) {
        second = CheckedRadios(dialog);
        Click(dialog, IDC_NAME_TITLE);
        Click(dialog, IDC_TAG_V1);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(second, std::vector<int>{});
    EXPECT_EQ(StoredTexts(), "<missing>|<missing>|<missing>");
    props::VisitDialog(hwnd, rightClick, [&third](HWND dialog) {
        third = CheckedRadios(dialog);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(third, (std::vector<int>{IDC_NAME_TITLE, IDC_TAG_V1}));
}

void DeletePrimaryTag() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, shelltest::kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "Primary Tag");
    RegCloseKey(key);
}

TEST(PropertiesFirstOpening, MissingPrimaryTagLeavesItAndTheLaterGroupEmpty) {
    // The reads stop at the missing value: the name format is shown, the two
    // groups after it are not.
    props::WriteStore("Title-Artist", "V1", "OK");
    props::ShownMainWindow main;
    FirstOpening opening = OpenAfter(main, DeletePrimaryTag);
    ASSERT_TRUE(opening.seen);
    EXPECT_TRUE(opening.ended);
    EXPECT_EQ(opening.checked, std::vector<int>{IDC_NAME_TITLE_ARTIST});
    EXPECT_EQ(StoredTexts(), "Title-Artist|V2|NG");
}

}  // namespace
