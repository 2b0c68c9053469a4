// What the POSIX value store can tell beyond the values: where it keeps them,
// and why its last write failed, for a front end that must say so.
#ifndef QUILLON_SETTINGS_VALUE_STORE_POSIX_H
#define QUILLON_SETTINGS_VALUE_STORE_POSIX_H

#include <string>

// $XDG_CONFIG_HOME/Ombrix/Quillon, or ~/.config/Ombrix/Quillon.
std::string ValueStoreFolder();

// The errno value that made the last failed RegWriteString fail; 0 when the
// last write succeeded or none was made.
int ValueStoreWriteError();

#endif
