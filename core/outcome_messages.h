// The six outcome messages of a file's log line, by result code, as the Linux
// front ends print them. The Windows program's string table holds the same
// texts; the resource check holds it to this table.
#ifndef QUILLON_CORE_OUTCOME_MESSAGES_H
#define QUILLON_CORE_OUTCOME_MESSAGES_H

// The message of result code `code` in UTF-8; "" for a code outside 1 to 6.
const char* OutcomeMessageUtf8(int code);

#endif
