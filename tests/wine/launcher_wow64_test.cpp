// HvLaunch.exe, a 32-bit program, on 64-bit Windows: the file system
// redirections of WOW64 decide which program a tail names, and nothing in
// the tail is expanded. Given the probe built for 32 and for 64 bits, it
// places copies where each redirection leads and runs the launcher at them.
//
//   launcher_wow64_test HvLaunch.exe bits_probe32.exe bits_probe64.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "launcher_harness.h"

namespace {

std::string WindowsDirectory()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBits(const std::string& log)
{
    std::string bits;
    FILE* file = std::fopen(log.c_str(), "rb");
    if (!file)
        return bits;
    char line[16];
    while (std::fgets(line, sizeof line, file))
        bits += std::string(bits.empty() ? "" : ",") + std::string(line, 2);
    std::fclose(file);
    return bits;
}

void Run(const Scratch& s, int line, const std::string& tail, const char* expectedBits,
         const char* expectedStatus)
{
    const std::string log = s.root + "\\bits.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("HV_BITS_LOG", log.c_str());
    ResetStatusKey();
    const Outcome outcome = RunLauncher(s, false, Expand(s, "{L} ") + tail);
    const std::string bits = ReadBits(log);
    CheckAt(__FILE__, line, outcome.exitCode == 0, "[%s]: exit code %ld", tail.c_str(),
            outcome.exitCode);
    CheckAt(__FILE__, line, bits == expectedBits, "[%s]: ran [%s], expected [%s]", tail.c_str(),
            bits.c_str(), expectedBits);
    CheckAt(__FILE__, line, outcome.status.bytes == std::string(expectedStatus) + '\0',
            "[%s]: recorded [%s], expected \"%s\"", tail.c_str(),
            HexBytes(outcome.status.bytes).c_str(), expectedStatus);
}

void Redirections(const Scratch& s)
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (!wow64) {
        std::printf("skipped: the WOW64 rows: this is not 64-bit Windows, so there is no "
                    "redirection to prove\n");
        return;
    }
    // This 32-bit program reaches the real System32 as Sysnative, and sees
    // SysWOW64 under the name System32, as the launcher does.
    const std::string windows = WindowsDirectory();
    const std::string native = windows + "\\Sysnative\\";
    const std::string wow = windows + "\\SysWOW64\\";
    const std::string probe32 = WindowsPath(s.files.at(0)), probe64 = WindowsPath(s.files.at(1));
    const struct {
        std::string from, to;
    } copies[] = {
        {probe64, native + "hvbits.exe"},
        {probe32, wow + "hvbits.exe"},
        {probe64, native + "hvonly64.exe"},
    };
    for (const auto& copy : copies)
        ok(CopyFileA(copy.from.c_str(), copy.to.c_str(), FALSE), "cannot copy to %s",
           copy.to.c_str());
    ok(!Exists(wow + "hvonly64.exe"), "hvonly64.exe has a 32-bit copy");

    const std::string system32 = windows + "\\System32\\";
    // System32 in a 32-bit program's tail is SysWOW64: the 32-bit copy runs.
    Run(s, __LINE__, system32 + "hvbits.exe 0", "32", "1");
    // Where only a 64-bit copy exists, nothing starts.
    Run(s, __LINE__, system32 + "hvonly64.exe 0", "", "0");
    // Sysnative reaches the 64-bit program, and its exit code comes back.
    Run(s, __LINE__, windows + "\\Sysnative\\hvbits.exe 0", "64", "1");
    Run(s, __LINE__, windows + "\\Sysnative\\hvbits.exe 5", "64", "0");
    // The driver tool is 64-bit only on 64-bit Windows, where it exists.
    if (Exists(native + "pnputil.exe") && !Exists(wow + "pnputil.exe"))
        Run(s, __LINE__, system32 + "pnputil.exe /enum-drivers", "", "0");
    else
        std::printf("skipped: pnputil.exe: this system has no 64-bit-only copy of it\n");

    for (const auto& copy : copies)
        DeleteFileA(copy.to.c_str());
}

void NoExpansion(const Scratch& s)
{
    // A variable in the tail is taken literally. A copy at the place where
    // its expansion leads shows that, expanded, the tail would have run.
    char programFiles[MAX_PATH];
    GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
    const std::string directory = std::string(programFiles) + "\\HvLaunch Test";
    CreateDirectoryA(directory.c_str(), nullptr);
    ok(CopyFileA(WindowsPath(s.files.at(0)).c_str(), (directory + "\\hvbits.exe").c_str(), FALSE),
       "cannot copy to %s", directory.c_str());
    Run(s, __LINE__, "\"" + directory + "\\hvbits.exe\" 0", "32", "1");
    Run(s, __LINE__, "\"%ProgramFiles%\\HvLaunch Test\\hvbits.exe\" 0", "", "0");
    DeleteFileA((directory + "\\hvbits.exe").c_str());
    RemoveDirectoryA(directory.c_str());
}

void Tests(const Scratch& s)
{
    if (!ok(s.files.size() == 2, "usage: launcher_wow64_test HvLaunch.exe PROBE32 PROBE64"))
        return;
    Redirections(s);
    NoExpansion(s);
    DeleteLocalMachineTree(makerKey);
}

} // namespace

int main(int argc, char** argv)
{
    return LauncherTestMain(argc, argv, Tests);
}
