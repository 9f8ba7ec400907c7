// The keys dialog ("KEYS"), opened from Setup: a key for each kind of
// snapshot, the delay before a snapshot and whether the pointer is in it.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "snap/settings/snap_settings.h"

// What the dialog edits. Setup holds it until its own OK or Save puts it
// into the record.
struct KeyChoices {
    uint16_t kindKeys[SNAPSHOT_KEY_KINDS];
    int32_t delay;
    int32_t pointer;
};

// The record's choices, and the choices put into the record.
void ChoicesFromSettings(KeyChoices *choices);
void ChoicesToSettings(const KeyChoices &choices);

// Tells, in a box over dialog, which two of the keys are one and the same
// when two are: sourceKey is Setup's hot key. True when all differ.
bool KeysDiffer(HWND dialog, uint16_t sourceKey, const KeyChoices &choices);

// Runs the dialog over owner. OK replaces *choices; Cancel leaves them.
// Returns 1 after OK, 0 after Cancel, -1 when the dialog cannot be created.
int RunKeysDialog(HWND owner, uint16_t sourceKey, KeyChoices *choices);
