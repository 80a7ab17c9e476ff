#include "setup_runner.h"

static bool IsOpen(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

int RunAndWait(const char* commandLine)
{
    STARTUPINFOA startupInfo = {};
    PROCESS_INFORMATION processInfo = {};
    DWORD exitCode = 0;

    if (commandLine == nullptr || commandLine[0] == '\0')
        return LAUNCH_FAILED;

    startupInfo.cb = sizeof startupInfo;
    // The ANSI variant converts the line into a buffer of its own and never
    // writes to ours, so a constant line may be passed.
    if (!CreateProcessA(nullptr, const_cast<char*>(commandLine), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startupInfo, &processInfo))
        return LAUNCH_FAILED;

    // Unchecked: a failed wait leaves the child running, and the exit-code
    // read below then reports it as still active, which is a failure too.
    WaitForSingleObject(processInfo.hProcess, INFINITE);
    // A read that stores nothing must not leave the 0 of success behind.
    const bool haveExitCode = GetExitCodeProcess(processInfo.hProcess, &exitCode) != FALSE;

    // Unchecked: nothing can be done about a handle that fails to close.
    if (IsOpen(processInfo.hProcess))
        CloseHandle(processInfo.hProcess);
    if (IsOpen(processInfo.hThread))
        CloseHandle(processInfo.hThread);

    return haveExitCode ? static_cast<int>(exitCode) : LAUNCH_FAILED;
}
