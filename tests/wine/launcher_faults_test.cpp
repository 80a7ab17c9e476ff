// HvLaunch.exe under faults, on Wine: keys it may not write or that are not
// there, children that crash or are killed, a launcher ended while it
// waits, setup scripts, tails that name no program, a tail as long as a
// command line may be. Every case ends with exit status 0,
// no window, and the registry exactly as before but for the status value.
#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "launcher_harness.h"

namespace {

const char otherKey[] = "Software\\Halvorn Tech\\Other Product";

// The maker's keys as a deployment would leave them: the status value, a
// value beside it, and a key beside the status key.
void ResetMakerKeys()
{
    ResetStatusKey();
    WriteLocalMachineValue(statusKey, "Version", REG_SZ, "2.1", 4);
    CreateLocalMachineKey(otherKey);
    WriteLocalMachineValue(otherKey, statusName, REG_SZ, "1", 2);
}

// Checks that nothing but the status value changed, and that it holds
// `expected` ("1", "0", or "unset" when nothing may be written).
void CheckRegistry(int line, const Snapshot& before, const char* expected)
{
    Snapshot after = TakeSnapshot(makerKey);
    Snapshot expectedAfter = before;
    const std::string status = std::string("Installation\\") + statusName;
    if (expectedAfter.count(status))
        expectedAfter[status] = {REG_SZ, std::string(expected) + '\0'};
    CheckAt(__FILE__, line, after == expectedAfter, "the registry is not as expected: %s is [%s]",
            status.c_str(), after.count(status) ? HexBytes(after[status].second).c_str() : "absent");
}

// Gives the status key the ACL that `sddl` describes. The owner of a key
// may always change its ACL, so a key that grants little can be opened up
// again afterwards.
LONG SetStatusKeyDacl(const char* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return static_cast<LONG>(GetLastError());
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, statusKey, 0, WRITE_DAC, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    return result;
}

const char openDacl[] = "D:P(A;;KA;;;WD)";

// Waits until the probe has logged its start; returns its runs.
std::vector<ProbeRun> AwaitProbe(const Scratch& s)
{
    std::vector<ProbeRun> runs;
    for (int i = 0; i < 300 && runs.empty(); ++i, Sleep(100))
        runs = ReadProbeLog(s);
    return runs;
}

void TailsThatNameNoProgram(const Scratch& s)
{
    ok(WriteTextFile(s.setupDir + "\\readme.txt", "not a program\r\n"), "cannot write readme.txt");

    const struct {
        int line;
        const char* commandLine;
    } rows[] = {
        {__LINE__, "{L} \"{D}\""},
        {__LINE__, "{L} {D}"},
        {__LINE__, "{L} \"{D}\\readme.txt\""},
        {__LINE__, "{L} {R}\\No Such Dir\\Not Here\\setup.exe /s"},
    };
    for (const auto& row : rows) {
        ResetMakerKeys();
        const Snapshot before = TakeSnapshot(makerKey);
        const std::string commandLine = Expand(s, row.commandLine);
        const Outcome outcome = RunLauncher(s, false, commandLine);
        ok_row(row, outcome.exitCode == 0, "[%s]: exit code %ld", commandLine.c_str(),
               outcome.exitCode);
        ok_row(row, outcome.probeRuns.empty(), "[%s]: a program ran", commandLine.c_str());
        CheckRegistry(row.line, before, "0");
    }
}

void KeysThatCannotBeWritten(const Scratch& s)
{
    // No maker's key at all, or no status key under it: nothing is created.
    DeleteLocalMachineTree(makerKey);
    Outcome outcome = RunLauncher(s, false, Expand(s, "{L}"));
    ok(outcome.exitCode == 0 && outcome.probeRuns.size() == 1, "absent maker's key: the run");
    ok(!LocalMachineKeyExists(makerKey), "the maker's key was created");

    ResetMakerKeys();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, statusKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, statusKey);
    Snapshot before = TakeSnapshot(makerKey);
    outcome = RunLauncher(s, false, Expand(s, "{L}"));
    ok(outcome.exitCode == 0 && outcome.probeRuns.size() == 1, "absent status key: the run");
    ok(TakeSnapshot(makerKey) == before, "absent status key: the registry changed");

    // A status key that may only be read keeps its old value.
    ResetMakerKeys();
    before = TakeSnapshot(makerKey);
    ok(SetStatusKeyDacl("D:P(A;;KR;;;WD)") == ERROR_SUCCESS, "cannot make the key read-only");
    HKEY probe;
    const LONG writable = RegOpenKeyExA(HKEY_LOCAL_MACHINE, statusKey, 0, KEY_WRITE, &probe);
    ok(writable == ERROR_ACCESS_DENIED, "the read-only key opens for writing: %ld", writable);
    if (writable == ERROR_SUCCESS)
        RegCloseKey(probe);

