// Runs one command line as a child process to its end.
#pragma once

#include "win32.h"

// The result of RunAndWait when nothing was run, or when the child's exit
// code could not be read.
constexpr int LAUNCH_FAILED = -1;

// Starts commandLine (program first, then its arguments) with the caller's
// environment, current directory and default start-up information, waits
// without a time limit until that process has ended, and returns its exit
// code as a signed value: 0xFFFFFFFF comes back as -1, like LAUNCH_FAILED.
//
//   null or ""                       ->  -1, nothing is started
//   a first token that names no program  ->  -1
//   a child that exits with 3010     ->  3010
//
// Processes that the child starts are not waited for. Both handles of the
// child are closed before it returns.
int RunAndWait(const char* commandLine);
