// Recording fakes of the platform calls, for the launcher's logic on the
// build host. Every call is logged in order, with its arguments where they
// matter, and every call's result can be chosen.
#pragma once

#include <string>
#include <vector>

#include "win32.h"

struct FakeWin32 {
    // The handles that a successful CreateProcessA hands out.
    static HANDLE const processHandle;
    static HANDLE const threadHandle;
    static HKEY const openedKey;

    std::vector<std::string> calls;

    // CreateProcessA
    BOOL createResult = TRUE;
    PROCESS_INFORMATION createdProcess = {processHandle, threadHandle, 1234, 5678};
    LPCSTR createApplicationName = nullptr;
    LPSTR createCommandLine = nullptr;
    bool createAttributesNull = false;
    BOOL createInheritHandles = -1;
    DWORD createFlags = 0xDEADBEEF;
    bool createEnvironmentNull = false;
    bool createDirectoryNull = false;
    STARTUPINFOA createStartupInfo = {};

    // GetExitCodeProcess: stores exitCode only when it succeeds.
    BOOL exitCodeResult = TRUE;
    DWORD exitCode = 0;

    // RegOpenKeyExA, RegSetValueExA
    LONG openResult = ERROR_SUCCESS;
    LONG setResult = ERROR_SUCCESS;
    const BYTE* setData = nullptr;
};

extern FakeWin32 fake;

// Resets the fake for each test.
void ResetFake();