    outcome = RunLauncher(s, false, Expand(s, "{L}"));
    ok(outcome.exitCode == 0 && outcome.probeRuns.size() == 1, "read-only key: the run");
    CheckRegistry(__LINE__, before, "unset");
    ok(SetStatusKeyDacl(openDacl) == ERROR_SUCCESS, "cannot open the key up again");
}

void KeyThatMayOnlyBeWritten(const Scratch& s)
{
    // A status key whose ACL grants KEY_WRITE alone, nothing that reads, is
    // written: the launcher asks for no more than it needs. The owner's
    // implicit right to change the ACL lets the test open it up again.
    ResetMakerKeys();
    const Snapshot before = TakeSnapshot(makerKey);
    if (!ok(SetStatusKeyDacl("D:P(A;;0x20006;;;WD)") == ERROR_SUCCESS, "cannot make the key write-only"))
        return;
    // The control: wider access than KEY_WRITE is really refused.
    HKEY probe;
    const struct {
        int line;
        REGSAM access;
        LONG expected;
    } rows[] = {
        {__LINE__, KEY_WRITE, ERROR_SUCCESS},
        {__LINE__, KEY_WRITE | KEY_QUERY_VALUE, ERROR_ACCESS_DENIED},
        {__LINE__, KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {__LINE__, KEY_READ, ERROR_ACCESS_DENIED},
    };
    for (const auto& row : rows) {
        const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, statusKey, 0, row.access, &probe);
        ok_row(row, result == row.expected, "access %#lx: open gives %ld, expected %ld",
               row.access, result, row.expected);
        if (result == ERROR_SUCCESS)
            RegCloseKey(probe);
    }

    const Outcome outcome = RunLauncher(s, false, Expand(s, "{L}"));
    ok(outcome.exitCode == 0 && outcome.probeRuns.size() == 1, "write-only key: the run");
    ok(SetStatusKeyDacl(openDacl) == ERROR_SUCCESS, "cannot open the key up again");
    CheckRegistry(__LINE__, before, "1");
}

struct WindowSearch {
    DWORD processId;
    int windows;
};

BOOL CALLBACK CountWindowsOf(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search->windows += owner == search->processId;
    return TRUE;
}

void ChildrenThatEndBadly(const Scratch& s)
{
    // An access violation in the child. The probe, started directly, shows
    // that it really ends so.
    PrepareProbe(s, 0, "crash");
    const long crashCode = RunRaw(nullptr, "\"" + s.probe + "\"", s.root.c_str());
    ok(crashCode == static_cast<long>(EXCEPTION_ACCESS_VIOLATION), "the probe ended with %lx",
       crashCode);
    ResetMakerKeys();
    Snapshot before = TakeSnapshot(makerKey);
    PROCESS_INFORMATION launcher;
    Outcome outcome = RunLauncher(s, false, Expand(s, "{L}"), 0, "crash");
    ok(outcome.exitCode == 0 && outcome.probeRuns.size() == 1, "crashing child: the run");
    CheckRegistry(__LINE__, before, "0");

    // A child that another process ends, with exit code 1 as taskkill does.
    // While the launcher waits for it, the launcher owns no window.
    ResetMakerKeys();
    before = TakeSnapshot(makerKey);
    PrepareProbe(s, 0, "sleep");
    if (!ok(StartRaw(nullptr, Expand(s, "{L}"), s.root.c_str(), &launcher), "cannot start"))
        return;
    const std::vector<ProbeRun> runs = AwaitProbe(s);
    if (ok(runs.size() == 1, "the probe did not start")) {
        // The search must find a window where there is one: this program's
        // own. Without a graphics driver (Wine's test prefix sets its null
        // one; a desktop always has one) no window can exist to be found.
        HWND own = CreateWindowExA(0, "STATIC", "own", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
        const DWORD createError = own ? 0 : GetLastError();
        WindowSearch control = {GetCurrentProcessId(), 0};
        EnumWindows(CountWindowsOf, reinterpret_cast<LPARAM>(&control));
        if (own)
            DestroyWindow(own);
        if (own && control.windows >= 1) {
            WindowSearch search = {launcher.dwProcessId, 0};
            EnumWindows(CountWindowsOf, reinterpret_cast<LPARAM>(&search));
            ok(search.windows == 0, "the launcher owns %d windows while it waits",
               search.windows);
        } else {
            std::printf("skipped: the launcher's windows: %s, so none could be seen\n",
                        own ? "a window made here is not listed by EnumWindows"
                            : ("no window can be made here, error " + std::to_string(createError))
                                  .c_str());
        }
        ok(WaitForSingleObject(launcher.hProcess, 0) == WAIT_TIMEOUT,
           "the launcher did not wait for its child");

        HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, runs[0].processId);
        ok(child && TerminateProcess(child, 1), "cannot end the child");
        if (child)
            CloseHandle(child);
    }
    ok(WaitForSingleObject(launcher.hProcess, 60000) == WAIT_OBJECT_0, "the launcher hangs");
    DWORD exitCode = 0xDEADBEEF;
    GetExitCodeProcess(launcher.hProcess, &exitCode);
    ok(exitCode == 0, "killed child: the launcher's exit code %lu", exitCode);
    CloseHandle(launcher.hProcess);
    CloseHandle(launcher.hThread);
    CheckRegistry(__LINE__, before, "0");
}

