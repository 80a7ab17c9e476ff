// A stand-in driver setup program for the demo, built as HvDrvStp.exe: it
// does nothing and ends with the exit code given as its first argument,
// 0 when there is none.
#include <cstdlib>

int main(int argc, char** argv)
{
    return argc > 1 ? static_cast<int>(std::strtoul(argv[1], nullptr, 0)) : 0;
}
