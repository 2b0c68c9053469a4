// The table of choices.
#include "choices.h"

#include <string.h>

namespace {

const Choice kNameFormats[] = {
    {NAME_TITLE, "Title", "title", "曲名のみ"},
    {NAME_TITLE_ARTIST, "Title-Artist", "title-artist", "曲名 - アーティスト名"},
    {NAME_ARTIST_TITLE, "Artist-Title", "artist-title", "アーティスト名 - 曲名"},
};

const Choice kPrimaryTags[] = {
    {PRIMARY_V1, "V1", "v1", "ID3v1 Tag"},
    {PRIMARY_V2, "V2", "v2", "ID3v2 Tag"},
};

const Choice kLogWindows[] = {
    {LOG_SHOW, "OK", "show", "表示する"},
    {LOG_HIDE, "NG", "hide", "表示しない"},
};

}  // namespace

const ChoiceField kChoiceFields[CHOICE_FIELDS] = {
    {"Filename Type", "format", "ファイル名の形式", &Settings::nameFormat, kNameFormats, 3},
    {"Primary Tag", "primary-tag", "優先するID3 Tag", &Settings::primaryTag, kPrimaryTags, 2},
    {"Log Window", "log-window", "変換ログ・ウィンドウ", &Settings::logWindow, kLogWindows, 2},
};

const Choice& ChoiceOfStored(const ChoiceField& field, const char* text) {
    for (int i = 0; i < field.count - 1; ++i) {
        if (strcmp(text, field.choices[i].stored) == 0) return field.choices[i];
    }
    return field.choices[field.count - 1];
}

const Choice& ChoiceOfValue(const ChoiceField& field, int32_t value) {
    for (int i = 0; i < field.count - 1; ++i) {
        if (field.choices[i].value == value) return field.choices[i];
    }
    return field.choices[field.count - 1];
}

const Choice* ChoiceOfWord(const ChoiceField& field, const char* word) {
    for (int i = 0; i < field.count; ++i) {
        if (strcmp(word, field.choices[i].word) == 0) return &field.choices[i];
    }
    return nullptr;
}
