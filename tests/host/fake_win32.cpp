#include "fake_win32.h"

#include <cstdio>

FakeWin32 fake;

HANDLE const FakeWin32::processHandle = reinterpret_cast<HANDLE>(0x100);
HANDLE const FakeWin32::threadHandle = reinterpret_cast<HANDLE>(0x200);
HKEY const FakeWin32::openedKey = reinterpret_cast<HKEY>(0x300);

void ResetFake()
{
    fake = FakeWin32();
}

static std::string Name(const void* handle)
{
    if (handle == nullptr)
        return "null";
    if (handle == INVALID_HANDLE_VALUE)
        return "invalid";
    if (handle == FakeWin32::processHandle)
        return "process";
    if (handle == FakeWin32::threadHandle)
        return "thread";
    if (handle == FakeWin32::openedKey)
        return "key";
    if (handle == HKEY_LOCAL_MACHINE)
        return "HKLM";
    char text[32];
    std::snprintf(text, sizeof text, "%p", handle);
    return text;
}

static std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

static std::string Bytes(const BYTE* data, DWORD size)
{
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", data[i]);
        text += (i ? " " : "") + std::string(byte);
    }
    return text;
}

extern "C" BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                               SECURITY_ATTRIBUTES* processAttributes,
                               SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                               DWORD creationFlags, void* environment, LPCSTR currentDirectory,
                               STARTUPINFOA* startupInfo, PROCESS_INFORMATION* processInformation)
{
    fake.calls.push_back("CreateProcessA(" + std::string(commandLine) + ")");
    fake.createApplicationName = applicationName;
    fake.createCommandLine = commandLine;
    fake.createAttributesNull = processAttributes == nullptr && threadAttributes == nullptr;
    fake.createInheritHandles = inheritHandles;
    fake.createFlags = creationFlags;
    fake.createEnvironmentNull = environment == nullptr;
    fake.createDirectoryNull = currentDirectory == nullptr;
    fake.createStartupInfo = *startupInfo;
    if (fake.createResult)
        *processInformation = fake.createdProcess;
    return fake.createResult;
}

extern "C" DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    fake.calls.push_back("WaitForSingleObject(" + Name(handle) + ", " + Hex(milliseconds) + ")");
    return 0;
}

extern "C" BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode)
{
    fake.calls.push_back("GetExitCodeProcess(" + Name(process) + ")");
    if (fake.exitCodeResult)
        *exitCode = fake.exitCode;
    return fake.exitCodeResult;
}

extern "C" BOOL CloseHandle(HANDLE handle)
{
    fake.calls.push_back("CloseHandle(" + Name(handle) + ")");
    return TRUE;
}

extern "C" LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, HKEY* result)
{
    fake.calls.push_back("RegOpenKeyExA(" + Name(key) + ", " + subKey + ", " + Hex(options) + ", " +
                         Hex(desired) + ")");
    if (fake.openResult == ERROR_SUCCESS)
        *result = FakeWin32::openedKey;
    return fake.openResult;
}

extern "C" LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                               const BYTE* data, DWORD dataSize)
{
    fake.calls.push_back("RegSetValueExA(" + Name(key) + ", " + valueName + ", " + Hex(reserved) +
                         ", " + Hex(type) + ", [" + Bytes(data, dataSize) + "])");
    fake.setData = data;
    return fake.setResult;
}

extern "C" LONG RegCloseKey(HKEY key)
{
    fake.calls.push_back("RegCloseKey(" + Name(key) + ")");
    return ERROR_SUCCESS;
}
