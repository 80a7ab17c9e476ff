#include "launcher_harness.h"

#include <cstdio>
#include <cstdlib>

#include "check.h"

namespace {

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void AddToSnapshot(HKEY key, const std::string& prefix, Snapshot* snapshot)
{
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        (*snapshot)[prefix + name] = {type, std::string(reinterpret_cast<char*>(data), dataSize)};
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        (*snapshot)[prefix + name + "\\"] = {0, "(key)"};
        HKEY subKey;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &subKey) == ERROR_SUCCESS) {
            AddToSnapshot(subKey, prefix + name + "\\", snapshot);
            RegCloseKey(subKey);
        }
    }
}

// Acts as the probe when HV_PROBE_LOG is set; returns false otherwise.
bool RunAsProbe(int* exitCode)
{
    const char* logPath = std::getenv("HV_PROBE_LOG");
    if (!logPath)
        return false;
    FILE* log = std::fopen(logPath, "ab");
    if (log) {
        std::fprintf(log, "%lu ", GetCurrentProcessId());
        for (auto* byte = reinterpret_cast<const unsigned char*>(GetCommandLineA()); *byte; ++byte)
            std::fprintf(log, "%02X", *byte);
        std::fprintf(log, "\n");
        std::fclose(log);
    }
    const char* action = std::getenv("HV_PROBE_ACTION");
    if (action && std::string(action) == "crash") {
        // No error report window to wait on, neither Windows' nor Wine's.
        SetErrorMode(SEM_NOGPFAULTERRORBOX);
        // Raised, not provoked: under qemu's user-mode emulation Wine sees a
        // stray store without its trap number and reports an illegal
        // instruction instead. Unhandled, either ends the process with the
        // exception's code, which is all the launcher sees.
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
    if (action && std::string(action) == "sleep")
        Sleep(60000);
    const char* code = std::getenv("HV_PROBE_EXIT");
    *exitCode = code ? static_cast<int>(std::strtoul(code, nullptr, 0)) : 0;
    return true;
}

} // namespace

Scratch MakeScratch(const char* builtLauncher)
{
    Scratch s;
    // One scratch directory for each test program, used again by its next
    // run. No blank-separated prefix of its path may name a program: the
    // unquoted-path cases would start that program.
    const std::string self = OwnPath();
    const size_t name = self.find_last_of('\\') + 1;
    s.root = self.substr(0, name) + "scratch for " + self.substr(name, self.size() - name - 4);
    s.setupDir = s.root + "\\Driver Setup";
    s.launcher = s.setupDir + "\\HvLaunch.exe";
    s.probe = s.setupDir + "\\HvDrvStp.exe";
    s.log = s.root + "\\probe.log";
    CreateDirectoryA(s.root.c_str(), nullptr);
    CreateDirectoryA(s.setupDir.c_str(), nullptr);
    const std::string built = WindowsPath(builtLauncher);
    ok(CopyFileA(built.c_str(), s.launcher.c_str(), FALSE), "cannot copy %s", built.c_str());
    ok(CopyFileA(OwnPath().c_str(), s.probe.c_str(), FALSE), "cannot copy the probe");
    SetEnvironmentVariableA("HV_PROBE_LOG", s.log.c_str());
    return s;
}

std::string Expand(const Scratch& s, const std::string& text)
{
    std::string line = Replace(text, "{L}", "\"" + s.launcher + "\"");
    line = Replace(line, "{P}", s.probe);
    line = Replace(line, "{D}", s.setupDir);
    return Replace(line, "{R}", s.root);
}

std::vector<ProbeRun> ReadProbeLog(const Scratch& s)
{
    std::vector<ProbeRun> runs;
    FILE* log = std::fopen(s.log.c_str(), "rb");
    if (!log)
        return runs;
    static char line[70000];
    while (std::fgets(line, sizeof line, log)) {
        char* hex = nullptr;
        const DWORD processId = std::strtoul(line, &hex, 10);
        std::string text = hex + 1;
        text.erase(text.find_last_not_of("\r\n") + 1);
        runs.push_back({processId, FromHex(text)});
    }
    std::fclose(log);
    return runs;
}

void PrepareProbe(const Scratch& s, DWORD exitCode, const char* action)
{
    DeleteFileA(s.log.c_str());
    SetEnvironmentVariableA("HV_PROBE_EXIT", std::to_string(exitCode).c_str());
    SetEnvironmentVariableA("HV_PROBE_ACTION", action);
}

Outcome RunLauncher(const Scratch& s, bool launcherAsApplication, const std::string& commandLine,
                    DWORD probeExit, const char* probeAction)
{
    PrepareProbe(s, probeExit, probeAction);
    Outcome outcome;
    outcome.exitCode = RunRaw(launcherAsApplication ? s.launcher.c_str() : nullptr, commandLine,
                              s.root.c_str());
    outcome.probeRuns = ReadProbeLog(s);
    outcome.status = ReadLocalMachineValue(statusKey, statusName);
    return outcome;
}

void ResetStatusKey()
{
    DeleteLocalMachineTree(makerKey);
    ok(CreateLocalMachineKey(statusKey), "cannot create the status key");
    WriteLocalMachineValue(statusKey, statusName, REG_SZ, "unset", 6);
}

Snapshot TakeSnapshot(const char* path)
{
    Snapshot snapshot;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        AddToSnapshot(key, "", &snapshot);
        RegCloseKey(key);
    }
    return snapshot;
}

int LauncherTestMain(int argc, char** argv, void (*tests)(const Scratch&))
{
    int probeExit;
    if (RunAsProbe(&probeExit))
        return probeExit;
    if (argc < 2) {
        std::printf("usage: %s PATH-OF-HvLaunch.exe [FILE...]\n", argv[0]);
        return 2;
    }
    Scratch s = MakeScratch(argv[1]);
    s.files.assign(argv + 2, argv + argc);
    tests(s);
    return CheckSummary();
}
