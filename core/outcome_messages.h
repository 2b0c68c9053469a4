// The six outcome messages of a file's log line, by result code, as the Linux
// front ends print them: in the user's language. Their Japanese translations
// are the Windows program's string table; the resource check holds the two
// to each other.
#ifndef QUILLON_CORE_OUTCOME_MESSAGES_H
#define QUILLON_CORE_OUTCOME_MESSAGES_H

// The message of result code `code` in UTF-8; "" for a code outside 1 to 6.
// The language is the one of the first call: a run does not change it.
const char* OutcomeMessageUtf8(int code);

#endif
