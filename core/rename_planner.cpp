// The rename planner.
#include "rename_planner.h"

#include <string.h>

#include "drop_reasons.h"
#include "file_io.h"
#include "system_text.h"

namespace {

const char kUnknownArtist[] = "Unknown Artist";
const char kExtension[] = ".mp3";

const char* Prefer(const char* first, const char* second) {
    return first[0] != '\0' ? first : second;
}

bool Forbidden(char c) {
    switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}

// REASON_NONE when `name` may be a file's name, else why not: CharAbsent for
// each character a name may not hold, in one pass.
int NameRefusal(const char* name) {
    if (AsciiStandsAlone()) {
        for (const char* c = name; *c != '\0'; ++c) {
            if (Forbidden(*c)) return REASON_FORBIDDEN_CHARACTER;
        }
        return NameIsDevice(name) ? REASON_DEVICE_NAME : REASON_NONE;
    }
    for (size_t i = 0; name[i] != '\0';) {
        int n = CharLength(name + i);
        if (n == 1 && Forbidden(name[i])) return REASON_FORBIDDEN_CHARACTER;
        i += static_cast<size_t>(n);
    }
    return NameIsDevice(name) ? REASON_DEVICE_NAME : REASON_NONE;
}

int Refuse(int code, int why, int* reason) {
    if (reason != nullptr) *reason = why;
    return code;
}

// Appends `text` to the `*length` bytes of `name` (TEXT_BUFFER bytes); false
// when the name would not fit.
bool Append(char* name, size_t* length, const char* text) {
    size_t n = strlen(text);
    if (*length + n >= TEXT_BUFFER) return false;
    memcpy(name + *length, text, n + 1);
    *length += n;
    return true;
}

bool OnlyBlanks(const char* text) {
    for (size_t i = 0; text[i] != '\0';) {
        int n = BlankLength(text + i);
        if (n == 0) return false;
        i += static_cast<size_t>(n);
    }
    return true;
}

// The record with each text as a name may use it: cut to its whole
// characters, since a lead byte left last (a Latin-1 letter read in a
// double-byte code page, a field that ended mid-character) would swallow
// what the name puts after it; and emptied when nothing but blanks is left,
// which would make a name that shows nothing ("   .mp3") where the other
// tag's text or "Unknown Artist" belongs. Blanks around other text stay.
TagInfo UsableTexts(const TagInfo& info) {
    TagInfo usable = info;
    char* texts[] = {usable.v1Title, usable.v1Artist, usable.v2Title, usable.v2Artist};
    for (char* text : texts) {
        text[WholeCharsLength(text)] = '\0';
        if (OnlyBlanks(text)) text[0] = '\0';
    }
    return usable;
}

// Length of the directory part of `path`, its last separator included; 0 for
// a bare file name.
size_t DirectoryLength(const char* path) {
    char separator = PathSeparator();
    if (AsciiStandsAlone()) {
        const char* last = strrchr(path, separator);
        return last != nullptr ? static_cast<size_t>(last - path) + 1 : 0;
    }
    size_t end = 0;
    for (size_t i = 0; path[i] != '\0';) {
        int n = CharLength(path + i);
        if (n == 1 && path[i] == separator) end = i + 1;
        i += static_cast<size_t>(n);
    }
    return end;
}

}  // namespace

int CharAbsent(const char* text, char ch) {
    for (size_t i = 0; text[i] != '\0';) {
        int n = CharLength(text + i);
        if (n == 1 && text[i] == ch) return 0;
        i += static_cast<size_t>(n);
    }
    return 1;
}

int PlanRename(const char* path, const TagInfo& info, Settings settings, char* newPath, int* reason) {
    newPath[0] = '\0';
    if (!info.fileOpened) return Refuse(RESULT_ACCESS_FAILED, REASON_NONE, reason);
    if (!info.formatRecognized) return Refuse(RESULT_FILE_ERROR, REASON_NOT_MP3, reason);
    if (!info.hasId3v1 && !info.hasId3v2) return Refuse(RESULT_NO_TAG, REASON_NO_TAG, reason);
    TagInfo usable = UsableTexts(info);
    if (usable.v1Title[0] == '\0' && usable.v2Title[0] == '\0') return Refuse(RESULT_NO_TITLE, REASON_NO_TITLE, reason);

    // Each of title and artist falls back to the other tag on its own.
    bool v1First = settings.primaryTag == PRIMARY_V1;
    const char* title = v1First ? Prefer(usable.v1Title, usable.v2Title) : Prefer(usable.v2Title, usable.v1Title);
    const char* artist = v1First ? Prefer(usable.v1Artist, usable.v2Artist) : Prefer(usable.v2Artist, usable.v1Artist);
    if (artist[0] == '\0') artist = kUnknownArtist;

    // Texts from the reader are at most 126 bytes, but the record is the
    // caller's: every composition below is bounded.
    const char* first = settings.nameFormat == NAME_ARTIST_TITLE ? artist : title;
    const char* second = settings.nameFormat == NAME_ARTIST_TITLE ? title : artist;
    bool both = settings.nameFormat == NAME_TITLE_ARTIST || settings.nameFormat == NAME_ARTIST_TITLE;
    char name[TEXT_BUFFER];
    size_t length = 0;
    name[0] = '\0';
    if (!Append(name, &length, first) || (both && (!Append(name, &length, " - ") || !Append(name, &length, second)))) {
        return Refuse(RESULT_RENAME_ERROR, REASON_NAME_TOO_LONG, reason);
    }
    int refusal = NameRefusal(name);
    if (refusal != REASON_NONE) return Refuse(RESULT_RENAME_ERROR, refusal, reason);

    size_t directory = DirectoryLength(path);
    if (directory + length + sizeof kExtension - 1 > TEXT_BUFFER - 1) {
        return Refuse(RESULT_RENAME_ERROR, REASON_NAME_TOO_LONG, reason);
    }
    memcpy(newPath, path, directory);
    memcpy(newPath + directory, name, length);
    memcpy(newPath + directory + length, kExtension, sizeof kExtension);
    return Refuse(RESULT_OK, REASON_NONE, reason);
}

int RenameByTag(const char* path, TagInfo info, Settings settings) {
    char newPath[TEXT_BUFFER];
    int code = PlanRename(path, info, settings, newPath);
    if (code != RESULT_OK) return code;
    return RenameNoReplace(path, newPath) ? RESULT_OK : RESULT_ACCESS_FAILED;
}
