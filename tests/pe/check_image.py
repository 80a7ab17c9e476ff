#!/usr/bin/python3
"""Checks the built HvLaunch.exe with an independent PE parser (pefile):
a 32-bit GUI-subsystem image for i386 whose only imports are the calls the
launcher makes and the three its start-up needs, and which holds nothing
that would make two builds differ.

    check_image.py HvLaunch.exe SOURCE-DIR
"""
import os
import sys

import pefile

from checks import check, summary

EXPECTED_IMPORTS = {
    "KERNEL32.dll": {
        "CreateProcessA", "WaitForSingleObject", "GetExitCodeProcess", "CloseHandle",
        "GetCommandLineA", "IsDBCSLeadByte", "ExitProcess",
    },
    "ADVAPI32.dll": {"RegOpenKeyExA", "RegSetValueExA", "RegCloseKey"},
}

IMAGE_SCN_MEM_EXECUTE, IMAGE_SCN_MEM_WRITE = 0x20000000, 0x80000000
DLL = pefile.DLL_CHARACTERISTICS


def check_mitigations(pe):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    rows = [
        # ASLR: the loader may move the image, and the table says how.
        (flags & DLL["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"] and relocations.Size > 0
         and not pe.FILE_HEADER.Characteristics & 0x0001,  # IMAGE_FILE_RELOCS_STRIPPED
         "ASLR: no dynamic base, or no relocation table"),
        (flags & DLL["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"], "DEP: not NX compatible"),
        # No structured exception handler to hijack; on x86 this is what
        # passes an analyser's SafeSEH check for an image without handlers.
        (flags & DLL["IMAGE_DLLCHARACTERISTICS_NO_SEH"], "NO_SEH is not set"),
        (flags & DLL["IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE"],
         "not terminal-server aware"),
    ]
    for holds, message in rows:
        check(bool(holds), message)
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        writable = section.Characteristics & IMAGE_SCN_MEM_WRITE
        check(not (writable and section.Characteristics & IMAGE_SCN_MEM_EXECUTE),
              f"section {name} is both writable and executable")
    # A read-only .rsrc: binutils 2.40, this toolchain's linker, marks every
    # section named .rsrc writable whatever its input says (objcopy too), so
    # this row accepts a writable one only from a linker of 2.40 or older.
    rsrc = [s for s in pe.sections if s.Name.rstrip(b"\0") == b".rsrc"]
    linker = (pe.OPTIONAL_HEADER.MajorLinkerVersion, pe.OPTIONAL_HEADER.MinorLinkerVersion)
    check(len(rsrc) == 1 and (not rsrc[0].Characteristics & IMAGE_SCN_MEM_WRITE
                              or linker <= (2, 40)),
          f"the .rsrc section is writable, from linker {linker[0]}.{linker[1]}")


def main(path, source_dir):
    pe = pefile.PE(path)
    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
          f"machine {pe.FILE_HEADER.Machine:#x}, not i386")
    check(pe.OPTIONAL_HEADER.Magic == pefile.OPTIONAL_HEADER_MAGIC_PE, "not PE32")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, not the Windows GUI")

    imports = {
        entry.dll.decode(): {imp.name.decode() for imp in entry.imports}
        for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    }
    check(imports == EXPECTED_IMPORTS, f"imports are {imports}")

    # No C run-time start-up: no TLS callbacks, and the entry is our own
    # code in the first executable section.
    check(not hasattr(pe, "DIRECTORY_ENTRY_TLS"), "the image has a TLS directory")
    text = pe.sections[0]
    entry = pe.OPTIONAL_HEADER.AddressOfEntryPoint
    check(text.Name.rstrip(b"\0") == b".text" and
          text.VirtualAddress <= entry < text.VirtualAddress + text.Misc_VirtualSize,
          f"entry point {entry:#x} is not in .text")

    # Nothing that differs from one build to the next: no time stamp, no
    # path of the build machine, no symbols.
    check(pe.FILE_HEADER.TimeDateStamp == 0, f"time stamp {pe.FILE_HEADER.TimeDateStamp:#x}")
    check(pe.FILE_HEADER.PointerToSymbolTable == 0 and pe.FILE_HEADER.NumberOfSymbols == 0,
          "the image is not stripped")
    with open(path, "rb") as f:
        check(source_dir.encode() not in f.read(), f"the image names {source_dir}")

    size = os.path.getsize(path)
    check(size <= 32 * 1024, f"the image is {size} bytes, more than 32 KiB")
    check_mitigations(pe)
    return summary(path)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
