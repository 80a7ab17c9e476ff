#!/usr/bin/python3
"""Checks the resources of the built HvLaunch.exe with independent parsers:
pefile for the resource tree, the version block and the icon images, and
icoutils' wrestool for the icon group as the shell would extract it.

    check_resources.py HvLaunch.exe HvLaunch.ico
"""
import struct
import subprocess
import sys

import pefile

from checks import check, summary

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
US_ENGLISH = 0x0409
# (width and height, bits per pixel), in the order of the group.
IMAGES = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 24), (16, 32)]

def resources(pe):
    """Every resource as (type, id, language) -> data."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                rva, size = language.data.struct.OffsetToData, language.data.struct.Size
                found[(kind.id, name.id, language.id)] = pe.get_data(rva, size)
    return found


def check_version(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    expected = {
        "Signature": 0xFEEF04BD,
        "FileVersionMS": 0x00010000, "FileVersionLS": 0x00000001,
        "ProductVersionMS": 0x00010000, "ProductVersionLS": 0x00000001,
        "FileFlagsMask": 0x3F, "FileFlags": 0, "FileOS": 0x40004,
        "FileType": 1, "FileSubtype": 0, "FileDateMS": 0, "FileDateLS": 0,
    }
    for field, value in expected.items():
        actual = getattr(fixed, field)
        check(actual == value, f"fixed part: {field} is {actual:#x}, expected {value:#x}")

    string_tables, translations = [], []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            string_tables += info.StringTable
        elif info.Key == b"VarFileInfo":
            translations += [var.entry for var in info.Var]
    check(len(string_tables) == 1 and string_tables[0].LangID == b"040904b0",
          f"string tables: {[t.LangID for t in string_tables]}")
    if string_tables:
        entries = list(string_tables[0].entries.items())
        names = [name for name, _ in entries]
        check(names == [b"CompanyName", b"FileDescription", b"FileVersion", b"LegalCopyright"],
              f"strings, in order: {names}")
        values = dict(entries)
        check(values.get(b"FileDescription") == b"Halvorn Driver Setup Launcher",
              f"FileDescription is {values.get(b'FileDescription')}")
        check(values.get(b"FileVersion") == b"1.00.01.00",
              f"FileVersion is {values.get(b'FileVersion')}")
        check(values.get(b"CompanyName") == b"Halvorn Tech",
              f"CompanyName is {values.get(b'CompanyName')}")
        check(b"Halvorn Tech" in values.get(b"LegalCopyright", b""),
              f"LegalCopyright is {values.get(b'LegalCopyright')}")
    check(translations == [{b"Translation": "0x0409 0x04b0"}], f"translations: {translations}")


def check_icons(found, ico_path, exe_path):
    group = found.get((RT_GROUP_ICON, 101, US_ENGLISH), b"")
    reserved, kind, count = struct.unpack_from("<HHH", group)
    check((reserved, kind, count) == (0, 1, 9), f"group header {reserved}, {kind}, {count}")
    check(len(group) == 6 + 14 * 9, f"group is {len(group)} bytes")
    for index, (size, bits) in enumerate(IMAGES[:count]):
        entry = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index)
        image = found.get((RT_ICON, index + 1, US_ENGLISH), b"")
        colours = 16 if bits == 4 else 0
        check(entry == (size, size, colours, 0, 1, bits, len(image), index + 1),
              f"group entry {index + 1}: {entry}")

        header = struct.unpack_from("<IiiHHIIiiII", image)
        palette = {4: 16, 8: 256}.get(bits, 0)
        colour_row = (size * bits + 31) // 32 * 4
        mask_row = (size + 31) // 32 * 4
        expected_size = 40 + 4 * palette + size * (colour_row + mask_row)
        check(header[:6] == (40, size, 2 * size, 1, bits, 0),
              f"image {index + 1}: header {header[:6]}, expected a {size}x{size} "
              f"{bits}-bit uncompressed DIB with its mask")
        check(len(image) == expected_size,
              f"image {index + 1}: {len(image)} bytes, expected {expected_size}")
        check(not image.startswith(b"\x89PNG"), f"image {index + 1} is PNG-compressed")

    extracted = subprocess.run(["wrestool", "-x", "-t14", "-n101", exe_path],
                               capture_output=True, check=False).stdout
    with open(ico_path, "rb") as f:
        committed = f.read()
    # wrestool pads what it writes with zero bytes after the last image.
    check(extracted[:len(committed)] == committed and not extracted[len(committed):].strip(b"\0"),
          f"the icon group, as wrestool extracts it, differs from {ico_path}")


def main(exe_path, ico_path):
    pe = pefile.PE(exe_path)
    found = resources(pe)
    expected = ({(RT_ICON, i, US_ENGLISH) for i in range(1, 10)}
                | {(RT_GROUP_ICON, 101, US_ENGLISH), (RT_VERSION, 1, US_ENGLISH)})
    check(set(found) == expected,
          f"resources other than the eleven: {sorted(set(found) ^ expected)}")
    check_version(pe)
    check_icons(found, ico_path, exe_path)

    return summary(exe_path)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
