// The launcher's entry: run the setup program, record the outcome.
#pragma once

#include "win32.h"

// Run when the command tail is empty. A bare name: the platform's search for
// a command line without an application name finds it, starting with the
// launcher's own directory.
constexpr char DEFAULT_SETUP_COMMAND[] = "HvDrvStp.exe";

// Runs commandTail, or DEFAULT_SETUP_COMMAND when the tail is null or empty,
// waits for it to end, and records "1" (exit code 0) or "0" (any other code,
// or no start at all) as the status value. Always returns 0.
//
//   ""                    ->  runs HvDrvStp.exe
//   setup.exe /s          ->  runs setup.exe /s, exactly so
//   /s                    ->  runs /s, which starts nothing: records "0"
extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandTail,
                              int showState);
