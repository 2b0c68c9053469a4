// The outcome messages.
#include "outcome_messages.h"

#include "records.h"
#include "texts.h"

namespace {

struct Messages {
    const char* text[RESULT_OK + 1];
};

// Looked up once a run: gettext reads the environment and compares locale
// names at every call, which cost more than the rest of a file's line.
Messages Translated() {
    // In Japanese these are the Windows program's string table, byte for byte.
    static const char* const kMessages[] = {
        "", N_("access failed"), N_("not an MP3 file"), N_("no tag"), N_("no title"), N_("name refused"), N_("renamed"),
    };
    Messages messages;
    for (int code = 0; code <= RESULT_OK; ++code) messages.text[code] = Tr(kMessages[code]);
    return messages;
}

}  // namespace

const char* OutcomeMessageUtf8(int code) {
    static const Messages messages = Translated();
    return code >= RESULT_ACCESS_FAILED && code <= RESULT_OK ? messages.text[code] : "";
}
