// The Linux programs' texts in the user's language: English in the source,
// translated through the catalogue built from po/ when the locale asks for a
// language it has. The Windows program keeps its texts in its resources.
#ifndef QUILLON_CORE_TEXTS_H
#define QUILLON_CORE_TEXTS_H

// Chooses the language from the locale (LC_ALL, LC_MESSAGES, LANG, LANGUAGE);
// once, at the start of a program.
void StartTexts();

// `english` in the user's language: the catalogue's translation, or `english`
// itself where there is none. The result lives as long as the program. A
// printf format stays one for the compiler's checks.
const char* Tr(const char* english) __attribute__((format_arg(1)));

// Marks a text for the catalogue where it is not shown at once (an entry of a
// table); Tr() translates it where it is shown.
#define N_(english) english

#endif
