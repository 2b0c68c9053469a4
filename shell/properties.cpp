// The properties dialog (IDD_PROPERTIES) and the right-click handling that runs
// it. The registry is the only way its choices reach the main window: OK saves
// the working copy, and the live record is then reloaded from the store.
#include "properties.h"

#include "core/window_sequences.h"
#include "main_window.h"
#include "resource.h"
#include "settings/settings_store.h"

namespace {

// Refilled from the store at every opening; after Cancel it keeps that
// opening's clicks until the next one. A field the store could not supply
// stays as it was, 0 at the first opening of a run.
Settings workingCopy;

// Each group's identifiers run in the order of its field's values, so the
// button of value v is (first - 1) + v. A value of 0 names no button of the
// group and leaves all of them clear.
struct RadioGroup {
    int first;
    int last;
    int32_t Settings::*field;
};

const RadioGroup kGroups[] = {
    {IDC_NAME_TITLE, IDC_NAME_ARTIST_TITLE, &Settings::nameFormat},
    {IDC_TAG_V1, IDC_TAG_V2, &Settings::primaryTag},
    {IDC_LOG_SHOW, IDC_LOG_HIDE, &Settings::logWindow},
};

INT_PTR OnInitDialog(HWND dialog) {
    LoadSettings(&workingCopy);
    for (const RadioGroup& group : kGroups) {
        CheckRadioButton(dialog, group.first, group.last, group.first - 1 + workingCopy.*group.field);
    }
    // TRUE lets the dialog manager put the focus on the first tab stop.
    return TRUE;
}

void OnChoice(HWND dialog, const RadioGroup& group, int id) {
    workingCopy.*group.field = id - (group.first - 1);
    CheckRadioButton(dialog, group.first, group.last, id);
}

// The notification code is not looked at: the radio buttons only send clicks,
// and Enter, Esc and the close box arrive as IDOK and IDCANCEL.
INT_PTR OnCommand(HWND dialog, int id) {
    if (id == IDOK) {
        SaveSettings(workingCopy);
        EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
    } else {
        for (const RadioGroup& group : kGroups) {
            if (id >= group.first && id <= group.last) OnChoice(dialog, group, id);
        }
    }
    return TRUE;
}

}  // namespace

int WindowRunDialog(WindowSite* site) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(site->hwnd, GWLP_HINSTANCE));
    // -1 (the dialog could not be created) counts as OK as well: reloading the
    // live record from the store and reapplying the log's visibility is harmless.
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PROPERTIES), site->hwnd, PropDlgProc, 0));
}

void OpenProperties(HWND hwnd) {
    WindowSite site = {hwnd};
    RunProperties(&site, LiveSettings());
}

INT_PTR CALLBACK PropDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(hwnd);
        case WM_COMMAND:
            return OnCommand(hwnd, LOWORD(wParam));
        default:
            return FALSE;
    }
}
