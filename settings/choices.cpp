// The table of choices.
#include "choices.h"

#include <string.h>

#include "core/texts.h"

namespace {

const Choice kNameFormats[] = {
    {NAME_TITLE, "Title", "title", N_("Title only")},
    {NAME_TITLE_ARTIST, "Title-Artist", "title-artist", N_("Title - Artist")},
    {NAME_ARTIST_TITLE, "Artist-Title", "artist-title", N_("Artist - Title")},
};

const Choice kPrimaryTags[] = {
    {PRIMARY_V1, "V1", "v1", N_("ID3v1 Tag")},
    {PRIMARY_V2, "V2", "v2", N_("ID3v2 Tag")},
};

const Choice kLogWindows[] = {
    {LOG_SHOW, "OK", "show", N_("Show")},
    {LOG_HIDE, "NG", "hide", N_("Hide")},
};

}  // namespace

const ChoiceField kChoiceFields[CHOICE_FIELDS] = {
    {"Filename Type", "format", N_("File name format"), &Settings::nameFormat, kNameFormats, 3},
    {"Primary Tag", "primary-tag", N_("Preferred tag"), &Settings::primaryTag, kPrimaryTags, 2},
    {"Log Window", "log-window", N_("Log window"), &Settings::logWindow, kLogWindows, 2},
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
