// A stand-in driver setup program for the demo and the benchmark, built as
// HvDrvStp.exe: it shows nothing, waits for the given number of
// milliseconds, and ends with the given exit code.
//
//   HvDrvStp.exe [EXIT-CODE [MILLISECONDS]]     defaults: 0 and 0
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc > 2)
        Sleep(std::strtoul(argv[2], nullptr, 0));
    return argc > 1 ? static_cast<int>(std::strtoul(argv[1], nullptr, 0)) : 0;
}
