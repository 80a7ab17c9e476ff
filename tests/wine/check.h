// A small check harness for the programs that run under Wine, after Wine's
// own conformance tests: every failed check names its file and line, and a
// table row passes its own line so that a failure points at the row.
#pragma once

#include <cstdarg>
#include <cstdio>

inline int checksPassed = 0;
inline int checksFailed = 0;

__attribute__((format(printf, 4, 5))) inline bool CheckAt(const char* file, int line,
                                                          bool condition, const char* format, ...)
{
    if (condition) {
        ++checksPassed;
        return true;
    }
    ++checksFailed;
    std::printf("%s:%d: check failed: ", file, line);
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::printf("\n");
    std::fflush(stdout);
    return false;
}

#define ok(condition, ...) CheckAt(__FILE__, __LINE__, (condition), __VA_ARGS__)
#define ok_row(row, condition, ...) CheckAt(__FILE__, (row).line, (condition), __VA_ARGS__)

// Prints the closing line and gives the exit status for the program.
inline int CheckSummary()
{
    std::printf("%d passed, %d failed\n", checksPassed, checksFailed);
    return checksFailed == 0 && checksPassed > 0 ? 0 : 1;
}
