// HvLaunch.exe from end to end on Wine: started with exact raw command lines,
// it runs a probe, which is this program again, and records the outcome in
// the registry.
//
// The probe records its own command line, hex-encoded so that no quoting can
// change it, and ends with the exit code it is told; both through variables
// that the launcher hands on to its child with the rest of its environment.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "wine_support.h"

namespace {

const char statusKey[] = "Software\\Halvorn Tech\\Installation";
const char makerKey[] = "Software\\Halvorn Tech";
const char statusName[] = "Quendra Drivers";

int RunProbe(const char* logPath)
{
    const unsigned char* line = reinterpret_cast<const unsigned char*>(GetCommandLineA());
    FILE* log = std::fopen(logPath, "ab");
    if (log) {
        for (; *line; ++line)
            std::fprintf(log, "%02X", *line);
        std::fprintf(log, "\n");
        std::fclose(log);
    }
    const char* exitCode = std::getenv("HV_PROBE_EXIT");
    return exitCode ? static_cast<int>(std::strtoul(exitCode, nullptr, 0)) : 0;
}

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

// The scratch layout: the launcher and the probe, as HvDrvStp.exe, side by
// side in a directory with a blank in its name; the launcher is started
// from another directory.
struct Scratch {
    std::string root;
    std::string setupDir;
    std::string launcher;
    std::string probe;
    std::string log;
};

Scratch MakeScratch(const std::string& builtLauncher)
{
    Scratch s;
    s.root = DirectoryOf(OwnPath()) + "\\e2e scratch";
    s.setupDir = s.root + "\\Driver Setup";
    s.launcher = s.setupDir + "\\HvLaunch.exe";
    s.probe = s.setupDir + "\\HvDrvStp.exe";
    s.log = s.root + "\\probe.log";
    CreateDirectoryA(s.root.c_str(), nullptr);
    CreateDirectoryA(s.setupDir.c_str(), nullptr);
    ok(CopyFileA(builtLauncher.c_str(), s.launcher.c_str(), FALSE), "cannot copy %s",
       builtLauncher.c_str());
    ok(CopyFileA(OwnPath().c_str(), s.probe.c_str(), FALSE), "cannot copy the probe");
    SetEnvironmentVariableA("HV_PROBE_LOG", s.log.c_str());
    return s;
}

// What one run of the launcher did: its exit code, the command lines that
// the probe saw, and the status value afterwards.
struct Outcome {
    long exitCode;
    std::vector<std::string> probeLines;
    RegistryValue status;
};

Outcome RunLauncher(const Scratch& s, bool launcherAsApplication, const std::string& commandLine,
                    DWORD probeExit)
{
    DeleteFileA(s.log.c_str());
    SetEnvironmentVariableA("HV_PROBE_EXIT", std::to_string(probeExit).c_str());

    Outcome outcome;
    outcome.exitCode = RunRaw(launcherAsApplication ? s.launcher.c_str() : nullptr, commandLine,
                              s.root.c_str());

    FILE* log = std::fopen(s.log.c_str(), "rb");
    if (log) {
        char hex[70000];
        while (std::fgets(hex, sizeof hex, log)) {
            std::string line = hex;
            line.erase(line.find_last_not_of("\r\n") + 1);
            outcome.probeLines.push_back(FromHex(line));
        }
        std::fclose(log);
    }
    outcome.status = ReadLocalMachineValue(statusKey, statusName);
    return outcome;
}

void ResetStatusKey()
{
    DeleteLocalMachineTree(makerKey);
    ok(CreateLocalMachineKey(statusKey), "cannot create the status key");
    // A sentinel, so that a run that writes nothing is seen.
    WriteLocalMachineValue(statusKey, statusName, REG_SZ, "unset", 6);
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void CommandLines(const Scratch& s)
{
    // {L}: the launcher's quoted path; {P}: the probe's path, unquoted;
    // {D}: the directory of both. expectedRun is null when nothing may run.
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
        auto expand = [&](const char* text) {
            std::string line = Replace(text, "{L}", "\"" + s.launcher + "\"");
            line = Replace(line, "{P}", s.probe);
            return Replace(line, "{D}", s.setupDir);
        };
        const std::string commandLine = expand(row.commandLine);

        const Outcome outcome = RunLauncher(s, row.launcherAsApplication, commandLine, row.probeExit);

        ok_row(row, outcome.exitCode == 0, "[%s]: launcher exit code %ld", commandLine.c_str(),
               outcome.exitCode);
        if (row.expectedRun) {
            const std::string expected = expand(row.expectedRun);
            const std::string wineExpected = row.wineRun ? expand(row.wineRun) : expected;
            ok_row(row, outcome.probeLines.size() == 1 &&
                            (outcome.probeLines[0] == expected ||
                             outcome.probeLines[0] == wineExpected),
                   "[%s]: the probe ran %u times, first as [%s], expected once as [%s]",
                   commandLine.c_str(), static_cast<unsigned>(outcome.probeLines.size()),
                   outcome.probeLines.empty() ? "" : outcome.probeLines[0].c_str(),
                   expected.c_str());
        } else {
            ok_row(row, outcome.probeLines.empty(), "[%s]: the probe ran as [%s]",
                   commandLine.c_str(), outcome.probeLines.empty() ? "" : outcome.probeLines[0].c_str());
        }
        const std::string expectedBytes = std::string(row.expectedStatus) + '\0';
        ok_row(row, outcome.status.exists && outcome.status.type == REG_SZ &&
                        outcome.status.bytes == expectedBytes,
               "[%s]: status type %lu, bytes [%s], expected \"%s\" as REG_SZ", commandLine.c_str(),
               outcome.status.type, HexBytes(outcome.status.bytes).c_str(), row.expectedStatus);
    }
}

void KeyRules(const Scratch& s)
{
    const std::string launcher = "\"" + s.launcher + "\"";

    // The key is never created, nor the maker's key above it.
    DeleteLocalMachineTree(makerKey);
    ok(CreateLocalMachineKey(makerKey), "cannot create the maker's key");
    Outcome outcome = RunLauncher(s, false, launcher, 0);
    ok(outcome.exitCode == 0 && outcome.probeLines.size() == 1, "absent key: the run went wrong");
    ok(!LocalMachineKeyExists(statusKey), "the status key was created");

    DeleteLocalMachineTree(makerKey);
    outcome = RunLauncher(s, false, launcher, 0);
    ok(outcome.exitCode == 0, "absent maker's key: launcher exit code %ld", outcome.exitCode);
    ok(!LocalMachineKeyExists(makerKey), "the maker's key was created");

    // A value of another type is replaced; the key's other values stay.
    ok(CreateLocalMachineKey(statusKey), "cannot create the status key");
    const DWORD previous = 1;
    WriteLocalMachineValue(statusKey, statusName, REG_DWORD, &previous, sizeof previous);
    WriteLocalMachineValue(statusKey, "Version", REG_SZ, "2.1", 4);
    outcome = RunLauncher(s, false, launcher, 0);
    ok(outcome.status.type == REG_SZ && outcome.status.bytes == std::string("1\0", 2),
       "a REG_DWORD was not replaced: type %lu, bytes [%s]", outcome.status.type,
       HexBytes(outcome.status.bytes).c_str());
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

} // namespace

int main(int argc, char** argv)
{
    if (const char* probeLog = std::getenv("HV_PROBE_LOG"))
        return RunProbe(probeLog);
    if (argc != 2) {
        std::printf("usage: launcher_e2e_test PATH-OF-HvLaunch.exe\n");
        return 2;
    }
    // A Unix path is reached through Wine's Z: drive.
    std::string launcher = argv[1];
    if (launcher[0] == '/')
        launcher = "Z:" + Replace(launcher, "/", "\\");

    const Scratch scratch = MakeScratch(launcher);
    CommandLines(scratch);
    KeyRules(scratch);
    return CheckSummary();
}
