// The demo's registry helper. A 32-bit program like the launcher, so on a
// 64-bit prefix it sees HKEY_LOCAL_MACHINE\Software through the same
// 32-bit view.
//
//   regvalue create KEY        creates KEY under HKEY_LOCAL_MACHINE
//   regvalue show KEY NAME     prints "NAME" = "1" (REG_SZ, 2 bytes)
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    default: return "another type";
    }
}

int Create(const char* path)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        std::printf("cannot create HKLM\\%s\n", path);
        return 1;
    }
    RegCloseKey(key);
    return 0;
}

int Show(const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("HKLM\\%s does not exist\n", path);
        return 1;
    }
    char data[256] = {};
    DWORD type = 0;
    DWORD size = sizeof data - 1;
    const LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        std::printf("\"%s\" is not set\n", name);
        return 1;
    }
    if (type == REG_SZ)
        std::printf("\"%s\" = \"%s\" (REG_SZ, %lu bytes)\n", name, data, size);
    else
        std::printf("\"%s\" (%s, %lu bytes)\n", name, TypeName(type), size);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "create") == 0)
        return Create(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "show") == 0)
        return Show(argv[2], argv[3]);
    std::printf("usage: regvalue create KEY | regvalue show KEY NAME\n");
    return 2;
}
