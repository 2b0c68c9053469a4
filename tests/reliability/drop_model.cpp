// The drop model. Everything here is spelled out from the rules of the tag
// reader, the rename planner and the drop batch; none of it calls the core.
#include "reliability/drop_model.h"

#include <ctype.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>

#include "core/drop_batch.h"

namespace {

enum { WINDOW = 256, WINDOW_REACH = 254 + 10 + 126, TEXT_MAX = 255, FRAME_TEXT_LIMIT = 126, V1_FIELD = 30 };

const char kForbidden[] = "\\/:*?\"<>|";

std::vector<uint32_t> Utf16CodePoints(const unsigned char* bytes, int count, bool bigEndian) {
    std::vector<uint32_t> units;
    for (int k = 0; k + 1 < count; k += 2) {
        units.push_back(bigEndian ? (uint32_t(bytes[k]) << 8 | bytes[k + 1])
                                  : (uint32_t(bytes[k + 1]) << 8 | bytes[k]));
    }
    size_t i = 0;
    if (!units.empty() && units[0] == 0xFEFF) i = 1;
    std::vector<uint32_t> points;
    for (; i < units.size() && units[i] != 0; ++i) {
        uint32_t u = units[i];
        bool high = u >= 0xD800 && u <= 0xDBFF;
        bool nextLow = i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (high && nextLow) {
            points.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            points.push_back('?');
        } else {
            points.push_back(u);
        }
    }
    return points;
}

// Each byte that does not begin a well-formed UTF-8 sequence stands for '?'.
std::vector<uint32_t> Utf8CodePoints(const unsigned char* bytes, int count) {
    std::vector<uint32_t> points;
    int i = 0;
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) i = 3;
    while (i < count && bytes[i] != 0) {
        unsigned char b = bytes[i];
        int n = b < 0x80                   ? 1
                : (b >= 0xC2 && b <= 0xDF) ? 2
                : (b >= 0xE0 && b <= 0xEF) ? 3
                : (b >= 0xF0 && b <= 0xF4) ? 4
                                           : 0;
        uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
        bool good = n > 0 && i + n <= count;
        for (int k = 1; good && k < n; ++k) {
            good = (bytes[i + k] & 0xC0) == 0x80;
            cp = cp << 6 | (bytes[i + k] & 0x3Fu);
        }
        static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        good = good && cp >= kLeast[n] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        points.push_back(good ? cp : uint32_t('?'));
        i += good ? n : 1;
    }
    return points;
}

// The text the name may use: whole characters, at most 126 bytes.
std::string SystemText(const std::vector<uint32_t>& points) {
    std::string text;
    for (uint32_t cp : points) {
        std::string c = HostPlatform().encodeChar(cp);
        if (text.size() + c.size() > FRAME_TEXT_LIMIT) break;
        text += c;
    }
    return text;
}

uint8_t ByteAt(const std::string& bytes, size_t offset) {
    return offset < bytes.size() ? static_cast<uint8_t>(bytes[offset]) : 0;
}

std::string FindFrame(const std::vector<unsigned char>& window, const char* id) {
    std::string text;
    for (int i = 0; i < WINDOW - 1; ++i) {
        if (window[i] != static_cast<unsigned char>(id[0]) || window[i + 1] != static_cast<unsigned char>(id[1]) ||
            window[i + 2] != static_cast<unsigned char>(id[2]) || window[i + 3] != static_cast<unsigned char>(id[3])) {
            continue;
        }
        if (window[i + 4] != 0 || window[i + 5] != 0 || window[i + 6] != 0) continue;
        int count = static_cast<int>(static_cast<int8_t>(window[i + 7])) - 1;
        text = count > 0 ? ModelFrameText(window[i + 10], &window[i + 11], count) : std::string();
    }
    return text;
}

std::string V1Field(const std::string& bytes, size_t offset) {
    std::string field = bytes.substr(offset, V1_FIELD);
    while (!field.empty() && field.back() == ' ') field.pop_back();
    bool full = field.size() == V1_FIELD && field.find('\0') == std::string::npos;
    return HostPlatform().rawText(field.substr(0, field.find('\0')), full, 3 * V1_FIELD);
}

// Characters, not bytes: the trail byte of a double-byte character is never a
// separator or a forbidden character.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (size_t i = 0; i < text.size();) {
        size_t n = static_cast<size_t>(HostPlatform().charLength(text.c_str() + i));
        characters.push_back(text.substr(i, n));
        i += n;
    }
    return characters;
}

