// The user's three choices, written down once: for each field of the settings
// record, the name its value is stored under, and for each value the text the
// store keeps, the word the command line takes and the caption the Linux
// dialog shows. The store, the command line and quillon-gui's dialog all read
// this table; the Windows dialog's buttons are its resources.
#ifndef QUILLON_SETTINGS_CHOICES_H
#define QUILLON_SETTINGS_CHOICES_H

#include "core/records.h"

struct Choice {
    int32_t value;
    const char* stored;   // what the store keeps, compared up to its first NUL
    const char* word;     // the command line's word for it
    const char* caption;  // the dialog's radio button
};

struct ChoiceField {
    const char* storeName;  // the value's name in the store
    const char* option;     // the command line's long option and --show-settings key
    const char* caption;    // the dialog's group
    int32_t Settings::*field;
    const Choice* choices;  // in the order of their values, which run from 1
    int count;
};

enum { CHOICE_FIELDS = 3 };

// Name format, tag precedence, log window: the order they are stored and read in.
extern const ChoiceField kChoiceFields[CHOICE_FIELDS];

// The choice whose stored text is `text`; any other text is the field's last
// choice.
const Choice& ChoiceOfStored(const ChoiceField& field, const char* text);

// The choice of `value`; a value outside the field's choices is its last one.
const Choice& ChoiceOfValue(const ChoiceField& field, int32_t value);

// The choice whose command-line word is `word`, or null when none is.
const Choice* ChoiceOfWord(const ChoiceField& field, const char* word);

#endif
