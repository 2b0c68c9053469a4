// The outcome messages.
#include "outcome_messages.h"

#include "records.h"

const char* OutcomeMessageUtf8(int code) {
    // The katakana are the half-width forms; 2, 3 and 5 end in a blank, so that
    // in code page 932 every message is ten bytes wide.
    static const char* const kMessages[] = {
        "", "×ｱｸｾｽ失敗", "×ﾌｧｲﾙｴﾗｰ ", "×ﾀｸﾞなし ", "×曲名なし", "×ﾘﾈｰﾑｴﾗｰ ", "○正常終了",
    };
    return code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? kMessages[code] : "";
}