std::string DirectoryPart(const std::string& path) {
    std::string directory, pending;
    for (const std::string& c : Characters(path)) {
        pending += c;
        if (c.size() == 1 && c[0] == HostPlatform().separator) {
            directory += pending;
            pending.clear();
        }
    }
    return directory;
}

bool HasForbidden(const std::string& name) {
    for (const std::string& c : Characters(name)) {
        if (c.size() == 1 && strchr(kForbidden, c[0]) != nullptr) return true;
    }
    return false;
}

// Whether `a` and `b` name the same file: on Windows letter case does not count.
bool SameName(const std::string& a, const std::string& b) {
    if (!HostPlatform().windows) return a == b;
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// No file system takes a control character in a name (Windows ones refuse
// it, and the Linux build refuses it as they do): the rename itself fails,
// after the rules have accepted the name.
bool RefusedByFileSystem(const std::string& name) {
    for (const std::string& c : Characters(name)) {
        if (c.size() == 1 && static_cast<unsigned char>(c[0]) < 0x20) return true;
    }
    return false;
}

// The texts as the name takes them, each of whole characters; one of nothing
// but blanks (the space, and the ideographic space where the system text has
// it) is no text at all.
ModelTags WholeCharTexts(ModelTags tags) {
    const std::string ideographic = HostPlatform().encodeChar(0x3000);
    for (std::string* text : {&tags.v1Title, &tags.v1Artist, &tags.v2Title, &tags.v2Artist}) {
        *text = HostPlatform().wholeChars(*text);
        size_t i = 0, n = 1;
        for (; n > 0 && i < text->size(); i += n) {
            bool wide = ideographic != "?" && text->compare(i, ideographic.size(), ideographic) == 0;
            n = (*text)[i] == ' ' ? 1 : wide ? ideographic.size() : 0;
        }
        if (n > 0) text->clear();
    }
    return tags;
}

bool Taken(const Snapshot& state, const std::string& path) {
    for (const auto& entry : state) {
        if (SameName(entry.first, path)) return true;
    }
    return false;
}

const char* const kMessages[] = {
    "", "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ", "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了",
};

// The Linux programs' reading, modelled as mutagen reads a tag: the whole tag
// in memory, undone, then its frames.
uint32_t Number(const std::string& bytes, size_t at, int count, int bits) {
    uint32_t value = 0;
    for (size_t k = at; k < at + count; ++k) {
        value = value << bits | ((k < bytes.size() ? bytes[k] : 0) & ((1 << bits) - 1));
    }
    return value;
}

std::string Resynchronised(const std::string& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i == 0 || data[i] != '\0' || data[i - 1] != '\xFF') out += data[i];
    }
    return out;
}

// The frame ids of ID3v2.3 and 2.4 (iTunes' few among them).
bool Known(const std::string& id) {
    static const std::string kIds =
        " AENC APIC ASPI CHAP COMM COMR CTOC ENCR EQU2 ETCO GEOB GRID GRP1 IPLS LINK MCDI MLLT MVIN MVNM OWNE PCNT"
        " PCST POPM POSS PRIV RBUF RVA2 RVAD RVRB SEEK SIGN SYLT SYTC TALB TBPM TCAT TCMP TCOM TCON TCOP TDAT TDEN"
        " TDES TDLY TDOR TDRC TDRL TDTG TENC TEXT TFLT TGID TIME TIPL TIT1 TIT2 TIT3 TKEY TKWD TLAN TLEN TMCL TMED"
        " TMOO TOAL TOFN TOLY TOPE TORY TOWN TPE1 TPE2 TPE3 TPE4 TPOS TPRO TPUB TRCK TRDA TRSN TRSO TSIZ TSO2 TSOA"
        " TSOC TSOP TSOT TSRC TSSE TSST TXXX TYER UFID USER USLT WCOM WCOP WFED WOAF WOAR WOAS WORS WPAY WPUB WXXX ";
    return id.size() == 4 && id.find(' ') == std::string::npos && kIds.find(" " + id + " ") != std::string::npos;
}

// mutagen's count of the known frames that 2.4 sizes of one kind walk through,
// and how far past the end of the frames the walk ends.
std::pair<int, long long> CountFrames(const std::string& data, long long end, int bits) {
    int known = 0;
    long long o = 0;
    for (; o < end - 10; o += 10 + Number(data, o + 4, 4, bits)) {
        if (o + 10 > static_cast<long long>(data.size()) || data.compare(o, 10, std::string(10, '\0')) == 0) {
            return {known, -((end - o) % 10)};
        }
        known += Known(data.substr(o, 4));
    }
    return {known, o - end};
}

