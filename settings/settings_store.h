// The user's three choices, kept as texts in the per-user value store.
#ifndef QUILLON_SETTINGS_SETTINGS_STORE_H
#define QUILLON_SETTINGS_SETTINGS_STORE_H

#include "core/records.h"

// The choices applied when the store cannot be loaded.
extern const Settings kDefaultSettings;

// Reads the three values in a fixed order and stops at the first that cannot be
// read: fields before it are set, it and those after it keep what they held.
// Returns 1 when all three were read. busy is never touched. Any unknown text
// reads as the last choice of its field.
int LoadSettings(Settings* settings);

// Writes all three values, each even when an earlier write failed. busy is
// ignored; any number outside a field's choices is written as its last choice.
// Always returns 1.
int SaveSettings(Settings settings);

// The settings a front end starts with, as the main window takes them when it
// is created: LoadSettings into `live`, and when that fails, all three
// defaults (also over the values the failed load did read), which are then
// saved. busy is left alone.
void LoadOrApplyDefaults(Settings* live);

// The live record as every front end starts with it: LoadOrApplyDefaults,
// and not busy.
void StartSettings(Settings* live);

// Saves `asked` as the properties dialog's OK does and reads the store back
// into `live`: returns 1 when it now holds what was asked. Otherwise the
// diagnostics say where the store is and why it did not keep the choices, and
// `live` holds what the store holds (or, where it cannot be read, what it held).
int SaveSettingsChecked(Settings asked, Settings* live);

#endif
