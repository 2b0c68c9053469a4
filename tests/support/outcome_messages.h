// Log lines as the Linux programs print them, from the program's own table of
// the six outcome messages (which the resource check holds the Windows string
// table to).
#ifndef QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H
#define QUILLON_TESTS_SUPPORT_OUTCOME_MESSAGES_H

#include <string>

#include "core/outcome_messages.h"

inline std::string OutcomeMessage(int code) {
    return OutcomeMessageUtf8(code);
}

// One log line: message, " - ", the path as it was given, newline.
inline std::string LogLine(int code, const std::string& path) {
    return OutcomeMessage(code) + " - " + path + "\n";
}

#endif