void LauncherEndedFromOutside(const Scratch& s)
{
    // The launcher is ended while it waits, as a deployment tool's timeout
    // ends it: nothing is written, so a "1" from an earlier run stays, and
    // its setup child goes on running.
    ResetMakerKeys();
    WriteLocalMachineValue(statusKey, statusName, REG_SZ, "1", 2);
    const Snapshot before = TakeSnapshot(makerKey);
    PrepareProbe(s, 0, "sleep");
    PROCESS_INFORMATION launcher;
    if (!ok(StartRaw(nullptr, Expand(s, "{L}"), s.root.c_str(), &launcher), "cannot start"))
        return;
    const std::vector<ProbeRun> runs = AwaitProbe(s);
    ok(runs.size() == 1, "the probe did not start");
    ok(TerminateProcess(launcher.hProcess, 1), "cannot end the launcher");
    WaitForSingleObject(launcher.hProcess, 60000);
    CloseHandle(launcher.hProcess);
    CloseHandle(launcher.hThread);
    CheckRegistry(__LINE__, before, "1");
    if (runs.empty())
        return;
    HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, runs[0].processId);
    ok(child && WaitForSingleObject(child, 0) == WAIT_TIMEOUT,
       "the setup child ended with the launcher");
    if (child) {
        TerminateProcess(child, 0);
        WaitForSingleObject(child, 60000);
        CloseHandle(child);
    }
}

void SetupScripts(const Scratch& s)
{
    // A script named by its full path runs, and its exit code decides; a
    // bare script name is not searched for beside the launcher, only in
    // the current directory.
    const struct {
        const char* name;
        const char* text;
    } scripts[] = {
        {"setup ok.cmd", "@echo off\r\nexit /b 0\r\n"},
        {"setup three.cmd", "@echo off\r\nexit /b 3\r\n"},
        {"setup.cmd", "@echo off\r\nexit /b 0\r\n"},
        {"setup.bat", "@echo off\r\nexit /b 0\r\n"},
    };
    for (const auto& script : scripts)
        ok(WriteTextFile(s.setupDir + "\\" + script.name, script.text), "cannot write %s",
           script.name);
    const struct {
        int line;
        const char* commandLine;
        bool fromSetupDir; // the current directory: the launcher's, or the scratch root
        const char* expected;
    } rows[] = {
        {__LINE__, "{L} \"{D}\\setup ok.cmd\"", false, "1"},
        {__LINE__, "{L} \"{D}\\setup three.cmd\"", false, "0"},
        {__LINE__, "{L} \"{D}\\setup.bat\" /quiet", false, "1"},
        {__LINE__, "{L} setup.cmd", false, "0"},
        {__LINE__, "{L} setup.cmd", true, "1"},
    };
    for (const auto& row : rows) {
        ResetMakerKeys();
        const Snapshot before = TakeSnapshot(makerKey);
        const std::string commandLine = Expand(s, row.commandLine);
        const long exitCode = RunRaw(nullptr, commandLine,
                                     (row.fromSetupDir ? s.setupDir : s.root).c_str());
        ok_row(row, exitCode == 0, "[%s]: exit code %ld", commandLine.c_str(), exitCode);
        CheckRegistry(row.line, before, row.expected);
    }
}

void LongTail(const Scratch& s)
{
    // A command line may hold 32,767 characters with its NUL; the launcher's
    // own is its quoted path, a blank and the tail.
    ResetMakerKeys();
    const Snapshot before = TakeSnapshot(makerKey);
    const std::string probe = "\"" + s.probe + "\" ";
    const std::string launcher = "\"" + s.launcher + "\" ";
    const std::string tail = probe + std::string(32000 - launcher.size() - probe.size(), 'x');
    const Outcome outcome = RunLauncher(s, false, launcher + tail);
    ok(outcome.probeRuns.size() == 1 && outcome.probeRuns[0].commandLine == tail,
       "a %u-byte tail did not reach the child whole (%u bytes)",
       static_cast<unsigned>(tail.size()),
       static_cast<unsigned>(outcome.probeRuns.empty() ? 0 : outcome.probeRuns[0].commandLine.size()));
    ok(outcome.exitCode == 0, "long tail: exit code %ld", outcome.exitCode);
    CheckRegistry(__LINE__, before, "1");
}

void Tests(const Scratch& s)
{
    TailsThatNameNoProgram(s);
    ChildrenThatEndBadly(s);
    LauncherEndedFromOutside(s);
    SetupScripts(s);
    LongTail(s);
    KeyThatMayOnlyBeWritten(s);
    KeysThatCannotBeWritten(s);
    DeleteLocalMachineTree(makerKey);
}

} // namespace

int main(int argc, char** argv)
{
    return LauncherTestMain(argc, argv, Tests);
}
