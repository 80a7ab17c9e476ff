// The resources of the built HvLaunch.exe, read the way the shell reads
// them: the version block through the version API, the icon group through
// the resource and icon calls.
#include <windows.h>

#include <cstring>
#include <string>

#include "check.h"
#include "wine_support.h"

namespace {

void VersionBlock(const char* path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (!ok(size > 0, "no version information in %s", path))
        return;
    std::string block(size, '\0');
    ok(GetFileVersionInfoA(path, 0, size, block.data()), "GetFileVersionInfoA failed");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (ok(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) &&
               length == sizeof *fixed,
           "no fixed part")) {
        ok(fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000001,
           "file version %08lx.%08lx", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        ok(fixed->dwFileOS == VOS_NT_WINDOWS32 && fixed->dwFileType == VFT_APP,
           "os %lx, type %lx", fixed->dwFileOS, fixed->dwFileType);
    }

    struct {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    ok(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) &&
           length == 4 && translation->language == 0x0409 && translation->codePage == 0x04B0,
       "translation");

    const struct {
        int line;
        const char* name;
        const char* expected;
    } rows[] = {
        {__LINE__, "FileDescription", "Halvorn Driver Setup Launcher"},
        {__LINE__, "FileVersion", "1.00.01.00"},
        {__LINE__, "CompanyName", "Halvorn Tech"},
        {__LINE__, "ProductName", nullptr},
        {__LINE__, "OriginalFilename", nullptr},
    };
    for (const auto& row : rows) {
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + row.name;
        char* text = nullptr;
        const bool found =
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length);
        if (row.expected)
            ok_row(row, found && std::strcmp(text, row.expected) == 0, "%s is \"%s\"", row.name,
                   found ? text : "(absent)");
        else
            ok_row(row, !found, "%s is present", row.name);
    }
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInResource;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
    GroupEntry entries[1];
};
#pragma pack(pop)

const void* Resource(HMODULE module, LPCSTR type, int id, DWORD* size)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return nullptr;
    *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

void IconGroup(const char* path)
{
    ok(ExtractIconExA(path, -1, nullptr, nullptr, 0) == 1, "not exactly one icon group");

    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!ok(module != nullptr, "cannot load %s as data", path))
        return;
    DWORD size = 0;
    const auto* group = static_cast<const GroupHeader*>(Resource(module, RT_GROUP_ICON, 101, &size));
    if (ok(group != nullptr && group->count == 9, "the icon group does not list nine images")) {
        int loaded = 0;
        for (int i = 0; i < group->count; ++i) {
            const GroupEntry& entry = group->entries[i];
            DWORD imageSize = 0;
            const void* image = Resource(module, RT_ICON, entry.id, &imageSize);
            HICON icon = image ? CreateIconFromResourceEx(
                                     static_cast<BYTE*>(const_cast<void*>(image)), imageSize, TRUE,
                                     0x00030000, entry.width, entry.height, 0)
                               : nullptr;
            ok(icon != nullptr && imageSize == entry.bytesInResource,
               "image %d (id %u) does not load", i + 1, entry.id);
            if (icon) {
                ++loaded;
                DestroyIcon(icon);
            }
        }
        ok(loaded == 9, "%d images loaded", loaded);
    }
    FreeLibrary(module);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("usage: resources_test PATH-OF-HvLaunch.exe\n");
        return 2;
    }
    const std::string path = WindowsPath(argv[1]);
    VersionBlock(path.c_str());
    IconGroup(path.c_str());
    return CheckSummary();
}
