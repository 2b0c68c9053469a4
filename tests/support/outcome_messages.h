// The log messages of the six result codes as the program prints them in
// UTF-8, by result code. The katakana are the half-width forms; entries 2, 3
// and 5 end in a blank.
#ifndef QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H
#define QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H

#include <string>

inline std::string OutcomeMessage(int code) {
    static const char* const kMessages[] = {
        "", "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ", "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了",
    };
    return kMessages[code];
}

// One log line: message, " - ", the path as it was given, newline.
inline std::string LogLine(int code, const std::string& path) {
    return OutcomeMessage(code) + " - " + path + "\n";
}

#endif