// The generator writes no compressed frame, and bytes that only claim to be
// one never inflate.
void WholeVersion2(const std::string& bytes, size_t start, ModelTags* tags) {
    const std::string tag = bytes.substr(start);
    const int version = Number(tag, 3, 1, 8), flags = Number(tag, 5, 1, 8);
    const int undefined = version == 4 ? 0x0F : version == 3 ? 0x1F : 0x40;
    if (version < 2 || version > 4 || (Number(tag, 6, 4, 8) & 0x80808080) || (flags & undefined)) return;
    long long end = Number(tag, 6, 4, 7), extended = 0;
    if (version > 2 && (flags & 0x40) && !Known(tag.substr(std::min<size_t>(10, tag.size()), 4))) {
        if (version == 4 && ((Number(tag, 10, 4, 8) & 0x80808080) || Number(tag, 10, 4, 7) < 4)) return;
        extended = version == 4 ? Number(tag, 10, 4, 7) : 4 + static_cast<long long>(Number(tag, 10, 4, 8));
        if (extended > end) return;
    }
    end -= extended;
    std::string data = tag.substr(std::min<size_t>(10 + extended, tag.size()), end);
    if (version < 4 && (flags & 0x80)) data = Resynchronised(data);
    const std::pair<int, long long> syncsafe = CountFrames(data, end, 7), plain = CountFrames(data, end, 8);
    const int bits = version == 4 && !(plain.first > syncsafe.first ||
                                       (plain.first == syncsafe.first && syncsafe.second >= 1 && plain.second <= 1))
                         ? 7
                         : 8;
    const long long header = version == 2 ? 6 : 10, available = data.size();
    bool title = false, artist = false;
    for (long long o = 0, size = 0; o + header <= std::min(end, available) && !(title && artist); o += header + size) {
        std::string id = data.substr(o, version == 2 ? 3 : 4);
        size = version == 2 ? Number(data, o + 3, 3, 8) : Number(data, o + 4, 4, bits);
        if (id.find_first_not_of('\0') == std::string::npos || o + header + size > end) break;
        if (version > 2 && id[3] == '\0') id.resize(3);
        bool isTitle = id == "TIT2" || id == "TT2", isArtist = id == "TPE1" || id == "TP1";
        if (size == 0 || !((isTitle && !title) || (isArtist && !artist))) continue;
        if (o + header + std::min(size, 8192LL) > available) break;
        // What the frame's flags put before its text: group, encryption, length.
        int f = Number(data, o + 9, 1, 8);
        size_t extra = version == 3 ? (f & 0x20 ? 1 : 0) : version == 4 ? (f & 0x40 ? 1 : 0) + (f & 0x01 ? 4 : 0) : 0;
        std::string text = data.substr(o + header, std::min(size, 8192LL));
        if ((version == 3 && (f & 0xC0)) || (version == 4 && (f & 0x0C)) || text.size() <= extra) continue;
        text = version == 4 && ((flags & 0x80) || (f & 0x02)) ? Resynchronised(text.substr(extra)) : text.substr(extra);
        if (text.empty()) continue;
        (isTitle ? title : artist) = true;
        (isTitle ? tags->v2Title : tags->v2Artist) = ModelFrameText(
            static_cast<unsigned char>(text[0]), reinterpret_cast<const unsigned char*>(&text[1]), text.size() - 1);
    }
}

// A Layer III frame header of MPEG-1, 2 or 2.5.
bool Layer3(const std::string& bytes, size_t start) {
    uint32_t h = Number(bytes, start, 3, 8);
    return (h >> 13) == 0x7FF && (h >> 11 & 3) != 1 && (h >> 9 & 3) == 1 && (h >> 4 & 15) != 15 && (h >> 2 & 3) != 3;
}

}  // namespace

