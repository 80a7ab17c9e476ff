// The installation status value: the launcher's only lasting output.
#pragma once

#include "win32.h"

// Relative to HKEY_LOCAL_MACHINE. The key must exist: it is never created.
constexpr char STATUS_KEY_PATH[] = "Software\\Halvorn Tech\\Installation";
constexpr char STATUS_VALUE_NAME[] = "Quendra Drivers";

// REG_SZ data, each stored with its terminating NUL: 2 bytes.
constexpr char STATUS_SUCCEEDED[] = "1";
constexpr char STATUS_FAILED[] = "0";
static_assert(sizeof STATUS_SUCCEEDED == 2 && sizeof STATUS_FAILED == 2,
              "a status is one digit and its NUL");

// Opens the existing key subKey under HKEY_LOCAL_MACHINE for writing, sets
// valueName to the dataSize bytes at data with the given type, replacing
// whatever the value held, and closes the key. Returns 1 when the value was
// set and 0 otherwise: a missing key, no right to write it, or a failed set.
// Neither the key nor any key above it is ever created.
int SetLocalMachineValue(const char* subKey, const char* valueName, DWORD type, const BYTE* data,
                         DWORD dataSize);
