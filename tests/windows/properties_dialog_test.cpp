// The properties dialog driven as a user drives it: the real modal dialog over
// the real main window, the settings in the Wine registry, real drops of real
// MP3 files. The dialog's working copy lives for the whole process; every test
// here stores a complete set of values first, so each opening starts from them.
#include <gtest/gtest.h>

#include "log_window.h"
#include "properties_support.h"

namespace {

using props::CheckedRadios;
using props::Click;
using props::ShownMainWindow;
using props::StoredTexts;
using props::VisitDialog;

// Opens the dialog through OpenProperties, calls `act` on it, and expects the
// dialog to have shown up and ended by what `act` did.
void OpenPropertiesAnd(HWND main, const std::function<void(HWND)>& act) {
    props::Visit visit = VisitDialog(
        main, [main] { OpenProperties(main); }, act);
    EXPECT_TRUE(visit.seen) << "the properties dialog never showed up";
    EXPECT_TRUE(visit.endedByIt) << "the properties dialog did not end";
}

// Runs the dialog box directly, as OpenProperties does, and returns its result.
INT_PTR DialogResultAfter(HWND main, const std::function<void(HWND)>& act) {
    INT_PTR result = -2;
    props::Visit visit = VisitDialog(
        main, [main, &result] { result = props::RunDialogBox(main); }, act);
    EXPECT_TRUE(visit.seen) << "the properties dialog never showed up";
    EXPECT_TRUE(visit.endedByIt) << "the properties dialog did not end";
    return result;
}

struct OpeningCase {
    const char* nameFormat;
    const char* primaryTag;
    const char* logWindow;
    std::vector<int> checked;
};

TEST(PropertiesDialog, OpensWithExactlyTheStoredChoicesChecked) {
    const OpeningCase cases[] = {
        {"Title-Artist", "V1", "OK", {IDC_NAME_TITLE_ARTIST, IDC_TAG_V1, IDC_LOG_SHOW}},
        {"Title", "V2", "NG", {IDC_NAME_TITLE, IDC_TAG_V2, IDC_LOG_HIDE}},
        {"Artist-Title", "V1", "NG", {IDC_NAME_ARTIST_TITLE, IDC_TAG_V1, IDC_LOG_HIDE}},
        // Texts the store does not know read as the last choice of their field.
        {"title", "v1", "ok", {IDC_NAME_ARTIST_TITLE, IDC_TAG_V2, IDC_LOG_HIDE}},
    };
    ShownMainWindow main;
    for (const OpeningCase& c : cases) {
        SCOPED_TRACE(std::string(c.nameFormat) + "|" + c.primaryTag + "|" + c.logWindow);
        props::WriteStore(c.nameFormat, c.primaryTag, c.logWindow);
        std::vector<int> checked;
        OpenPropertiesAnd(main.hwnd(), [&checked](HWND dialog) {
            checked = CheckedRadios(dialog);
            Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(checked, c.checked);
    }
}

TEST(PropertiesDialog, ArtistTitleThenOkEndsWithOneAndIsStored) {
    props::WriteStore("Title-Artist", "V1", "OK");
    ShownMainWindow main;
    std::vector<int> checkedAfterClick;
    INT_PTR result = DialogResultAfter(main.hwnd(), [&checkedAfterClick](HWND dialog) {
        Click(dialog, IDC_NAME_ARTIST_TITLE);
        checkedAfterClick = CheckedRadios(dialog);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(checkedAfterClick, (std::vector<int>{IDC_NAME_ARTIST_TITLE, IDC_TAG_V1, IDC_LOG_SHOW}));
    EXPECT_EQ(StoredTexts(), "Artist-Title|V1|OK");
}

TEST(PropertiesDialog, ArtistTitleThenOkNamesTheNextDropArtistFirst) {
    props::WriteStore("Title-Artist", "V1", "OK");
    ShownMainWindow main;
    OpenPropertiesAnd(main.hwnd(), [](HWND dialog) {
        Click(dialog, IDC_NAME_ARTIST_TITLE);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(StoredTexts(), "Artist-Title|V1|OK");

    // ID3v1 first (as stored), artist first (as just chosen).
    TempFolder folder;
    std::string song = folder.Path("track01.mp3");
    ASSERT_NO_THROW(WriteFile(song, TaggedMp3("Title Two", "Artist Two", "Title One", "Artist One")));
    shelltest::SendDrop(main.hwnd(), {song});
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"Artist One - Title One.mp3"});
}

TEST(PropertiesDialog, OkWithoutClicksRewritesTheValuesAsTheyRead) {
    props::WriteStore("Title-Artist", "V1", "OK");
    ShownMainWindow main;
    props::WriteStore("Title-Artist", "v1", "ok");
    EXPECT_EQ(DialogResultAfter(main.hwnd(), [](HWND dialog) { Click(dialog, IDOK); }), 1);
    EXPECT_EQ(StoredTexts(), "Title-Artist|V2|NG");
}

TEST(PropertiesDialog, ClickingTheCheckedButtonsChangesNothing) {
    props::WriteStore("Title-Artist", "V1", "OK");
    ShownMainWindow main;
    std::vector<int> checked;
    EXPECT_EQ(DialogResultAfter(main.hwnd(),
                                [&checked](HWND dialog) {
                                    Click(dialog, IDC_NAME_TITLE_ARTIST);
                                    Click(dialog, IDC_TAG_V1);
                                    Click(dialog, IDC_LOG_SHOW);
                                    checked = CheckedRadios(dialog);
                                    Click(dialog, IDOK);
                                }),
              1);
    EXPECT_EQ(checked, (std::vector<int>{IDC_NAME_TITLE_ARTIST, IDC_TAG_V1, IDC_LOG_SHOW}));
    EXPECT_EQ(StoredTexts(), "Title-Artist|V1|OK");
}

TEST(PropertiesDialog, ArtistTitleThenCancelStoresNothingAndTheNextOpeningShowsTheStoredChoice) {
    props::WriteStore("Title", "V2", "NG");
    ShownMainWindow main;
    EXPECT_EQ(DialogResultAfter(main.hwnd(),
                                [](HWND dialog) {
                                    Click(dialog, IDC_NAME_ARTIST_TITLE);
                                    Click(dialog, IDC_TAG_V1);
                                    Click(dialog, IDCANCEL);
                                }),
              0);
    EXPECT_EQ(StoredTexts(), "Title|V2|NG");

    std::vector<int> checked;
    OpenPropertiesAnd(main.hwnd(), [&checked](HWND dialog) {
        checked = CheckedRadios(dialog);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(checked, (std::vector<int>{IDC_NAME_TITLE, IDC_TAG_V2, IDC_LOG_HIDE}));
}

struct EndingCase {
    const char* how;
    void (*end)(HWND dialog);
    INT_PTR result;
    const char* stored;
};

TEST(PropertiesDialog, EscAndTheCloseBoxEndAsCancelAndEnterAsOk) {
    const EndingCase cases[] = {
        {"Esc", [](HWND dialog) { props::PressKey(dialog, VK_ESCAPE); }, 0, "Title|V2|NG"},
        {"close box", props::CloseBox, 0, "Title|V2|NG"},
        {"Enter", [](HWND dialog) { props::PressKey(dialog, VK_RETURN); }, 1, "Artist-Title|V2|NG"},
    };
    props::WriteStore("Title", "V2", "NG");
    ShownMainWindow main;
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.how);
        props::WriteStore("Title", "V2", "NG");
        bool focusOnFirst = false, focusOnClicked = false;
        INT_PTR result = DialogResultAfter(main.hwnd(), [&](HWND dialog) {
            // The dialog manager puts the focus on the first tab stop; the key
            // goes to whichever control has it, here the clicked radio button.
            focusOnFirst = GetFocus() == GetDlgItem(dialog, IDC_NAME_TITLE);
            Click(dialog, IDC_NAME_ARTIST_TITLE);
            focusOnClicked = GetFocus() == GetDlgItem(dialog, IDC_NAME_ARTIST_TITLE);
            c.end(dialog);
        });
        EXPECT_TRUE(focusOnFirst);
        EXPECT_TRUE(focusOnClicked);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(StoredTexts(), c.stored);
    }
}

TEST(PropertiesDialog, OkWithHideHidesTheLogWhichKeepsItsLinesUntilShowBringsItBack) {
    props::WriteStore("Title", "V2", "OK");
    ShownMainWindow main;
    ASSERT_TRUE(main.LogVisible());

    OpenPropertiesAnd(main.hwnd(), [](HWND dialog) {
        Click(dialog, IDC_LOG_HIDE);
        Click(dialog, IDOK);
    });
    EXPECT_FALSE(main.LogVisible());
    EXPECT_EQ(StoredTexts(), "Title|V2|NG");

    // Hidden, the log is still filled: a drop replaces its lines with its own.
    TempFolder folder;
    std::string song = folder.Path("hidden.mp3");
    ASSERT_NO_THROW(WriteFile(song, TaggedMp3("V2 Song", "V2 Band", "V1 Song", "V1 Band")));
    shelltest::SendDrop(main.hwnd(), {song});
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"V2 Song.mp3"});
    std::vector<std::string> afterDrop = main.LogLines();
    ASSERT_EQ(afterDrop.size(), 2u);
    EXPECT_NE(afterDrop[0].find(song), std::string::npos) << afterDrop[0];
    EXPECT_EQ(afterDrop[1], "READY.");
    EXPECT_FALSE(main.LogVisible());

    OpenPropertiesAnd(main.hwnd(), [](HWND dialog) {
        Click(dialog, IDC_LOG_SHOW);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(main.LogVisible());
    EXPECT_EQ(StoredTexts(), "Title|V2|OK");
    std::vector<std::string> expected = afterDrop;
    expected.insert(expected.end(), {"Configuration...", "READY."});
    EXPECT_EQ(main.LogLines(), expected);
}

// The dialog's loop also hands drops on to its disabled owner (an XDND drop
// under Wine, WM_DROPFILES posted by a shell): one is let go untouched.
TEST(PropertiesDialog, RightClickShowsBusyLogsConfigurationAndNeitherCancelNorADropMeanwhileChangesAnything) {
    props::WriteStore("Title-Artist", "V1", "NG");
    ShownMainWindow main;
    TempFolder folder;
    const std::string song = TaggedMp3("V2 Song", "V2 Band", "V1 Song", "V1 Band");
    ASSERT_NO_THROW(WriteFile(folder.Path("track01.mp3"), song));
    HDROP drop = shelltest::MakeDrop({folder.Path("track01.mp3")});
    // Another copy of the program stores other choices meanwhile; the dialog
    // shows them, but Cancel takes nothing over from the store.
    props::WriteStore("Artist-Title", "V2", "OK");
    const std::vector<uint32_t> busy = props::ResourcePicture(IDB_BUSY);
    const std::vector<uint32_t> idle = props::ResourcePicture(IDB_IDLE);
    ASSERT_NE(busy, idle);
    ASSERT_TRUE(props::ShownPicture(main.hwnd()) == idle) << "the idle picture is not on the window at start";

    const std::vector<std::string> before = main.LogLines();
    std::vector<uint32_t> shownWhileOpen;
    std::string lastLineWhileOpen;
    bool ownerEnabledWhileOpen = true;
    int busyWhileOpen = -1;
    std::vector<int> checkedWhileOpen;
    HWND hwnd = main.hwnd();
    props::Visit visit = VisitDialog(
        hwnd, [hwnd] { SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(70, 70)); },
        [&](HWND dialog) {
            SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
            shownWhileOpen = props::ShownPicture(hwnd);
            std::vector<std::string> lines = main.LogLines();
            lastLineWhileOpen = lines.empty() ? "" : lines.back();
            ownerEnabledWhileOpen = IsWindowEnabled(hwnd) != FALSE;
            busyWhileOpen = LiveSettings()->busy;
            checkedWhileOpen = CheckedRadios(dialog);
            // Choices made and then cancelled must not reach anything.
            Click(dialog, IDC_NAME_TITLE);
            Click(dialog, IDC_TAG_V1);
            Click(dialog, IDCANCEL);
        });
    ASSERT_TRUE(visit.seen);
    EXPECT_TRUE(visit.endedByIt);

    EXPECT_TRUE(shownWhileOpen == busy) << "the busy picture was not on the main window";
    EXPECT_EQ(lastLineWhileOpen, "Configuration...");
    EXPECT_FALSE(ownerEnabledWhileOpen);
    EXPECT_EQ(busyWhileOpen, 1);
    EXPECT_EQ(checkedWhileOpen, (std::vector<int>{IDC_NAME_ARTIST_TITLE, IDC_TAG_V2, IDC_LOG_SHOW}));

    std::vector<std::string> expected = before;
    expected.insert(expected.end(), {"Configuration...", "READY."});
    EXPECT_EQ(main.LogLines(), expected);
    EXPECT_EQ(StoredTexts(), "Artist-Title|V2|OK");
    const Settings* live = LiveSettings();
    EXPECT_EQ(live->nameFormat, NAME_TITLE_ARTIST);
    EXPECT_EQ(live->primaryTag, PRIMARY_V1);
    EXPECT_EQ(live->logWindow, LOG_HIDE);
    EXPECT_EQ(live->busy, 0);
    EXPECT_FALSE(main.LogVisible());
    EXPECT_TRUE(props::ShownPicture(hwnd) == idle) << "the idle picture did not come back";
    EXPECT_EQ(ReadFile(folder.Path("track01.mp3")), song);
    EXPECT_EQ(GlobalSize(drop), 0u) << "the drop handle was not released";
}

}  // namespace
