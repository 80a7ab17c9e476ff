// The command tail: what follows the launcher's own program name.
#pragma once

#include "win32.h"

// Tells whether a byte is the lead byte of a double-byte character in the
// ANSI code page; IsDBCSLeadByte on Windows.
typedef BOOL(WINAPI* LeadBytePredicate)(BYTE byte);

// Steps over the program name at the start of a raw command line and the
// blanks and control bytes behind it, and returns the rest unchanged. The
// result points into commandLine, at or before its terminating NUL.
//
//   "C:\Tools\HvLaunch.exe" -q x   ->  -q x
//   "C:\My Tools\HvLaunch.exe"     ->  (empty)
//   HvLaunch.exe  "a b" c          ->  "a b" c
//   HvLaunch.exe setup.exe /s      ->  setup.exe /s      (trailing blanks kept)
//   "C:\no closing quote x         ->  (empty)           (the name runs to the end)
//    HvLaunch.exe x                ->  HvLaunch.exe x    (a leading blank: empty name)
//
// Inside quotes a DBCS lead byte takes the next byte with it, so a trail
// byte of 0x22 does not end the name; a lead byte right before the NUL
// does not carry the scan past it. A bare name runs to the first byte at
// or below 0x20, compared unsigned, so bytes 0x80 to 0xFF belong to it.
char* CommandTail(char* commandLine, LeadBytePredicate isLeadByte);
