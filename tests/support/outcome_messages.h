// Log lines as the Linux programs print them. The tests run the programs in
// the Japanese locale (the ctest fixture ja_locale), where the six outcome
// messages are the Windows program's texts, written out here byte by byte;
// the English ones are what every other locale shows.
#ifndef QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H
#define QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H

#include <string>

// The message of result code 1 to 6 in Japanese: half-width katakana, and 2, 3
// and 5 end in a blank.
inline std::string OutcomeMessage(int code) {
    static const char* const kJapanese[] = {"",          "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ",
                                            "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了"};
    return code >= 1 && code <= 6 ? kJapanese[code] : "";
}

// The same in English.
inline std::string EnglishOutcomeMessage(int code) {
    static const char* const kEnglish[] = {"",         "access failed", "not an MP3 file", "no tag",
                                           "no title", "name refused",  "renamed"};
    return code >= 1 && code <= 6 ? kEnglish[code] : "";
}

// One log line: message, " - ", the path as it was given, newline.
inline std::string LogLine(int code, const std::string& path) {
    return OutcomeMessage(code) + " - " + path + "\n";
}

#endif
