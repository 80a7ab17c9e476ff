// Times one driver setup job three ways under the same conditions, in
// interleaved rounds so that any drift hits every way alike:
//
//   direct    the sample setup program, started directly; nothing recorded
//   launcher  the same program through HvLaunch.exe
//   batch     cmd.exe running install.cmd: the program, then reg add of
//             "1" or "0" by its exit code, into the same key and view
//
// and measures the launcher's own CPU time while its child sleeps.
//
//   bench.exe DIR ROUNDS     DIR holds HvLaunch.exe, HvDrvStp.exe, install.cmd
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Runs commandLine to its end; returns the wall time in seconds and, through
// cpuSeconds, the process's own user and kernel time.
double Run(const std::string& commandLine, double* cpuSeconds = nullptr)
{
    std::string line = commandLine;
    STARTUPINFOA startupInfo = {};
    startupInfo.cb = sizeof startupInfo;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startupInfo, &process)) {
        std::printf("cannot start %s\n", commandLine.c_str());
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    if (cpuSeconds) {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
        auto ticks = [](const FILETIME& t) {
            return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        *cpuSeconds = double(ticks(kernel) + ticks(user)) / 1e7;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return Seconds(start, end);
}

struct Row {
    const char* name;
    std::string commandLine;
    std::vector<double> seconds;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::printf("usage: bench.exe DIR ROUNDS\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int rounds = std::atoi(argv[2]);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);

    std::vector<Row> rows = {
        {"direct", "\"" + dir + "\\HvDrvStp.exe\"", {}},
        {"launcher", "\"" + dir + "\\HvLaunch.exe\"", {}},
        {"batch", "\"" + std::string(system) + "\\cmd.exe\" /c \"" + dir + "\\install.cmd\"", {}},
    };
    for (Row& row : rows)
        Run(row.commandLine); // warm the file cache; not counted
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < rows.size(); ++i) {
            Row& row = rows[(i + round) % rows.size()]; // rotate which goes first
            row.seconds.push_back(Run(row.commandLine));
        }

    std::printf("| way | median | fastest | slowest |\n|---|---:|---:|---:|\n");
    for (const Row& row : rows) {
        std::printf("| %s | %.1f ms | %.1f ms | %.1f ms |\n", row.name, 1000 * Median(row.seconds),
                    1000 * *std::min_element(row.seconds.begin(), row.seconds.end()),
                    1000 * *std::max_element(row.seconds.begin(), row.seconds.end()));
    }
    const double direct = Median(rows[0].seconds), launcher = Median(rows[1].seconds),
                 batch = Median(rows[2].seconds);
    std::printf("\n%d rounds. launcher / direct = %.2f; batch / launcher = %.2f. The launcher "
                "adds %.1f ms to a direct start, which itself takes %.1f ms: one more process "
                "start and a registry write.\n",
                rounds, launcher / direct, batch / launcher, 1000 * (launcher - direct),
                1000 * direct);

    // The launcher's own CPU time: a child that ends at once against one that
    // sleeps for 2 seconds. Waiting costs nothing when nothing polls.
    std::vector<double> quick, sleeping;
    for (int i = 0; i < 3; ++i) {
        double cpu;
        Run("\"" + dir + "\\HvLaunch.exe\" \"" + dir + "\\HvDrvStp.exe\" 0 0", &cpu);
        quick.push_back(cpu);
        Run("\"" + dir + "\\HvLaunch.exe\" \"" + dir + "\\HvDrvStp.exe\" 0 2000", &cpu);
        sleeping.push_back(cpu);
    }
    std::printf("\nThe launcher's own CPU time (user + kernel, median of 3, which under emulation "
                "includes starting the process): %.1f ms with a child that ends at once, %.1f ms "
                "with a child that sleeps for 2 s; the 2 s of waiting cost %.1f ms.\n",
                1000 * Median(quick), 1000 * Median(sleeping),
                1000 * (Median(sleeping) - Median(quick)));
    return 0;
}
