// Running the built HvLaunch.exe against a probe, for the end-to-end and
// fault tests under Wine.
//
// The probe is the test program itself again, copied as HvDrvStp.exe beside
// a copy of the launcher. It appends a line to a log, with its process id
// and its own command line hex-encoded so that no quoting can change it,
// then does what it is told and ends with the exit code it is told. It is
// told through variables, which the launcher hands on to its child with
// the rest of its environment:
//
//   HV_PROBE_LOG     the log; a program that sees it is the probe
//   HV_PROBE_EXIT    its exit code (0 when unset)
//   HV_PROBE_ACTION  "crash": an access violation; "sleep": a minute's sleep
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "wine_support.h"

constexpr char statusKey[] = "Software\\Halvorn Tech\\Installation";
constexpr char makerKey[] = "Software\\Halvorn Tech";
constexpr char statusName[] = "Quendra Drivers";


// The launcher and the probe, as HvDrvStp.exe, side by side in a directory
// with a blank in its name, under a scratch root from which the launcher
// is started.
struct Scratch {
    std::string root;
    std::string setupDir;
    std::string launcher;
    std::string probe;
    std::string log;
    std::vector<std::string> files; // further paths the test program was given
};
Scratch MakeScratch(const char* builtLauncher);

// {L} stands for the launcher's quoted path, {P} for the probe's path,
// unquoted, {D} for the directory of both, {R} for the scratch root.
std::string Expand(const Scratch& s, const std::string& text);

// One line of the probe's log.
struct ProbeRun {
    DWORD processId;
    std::string commandLine;
};
std::vector<ProbeRun> ReadProbeLog(const Scratch& s);

// Readies the probe's log and its variables for one run of the launcher.
void PrepareProbe(const Scratch& s, DWORD exitCode, const char* action = nullptr);

// What one run of the launcher did.
struct Outcome {
    long exitCode;
    std::vector<ProbeRun> probeRuns;
    RegistryValue status;
};
Outcome RunLauncher(const Scratch& s, bool launcherAsApplication, const std::string& commandLine,
                    DWORD probeExit = 0, const char* probeAction = nullptr);

// Removes the maker's key and creates the status key afresh, holding the
// status value "unset", a sentinel that shows whether a run wrote it.
void ResetStatusKey();

// The main of a launcher test program, called with the built launcher's
// path and any further files it needs: acts as the probe when it is one, otherwise runs the tests against
// a fresh scratch layout and prints the closing line.
int LauncherTestMain(int argc, char** argv, void (*tests)(const Scratch&));

// Every value under a key and its subkeys: "subkey\name" -> type and bytes.
using Snapshot = std::map<std::string, std::pair<DWORD, std::string>>;
Snapshot TakeSnapshot(const char* path);
