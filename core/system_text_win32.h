// The Win32 system text back end with the code page as a parameter: the
// public functions of system_text.h pass the ANSI code page, tests pass others.
// Only Windows builds have it.
#ifndef QUILLON_CORE_SYSTEM_TEXT_WIN32_H
#define QUILLON_CORE_SYSTEM_TEXT_WIN32_H

#include <stdint.h>

// EncodeSystemChar in `codePage`.
int EncodeCodePageChar(uint32_t cp, unsigned codePage, char* out);

// NameIsDevice in `codePage`.
int CodePageNameIsDevice(const char* name, unsigned codePage);

#endif
