// The outcome messages.
#include "outcome_messages.h"

#include "records.h"
#include "texts.h"

const char* OutcomeMessageUtf8(int code) {
    // In Japanese these are the Windows program's string table, byte for byte.
    static const char* const kMessages[] = {
        "", N_("access failed"), N_("not an MP3 file"), N_("no tag"), N_("no title"), N_("name refused"), N_("renamed"),
    };
    return code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? Tr(kMessages[code]) : "";
}
