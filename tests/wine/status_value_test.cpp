// SetLocalMachineValue on Wine's real registry, under a private key that is
// removed before and after.
#include <windows.h>

#include <string>

#include "check.h"
#include "status_value.h"
#include "wine_support.h"

namespace {

const char testRoot[] = "Software\\HvLaunch Tests";
const char testKey[] = "Software\\HvLaunch Tests\\Installation";
const BYTE one[] = {'1', 0};

void AbsentKeyIsNotCreated()
{
    DeleteLocalMachineTree(testRoot);

    ok(SetLocalMachineValue(testKey, "Status", REG_SZ, one, 2) == 0, "set under an absent parent");
    ok(!LocalMachineKeyExists(testRoot), "the parent was created");

    ok(CreateLocalMachineKey(testRoot), "cannot create %s", testRoot);
    ok(SetLocalMachineValue(testKey, "Status", REG_SZ, one, 2) == 0, "set under an absent key");
    ok(!LocalMachineKeyExists(testKey), "the key was created");
}

void ReplacesTheValueAndTouchesNothingElse()
{
    DeleteLocalMachineTree(testRoot);
    ok(CreateLocalMachineKey(testKey), "cannot create %s", testKey);
    const DWORD previous = 7;
    WriteLocalMachineValue(testKey, "Status", REG_DWORD, &previous, sizeof previous);
    WriteLocalMachineValue(testKey, "Other", REG_SZ, "keep", 5);

    ok(SetLocalMachineValue(testKey, "Status", REG_SZ, one, 2) == 1, "set failed");

    const RegistryValue status = ReadLocalMachineValue(testKey, "Status");
    ok(status.exists && status.type == REG_SZ && status.bytes == std::string("1\0", 2),
       "Status: type %lu, bytes [%s]", status.type, HexBytes(status.bytes).c_str());
    const RegistryValue other = ReadLocalMachineValue(testKey, "Other");
    ok(other.type == REG_SZ && other.bytes == std::string("keep\0", 5), "Other changed: [%s]",
       HexBytes(other.bytes).c_str());
}

void StoresTheBytesAsGiven()
{
    const BYTE bytes[] = {'0', 0, 'x'};
    ok(SetLocalMachineValue(testKey, "Status", REG_SZ, bytes, 2) == 1, "set failed");
    const RegistryValue status = ReadLocalMachineValue(testKey, "Status");
    ok(status.bytes == std::string("0\0", 2), "bytes [%s]", HexBytes(status.bytes).c_str());
}

} // namespace

int main()
{
    AbsentKeyIsNotCreated();
    ReplacesTheValueAndTouchesNothingElse();
    StoresTheBytesAsGiven();
    DeleteLocalMachineTree(testRoot);
    return CheckSummary();
}
