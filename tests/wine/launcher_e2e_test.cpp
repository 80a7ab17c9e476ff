// HvLaunch.exe from end to end on Wine: started with exact raw command lines,
// it runs the probe and records the outcome in the registry.
#include <windows.h>

#include <string>

#include "check.h"
#include "launcher_harness.h"

namespace {

void CommandLines(const Scratch& s)
{
    // The placeholders are Expand's; expectedRun is null when nothing may run.
    const struct {
        int line;
        bool launcherAsApplication;
        const char* commandLine;
        DWORD probeExit;
        const char* expectedRun;
        const char* expectedStatus;
        const char* wineRun = nullptr; // the line as Wine rewrites it, if it does
    } rows[] = {
        // An empty tail runs the built-in default, found beside the launcher.
        {__LINE__, false, "{L}", 0, "HvDrvStp.exe", "1"},
        {__LINE__, false, "{L}", 5, "HvDrvStp.exe", "0"},
        {__LINE__, false, "{L}  \t  ", 0, "HvDrvStp.exe", "1"},
        // A tail is run exactly as given: quotes, inner and trailing blanks.
        {__LINE__, false, "{L} \"{P}\" a  \"b c\"  ", 0, "\"{P}\" a  \"b c\"  ", "1"},
        {__LINE__, false, "{L}\t\"{P}\" /x", 3010, "\"{P}\" /x", "0"},
        {__LINE__, false, "{L} \"{P}\" /x", 0xFFFFFFFF, "\"{P}\" /x", "0"},
        {__LINE__, false, "{L}\"{P}\"", 0, "\"{P}\"", "1"},
        // Unquoted, the path with a blank is searched piece by piece. (Wine
        // then hands the child its program name quoted; Windows does not.)
        {__LINE__, false, "{L} {P} a", 0, "{P} a", "1", "\"{P}\" a"},
        // Options alone name no program: nothing runs, not even the default.
        {__LINE__, false, "{L} /s", 0, nullptr, "0"},
        {__LINE__, false, "{L} \"{D}\\missing.exe\"", 0, nullptr, "0"},
        // Started by application name, the line may say anything: an
        // unterminated quote takes the whole line, so the default runs...
        {__LINE__, true, "\"{D}\\HvLaunch.exe x y", 0, "HvDrvStp.exe", "1"},
        // ...and with a leading blank the first word is the program to run.
        {__LINE__, true, " HvDrvStp.exe x ", 0, "HvDrvStp.exe x ", "1"},
    };

    for (const auto& row : rows) {
        ResetStatusKey();
        const std::string commandLine = Expand(s, row.commandLine);

        const Outcome outcome = RunLauncher(s, row.launcherAsApplication, commandLine, row.probeExit);

        ok_row(row, outcome.exitCode == 0, "[%s]: launcher exit code %ld", commandLine.c_str(),
               outcome.exitCode);
        const char* ran = outcome.probeRuns.empty() ? "" : outcome.probeRuns[0].commandLine.c_str();
        if (row.expectedRun) {
            const std::string expected = Expand(s, row.expectedRun);
            const std::string wineExpected = row.wineRun ? Expand(s, row.wineRun) : expected;
            ok_row(row, outcome.probeRuns.size() == 1 && (ran == expected || ran == wineExpected),
                   "[%s]: the probe ran %u times, first as [%s], expected once as [%s]",
                   commandLine.c_str(), static_cast<unsigned>(outcome.probeRuns.size()), ran,
                   expected.c_str());
        } else {
            ok_row(row, outcome.probeRuns.empty(), "[%s]: the probe ran as [%s]",
                   commandLine.c_str(), ran);
        }
        const std::string expectedBytes = std::string(row.expectedStatus) + '\0';
        ok_row(row, outcome.status.exists && outcome.status.type == REG_SZ &&
                        outcome.status.bytes == expectedBytes,
               "[%s]: status type %lu, bytes [%s], expected \"%s\" as REG_SZ", commandLine.c_str(),
               outcome.status.type, HexBytes(outcome.status.bytes).c_str(), row.expectedStatus);
    }
}

void ValueRules(const Scratch& s)
{
    // A value of another type is replaced; the key's other values stay.
    ResetStatusKey();
    const DWORD previous = 1;
    WriteLocalMachineValue(statusKey, statusName, REG_DWORD, &previous, sizeof previous);
    WriteLocalMachineValue(statusKey, "Version", REG_SZ, "2.1", 4);
    const Outcome outcome = RunLauncher(s, false, Expand(s, "{L}"));
    ok(outcome.status.type == REG_SZ && outcome.status.bytes == std::string("1\0", 2),
       "a REG_DWORD was not replaced: type %lu, bytes [%s]", outcome.status.type,
       HexBytes(outcome.status.bytes).c_str());
    // The stored bytes, raw: the UTF-16 digit and its NUL. Wine's
    // RegSetValueExA adds a missing NUL itself, so under Wine this row
    // passes also for a launcher that stores the digit alone; Windows
    // stores what it is given, and there the row tells the two apart.
    HKEY key;
    wchar_t raw[8] = {0x7777, 0x7777, 0x7777, 0x7777};
    DWORD rawType = 0xDEADBEEF, rawSize = sizeof raw;
    if (ok(RegOpenKeyExA(HKEY_LOCAL_MACHINE, statusKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS,
           "cannot open the status key")) {
        RegQueryValueExW(key, L"Quendra Drivers", nullptr, &rawType, reinterpret_cast<BYTE*>(raw),
                         &rawSize);
        RegCloseKey(key);
    }
    const std::string rawBytes(reinterpret_cast<const char*>(raw), rawSize);
    ok(rawType == REG_SZ && rawBytes == std::string("1\0\0\0", 4),
       "read raw: type %lu, bytes [%s], expected 1 and [31 00 00 00]", rawType,
       HexBytes(rawBytes).c_str());

    const RegistryValue version = ReadLocalMachineValue(statusKey, "Version");
    ok(version.type == REG_SZ && version.bytes == std::string("2.1\0", 4),
       "another value changed: [%s]", HexBytes(version.bytes).c_str());

    // On 64-bit Windows the 32-bit launcher writes to the 32-bit view.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (wow64) {
        const RegistryValue redirected = ReadLocalMachineValue(
            "Software\\WOW6432Node\\Halvorn Tech\\Installation", statusName, KEY_WOW64_64KEY);
        ok(redirected.exists, "the value is not under WOW6432Node in the 64-bit view");
        ok(!ReadLocalMachineValue(statusKey, statusName, KEY_WOW64_64KEY).exists,
           "the value is in the 64-bit view's own key");
    }
    DeleteLocalMachineTree(makerKey);
}

void Tests(const Scratch& s)
{
    CommandLines(s);
    ValueRules(s);
}

} // namespace

int main(int argc, char** argv)
{
    return LauncherTestMain(argc, argv, Tests);
}