std::string ModelFrameText(int encoding, const unsigned char* bytes, int count) {
    count = std::min(count, 2 * FRAME_TEXT_LIMIT + 2);  // what 126 bytes of UTF-16 with a mark take
    switch (encoding) {
        case 1:
            if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
                return SystemText(Utf16CodePoints(bytes, count, true));
            return SystemText(Utf16CodePoints(bytes, count, false));
        case 2:
            return SystemText(Utf16CodePoints(bytes, count, true));
        case 3:
            return SystemText(Utf8CodePoints(bytes, count));
        default: {
            std::string raw(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
            return HostPlatform().rawText(raw.substr(0, raw.find('\0')), false, FRAME_TEXT_LIMIT);
        }
    }
}

ModelTags ModelReadTags(const std::string& bytes) {
    ModelTags tags;
    size_t start = bytes.find_first_not_of('\0');
    if (start == std::string::npos) return tags;
    uint8_t s0 = ByteAt(bytes, start), s1 = ByteAt(bytes, start + 1), s2 = ByteAt(bytes, start + 2);
    bool id3 = s0 == 'I' && s1 == 'D' && s2 == '3', windows = HostPlatform().windows;
    tags.recognized = id3 || (s0 == 0xFF && s1 == 0xFB) || (s0 == 'R' && s1 == 'I' && s2 == 'F') ||
                      (!windows && Layer3(bytes, start));
    if (!tags.recognized) return tags;
    tags.hasV2 = id3;
    if (id3 && !windows) WholeVersion2(bytes, start, &tags);
    if (id3 && windows) {
        // The bytes after the signature as far as a match at 254 reaches
        // (index 390); past the end of the file they are zero.
        std::vector<unsigned char> window(1024, 0);
        for (size_t k = 0; k <= WINDOW_REACH; ++k) window[k] = ByteAt(bytes, start + 3 + k);
        tags.v2Title = FindFrame(window, "TIT2");
        tags.v2Artist = FindFrame(window, "TPE1");
    }
    size_t size = bytes.size();
    if (size >= 128 && bytes.compare(size - 128, 3, "TAG") == 0) {
        tags.hasV1 = true;
        tags.v1Title = V1Field(bytes, size - 125);
        tags.v1Artist = V1Field(bytes, size - 95);
    }
    return tags;
}

ModelOutcome ModelDropOne(const std::string& path, Settings settings, Snapshot* state) {
    ModelOutcome outcome = {RESULT_ACCESS_FAILED, ""};
    if (path.size() > TEXT_MAX) return outcome;
    Snapshot::iterator file = state->find(path);
    if (file == state->end() || file->second == kFolderMark) return outcome;

    ModelTags tags = WholeCharTexts(ModelReadTags(file->second));
    if (!tags.recognized) return {RESULT_FILE_ERROR, ""};
    if (!tags.hasV1 && !tags.hasV2) return {RESULT_NO_TAG, ""};
    if (tags.v1Title.empty() && tags.v2Title.empty()) return {RESULT_NO_TITLE, ""};
    bool v1 = settings.primaryTag == PRIMARY_V1;
    const std::string& firstTitle = v1 ? tags.v1Title : tags.v2Title;
    const std::string& otherTitle = v1 ? tags.v2Title : tags.v1Title;
    const std::string& firstArtist = v1 ? tags.v1Artist : tags.v2Artist;
    const std::string& otherArtist = v1 ? tags.v2Artist : tags.v1Artist;
    std::string title = firstTitle.empty() ? otherTitle : firstTitle;
    std::string artist = firstArtist.empty() ? otherArtist : firstArtist;
    if (artist.empty()) artist = "Unknown Artist";
    std::string name = settings.nameFormat == NAME_TITLE          ? title
                       : settings.nameFormat == NAME_TITLE_ARTIST ? title + " - " + artist
                                                                  : artist + " - " + title;
    if (HasForbidden(name) || HostPlatform().namesDevice(name)) return {RESULT_RENAME_ERROR, ""};
    std::string newPath = DirectoryPart(path) + name + ".mp3";
    if (newPath.size() > TEXT_MAX) return {RESULT_RENAME_ERROR, ""};
    if (newPath == path) return {RESULT_OK, newPath};
    if (RefusedByFileSystem(name)) return outcome;
    if (Taken(*state, newPath)) return outcome;  // the name is taken: nothing moves
    std::string bytes = file->second;
    state->erase(file);
    (*state)[newPath] = bytes;
    return {RESULT_OK, newPath};
}

std::string ModelMessage(int code) {
    return HostPlatform().fromUtf8(code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? kMessages[code] : "");
}

std::string ModelLogLine(int code, const std::string& path) {
    std::string line = ModelMessage(code) + " - " + path;
    if (line.size() > LINE_BUFFER - 1) line.resize(LINE_BUFFER - 1);
    return line;
}
