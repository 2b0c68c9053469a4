// The per-user store of the three named setting values: the only code that
// touches the registry (value_store_win32.cpp) or, elsewhere, the per-user
// configuration folder (value_store_posix.cpp). The build picks one.
#ifndef QUILLON_SETTINGS_VALUE_STORE_H
#define QUILLON_SETTINGS_VALUE_STORE_H

#include <string>

// Reads value `name` into `text` (256 bytes): the data up to its first NUL,
// at most 255 bytes, NUL-terminated. Returns 1 when read; 0, with `text`
// untouched, when the store cannot be opened, the value is missing, its data
// is longer than 256 bytes, or the read fails.
int RegReadString(const char* name, char* text);

// Stores the NUL-terminated `text` as value `name`, replacing any value of that
// name and creating the store when missing. Returns 1 on success, 0 otherwise.
int RegWriteString(const char* name, const char* text);

// Where the store keeps the values, as the user would look for them (a folder,
// a registry key), and why the last RegWriteString failed: "" when it
// succeeded or none was made. For a message about settings that did not stick.
std::string ValueStoreLocation();
std::string ValueStoreWriteFailure();

#endif
