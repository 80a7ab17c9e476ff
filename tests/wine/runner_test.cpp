// RunAndWait on Wine's real process calls. The program starts itself again
// as the child, in one of the modes below, chosen by its first argument.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "setup_runner.h"
#include "wine_support.h"

namespace {

std::string Self()
{
    return "\"" + OwnPath() + "\"";
}

// child-exit N: ends with exit code N (unsigned, any 32-bit value).
// child-spawn-sleeper: starts a copy of itself that sleeps for a minute,
//   and ends at once with that copy's process id as its exit code.
// child-sleep: sleeps for a minute.
// child-check-inherited DIR: ends with 0 when it runs in DIR and sees the
//   parent's HV_RUNNER_MARK variable, 1 otherwise.
int RunChild(int argc, char** argv)
{
    const std::string mode = argv[1];
    if (mode == "child-exit" && argc == 3)
        ExitProcess(std::strtoul(argv[2], nullptr, 0));
    if (mode == "child-sleep") {
        Sleep(60000);
        return 0;
    }
    if (mode == "child-spawn-sleeper") {
        PROCESS_INFORMATION process;
        if (!StartRaw(nullptr, Self() + " child-sleep", nullptr, &process))
            return 0;
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return static_cast<int>(process.dwProcessId);
    }
    if (mode == "child-check-inherited" && argc == 3) {
        char directory[MAX_PATH];
        GetCurrentDirectoryA(sizeof directory, directory);
        const char* mark = std::getenv("HV_RUNNER_MARK");
        const bool same = _stricmp(directory, argv[2]) == 0 && mark && std::strcmp(mark, "yes") == 0;
        return same ? 0 : 1;
    }
    return 99;
}

void ExitCodesComeBackUnchanged()
{
    const struct {
        int line;
        const char* code;
        int expected;
    } rows[] = {
        {__LINE__, "0", 0},
        {__LINE__, "1", 1},
        {__LINE__, "259", 259},
        {__LINE__, "3010", 3010},
        {__LINE__, "0xC0000005", static_cast<int>(0xC0000005u)},
        {__LINE__, "0xFFFFFFFF", -1},
    };
    for (const auto& row : rows) {
        const DWORD handlesBefore = HandleCount();
        const std::string line = Self() + " child-exit " + row.code;
        const int result = RunAndWait(line.c_str());
        ok_row(row, result == row.expected, "exit code %s: got %d, expected %d", row.code, result,
               row.expected);
        ok_row(row, HandleCount() == handlesBefore, "exit code %s: handle count %lu, was %lu",
               row.code, HandleCount(), handlesBefore);
    }
}

void WhatStartsNothingIsLaunchFailed()
{
    const struct {
        int line;
        const char* commandLine;
    } rows[] = {
        {__LINE__, "Z:\\no\\such\\program.exe"},
        {__LINE__, "hv-no-such-program.exe /s"},
        {__LINE__, "/s"},
        {__LINE__, ""},
    };
    for (const auto& row : rows) {
        const DWORD handlesBefore = HandleCount();
        const int result = RunAndWait(row.commandLine);
        ok_row(row, result == LAUNCH_FAILED, "'%s': got %d", row.commandLine, result);
        ok_row(row, HandleCount() == handlesBefore, "'%s': handle count %lu, was %lu",
               row.commandLine, HandleCount(), handlesBefore);
    }
    ok(RunAndWait(nullptr) == LAUNCH_FAILED, "null command line");
}

void ReturnsWhenTheChildEndsNotItsChildren()
{
    const std::string line = Self() + " child-spawn-sleeper";
    const DWORD started = GetTickCount();
    const int sleeperId = RunAndWait(line.c_str());
    const DWORD elapsed = GetTickCount() - started;

    ok(sleeperId > 0, "the child started no sleeper: %d", sleeperId);
    ok(elapsed < 30000, "waited %lu ms: longer than the child lived", elapsed);
    HANDLE sleeper = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, sleeperId);
    ok(sleeper != nullptr, "the sleeper is gone already");
    if (sleeper) {
        ok(WaitForSingleObject(sleeper, 0) == WAIT_TIMEOUT, "the sleeper has ended");
        TerminateProcess(sleeper, 0);
        CloseHandle(sleeper);
    }
}

void LeavesNoHandleBehind()
{
    // The count itself must see a handle come and go, or every check of it
    // would pass for nothing.
    const DWORD base = HandleCount();
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const DWORD withEvent = HandleCount();
    CloseHandle(event);
    ok(base > 0 && withEvent == base + 1 && HandleCount() == base,
       "the handle count does not follow a handle: %lu, %lu, %lu", base, withEvent, HandleCount());

    const std::string line = Self() + " child-exit 0";
    RunAndWait(line.c_str()); // the first call may load what later ones reuse
    const DWORD handlesBefore = HandleCount();
    int failures = 0;
    for (int i = 0; i < 100; ++i)
        failures += RunAndWait(line.c_str()) != 0;
    ok(failures == 0, "%d of 100 runs failed", failures);
    ok(HandleCount() == handlesBefore, "after 100 runs the handle count is %lu, was %lu",
       HandleCount(), handlesBefore);
}

void ChildGetsTheCallersEnvironmentAndDirectory()
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    directory[std::strlen(directory) - 1] = '\0'; // no trailing backslash
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(directory);
    SetEnvironmentVariableA("HV_RUNNER_MARK", "yes");

    const std::string line = Self() + " child-check-inherited \"" + directory + "\"";
    ok(RunAndWait(line.c_str()) == 0, "the child did not run in %s with the parent's variables",
       directory);

    SetEnvironmentVariableA("HV_RUNNER_MARK", nullptr);
    SetCurrentDirectoryA(previous);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        return RunChild(argc, argv);

    ExitCodesComeBackUnchanged();
    WhatStartsNothingIsLaunchFailed();
    ReturnsWhenTheChildEndsNotItsChildren();
    LeavesNoHandleBehind();
    ChildGetsTheCallersEnvironmentAndDirectory();
    return CheckSummary();
}
