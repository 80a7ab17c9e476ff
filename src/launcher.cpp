#include "launcher.h"

#include "setup_runner.h"
#include "status_value.h"

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    const char* commandLine =
        commandTail != nullptr && commandTail[0] != '\0' ? commandTail : DEFAULT_SETUP_COMMAND;

    const char* status = RunAndWait(commandLine) == 0 ? STATUS_SUCCEEDED : STATUS_FAILED;

    // Unchecked: the status value is the only channel there is, so a failed
    // write has nowhere to be reported.
    SetLocalMachineValue(STATUS_KEY_PATH, STATUS_VALUE_NAME, REG_SZ,
                         reinterpret_cast<const BYTE*>(status), sizeof STATUS_SUCCEEDED);
    return 0;
}
