// A broken launcher for the bundle's own test: it runs its setup program
// as HvLaunch.exe does, but records "1" whatever the exit code. The bundle
// must fail with it in HvLaunch.exe's place.
#include "launcher.h"
#include "setup_runner.h"
#include "status_value.h"

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    RunAndWait(commandTail != nullptr && commandTail[0] != '\0' ? commandTail
                                                                : DEFAULT_SETUP_COMMAND);
    SetLocalMachineValue(STATUS_KEY_PATH, STATUS_VALUE_NAME, REG_SZ,
                         reinterpret_cast<const BYTE*>(STATUS_SUCCEEDED), sizeof STATUS_SUCCEEDED);
    return 0;
}
