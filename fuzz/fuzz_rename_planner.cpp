// Fuzz target: PlanRename over arbitrary tag records, settings and paths.
// Input layout: four signed bytes for the flags (formatRecognized, fileOpened,
// hasId3v1, hasId3v2), four little-endian 32-bit settings fields (nameFormat,
// primaryTag, logWindow, busy), then five NUL-separated texts: v1Title,
// v1Artist, v2Title, v2Artist and the path, each cut to 255 bytes.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/rename_planner.h"
#include "fuzz_check.h"

namespace {

enum { HEADER = 4 + 16, TEXT_MAX = TEXT_BUFFER - 1 };

const char kForbidden[] = "\\/:*?\"<>|";

int32_t Int32At(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Splits the texts off the input; a missing text is empty.
std::vector<std::string> Texts(const uint8_t* data, size_t size, int count) {
    std::vector<std::string> texts;
    size_t i = 0;
    for (int k = 0; k < count; ++k) {
        std::string text;
        while (i < size && data[i] != 0) text += static_cast<char>(data[i++]);
        ++i;
        if (text.size() > TEXT_MAX) text.resize(TEXT_MAX);
        texts.push_back(text);
    }
    return texts;
}

void SetText(char* field, const std::string& text) {
    memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
}

// A text of nothing but blanks (spaces, U+3000) counts as empty.
std::string Usable(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
        } else if (text.compare(i, 3, "\xE3\x80\x80") == 0) {
            i += 3;
        } else {
            return text;
        }
    }
    return std::string();
}

// The name the rules give, or the result code that refuses the file.
int ExpectedName(const TagInfo& info, Settings settings, std::string* name) {
    if (!info.fileOpened) return RESULT_ACCESS_FAILED;
    if (!info.formatRecognized) return RESULT_FILE_ERROR;
    if (!info.hasId3v1 && !info.hasId3v2) return RESULT_NO_TAG;
    std::string v1Title = Usable(info.v1Title), v1Artist = Usable(info.v1Artist);
    std::string v2Title = Usable(info.v2Title), v2Artist = Usable(info.v2Artist);
    if (v1Title.empty() && v2Title.empty()) return RESULT_NO_TITLE;
    bool v1First = settings.primaryTag == PRIMARY_V1;
    std::string title = v1First ? (v1Title.empty() ? v2Title : v1Title) : (v2Title.empty() ? v1Title : v2Title);
    std::string artist = v1First ? (v1Artist.empty() ? v2Artist : v1Artist) : (v2Artist.empty() ? v1Artist : v2Artist);
    if (artist.empty()) artist = "Unknown Artist";
    if (settings.nameFormat == NAME_TITLE_ARTIST) {
        *name = title + " - " + artist;
    } else if (settings.nameFormat == NAME_ARTIST_TITLE) {
        *name = artist + " - " + title;
    } else {
        *name = title;
    }
    return RESULT_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t header[HEADER] = {};
    memcpy(header, data, size < HEADER ? size : HEADER);
    const uint8_t* rest = size > HEADER ? data + HEADER : data;
    size_t restSize = size > HEADER ? size - HEADER : 0;

    TagInfo info;
    memset(&info, 0, sizeof info);
    info.formatRecognized = static_cast<int8_t>(header[0]);
    info.fileOpened = static_cast<int8_t>(header[1]);
    info.hasId3v1 = static_cast<int8_t>(header[2]);
    info.hasId3v2 = static_cast<int8_t>(header[3]);
    Settings settings = {Int32At(header + 4), Int32At(header + 8), Int32At(header + 12), Int32At(header + 16)};
    std::vector<std::string> texts = Texts(rest, restSize, 5);
    SetText(info.v1Title, texts[0]);
    SetText(info.v1Artist, texts[1]);
    SetText(info.v2Title, texts[2]);
    SetText(info.v2Artist, texts[3]);

    // Exactly sized heap buffers: a byte written or read past them is caught.
    std::vector<char> path(texts[4].begin(), texts[4].end());
    path.push_back('\0');
    std::vector<char> newPath(TEXT_BUFFER);
    int code = PlanRename(path.data(), info, settings, newPath.data());

    std::string name;
    int expected = ExpectedName(info, settings, &name);
    if (expected != RESULT_OK) {
        FUZZ_CHECK(code == expected);
        return 0;
    }
    FUZZ_CHECK(code == RESULT_OK || code == RESULT_RENAME_ERROR);
    size_t cut = texts[4].rfind('/');
    std::string directory = cut == std::string::npos ? std::string() : texts[4].substr(0, cut + 1);
    bool forbidden = name.find_first_of(kForbidden) != std::string::npos;
    bool tooLong = directory.size() + name.size() + 4 > TEXT_MAX;
    if (code == RESULT_RENAME_ERROR) {
        FUZZ_CHECK(forbidden || tooLong);
        return 0;
    }
    FUZZ_CHECK(!forbidden && !tooLong);
    size_t length = BoundedLength(newPath.data(), TEXT_BUFFER);
    FUZZ_CHECK(length <= TEXT_MAX);
    std::string made(newPath.data(), length);
    FUZZ_CHECK(made.compare(0, directory.size(), directory) == 0);
    FUZZ_CHECK(made.size() >= directory.size() + 4 && made.compare(made.size() - 4, 4, ".mp3") == 0);
    std::string madeName = made.substr(directory.size(), made.size() - directory.size() - 4);
    FUZZ_CHECK(madeName.find_first_of(kForbidden) == std::string::npos);
    FUZZ_CHECK(madeName == name);
    return 0;
}
