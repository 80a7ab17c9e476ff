#include "status_value.h"

int SetLocalMachineValue(const char* subKey, const char* valueName, DWORD type, const BYTE* data,
                         DWORD dataSize)
{
    HKEY key = nullptr;

    // Opening, never creating: a missing key means the maker's installer has
    // not run, and then nothing is recorded.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return 0;

    const LONG setResult = RegSetValueExA(key, valueName, 0, type, data, dataSize);
    // Unchecked: the value is already set or not; a failed close changes neither.
    RegCloseKey(key);

    return setResult == ERROR_SUCCESS ? 1 : 0;
}
