// Helpers shared by the programs that test the launcher under Wine.
#pragma once

#include <windows.h>

#include <string>

// This program's own path, as a Windows path.
std::string OwnPath();

// The directory part of a Windows path, without its last backslash.
std::string DirectoryOf(const std::string& path);

// A path as Windows sees it: a Unix path is reached through Wine's Z: drive.
std::string WindowsPath(const std::string& path);

// Writes text into a new file at path, replacing any file there.
bool WriteTextFile(const std::string& path, const std::string& text);

// Starts commandLine, exactly these bytes, with the given application name
// (null to let the platform take it from the line). StartRaw leaves both
// handles to the caller; RunRaw waits for the end and returns the exit
// code. Both fail, with false or -1, when nothing could be started.
bool StartRaw(const char* applicationName, const std::string& commandLine,
              const char* currentDirectory, PROCESS_INFORMATION* process);
long RunRaw(const char* applicationName, const std::string& commandLine,
            const char* currentDirectory = nullptr);

// The calling process's handle count, from whichever source works here.
DWORD HandleCount();

// Registry keys under HKEY_LOCAL_MACHINE, in this 32-bit program's view.
bool CreateLocalMachineKey(const char* path);
void DeleteLocalMachineTree(const char* path);
bool LocalMachineKeyExists(const char* path);

// A registry value as read back: whether it exists, its type and bytes.
struct RegistryValue {
    bool exists = false;
    DWORD type = 0;
    std::string bytes;
};
RegistryValue ReadLocalMachineValue(const char* path, const char* name, REGSAM view = 0);
bool WriteLocalMachineValue(const char* path, const char* name, DWORD type, const void* data,
                            DWORD size);

// Printable form of a byte string: "31 00".
std::string HexBytes(const std::string& bytes);
