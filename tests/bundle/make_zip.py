#!/usr/bin/python3
"""Writes the test bundle as a reproducible zip: the files in the order
given, each under its own base name, with one fixed time and mode, and the
text files with Windows line ends.

    make_zip.py OUT.zip FILE...
"""
import os
import sys
import zipfile

FIXED_TIME = (1980, 1, 1, 0, 0, 0)  # the earliest a zip can hold
TEXT = (".cmd", ".txt")


def main(out, files):
    temporary = out + ".tmp"
    with zipfile.ZipFile(temporary, "w") as bundle:
        for path in files:
            name = os.path.basename(path)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(TEXT):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix modes or owners
            info.external_attr = 0
            bundle.writestr(info, data, compresslevel=9)
    os.replace(temporary, out)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
