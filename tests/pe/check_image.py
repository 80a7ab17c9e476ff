#!/usr/bin/python3
"""Checks the built HvLaunch.exe with an independent PE parser (pefile):
a 32-bit GUI-subsystem image for i386 whose only imports are the calls the
launcher makes and the three its start-up needs, and which holds nothing
that would make two builds differ.

    check_image.py HvLaunch.exe SOURCE-DIR
"""
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

    return summary(path)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
