// The few Win32 types, records, constants and calls that the launcher uses,
// declared here from their documented signatures so that the whole import
// list can be audited in one file.
//
// On the i686 target these bind to KERNEL32.dll and ADVAPI32.dll through the
// system import libraries. On the build host the same declarations are
// satisfied by the test fakes, which record every call and can fail any of
// them; WINAPI is empty there because the host has one calling convention.
#pragma once

// A test program under Wine includes the full system header before this one:
// the same calls and records are declared there already.
#if !defined(_WINDOWS_)

#include <stdint.h>

#if defined(_WIN32)
#define WIN32_IMPORT extern "C" __declspec(dllimport)
#else
#define WIN32_IMPORT extern "C"
#endif

#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#else
#define WINAPI
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
#if defined(_WIN32)
// As the system header has them, so that C++ names taking them link alike.
typedef unsigned long DWORD;
typedef long LONG;
#else
typedef uint32_t DWORD;
typedef int32_t LONG;
#endif
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;
typedef void* HINSTANCE;
typedef struct HKEY__* HKEY;
typedef DWORD REGSAM;

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

struct SECURITY_ATTRIBUTES;

#if defined(__i386__)
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA must have its Win32 layout");
static_assert(sizeof(PROCESS_INFORMATION) == 16, "PROCESS_INFORMATION must have its Win32 layout");
#endif

#define FALSE 0
#define TRUE 1
#define INFINITE 0xFFFFFFFFu
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define SW_SHOWDEFAULT 10

// Predefined keys are sign-extended 32-bit values on every Windows.
#define HKEY_LOCAL_MACHINE ((HKEY)(intptr_t)(LONG)0x80000002u)
#define KEY_WRITE 0x20006u // READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
#define REG_SZ 1u
#define ERROR_SUCCESS 0

// KERNEL32.dll
WIN32_IMPORT BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                        SECURITY_ATTRIBUTES* processAttributes,
                                        SECURITY_ATTRIBUTES* threadAttributes,
                                        BOOL inheritHandles, DWORD creationFlags,
                                        void* environment, LPCSTR currentDirectory,
                                        STARTUPINFOA* startupInfo,
                                        PROCESS_INFORMATION* processInformation);
WIN32_IMPORT DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
WIN32_IMPORT BOOL WINAPI GetExitCodeProcess(HANDLE process, DWORD* exitCode);
WIN32_IMPORT BOOL WINAPI CloseHandle(HANDLE handle);
WIN32_IMPORT LPSTR WINAPI GetCommandLineA(void);
WIN32_IMPORT BOOL WINAPI IsDBCSLeadByte(BYTE testChar);
WIN32_IMPORT __attribute__((noreturn)) void WINAPI ExitProcess(DWORD exitCode);

// ADVAPI32.dll
WIN32_IMPORT LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired,
                                       HKEY* result);
WIN32_IMPORT LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                        const BYTE* data, DWORD dataSize);
WIN32_IMPORT LONG WINAPI RegCloseKey(HKEY key);

#endif
