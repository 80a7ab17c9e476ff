// The process entry of HvLaunch.exe, in place of a C run-time start-up:
// nothing is initialised, so it only derives the command tail and hands it
// to WinMain.
#include "command_tail.h"
#include "launcher.h"

// Provided by the linker: the image's own load address is its instance handle.
extern "C" char __ImageBase;

// The stack is only 4-byte aligned when the platform enters here.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void LauncherStartup()
{
    char* tail = CommandTail(GetCommandLineA(), IsDBCSLeadByte);
    ExitProcess(static_cast<DWORD>(WinMain(&__ImageBase, nullptr, tail, SW_SHOWDEFAULT)));
}
