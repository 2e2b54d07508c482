#!/usr/bin/python3
"""Makes an MSI from wixl reproducible: wixl stamps the summary information with the
time of the build and a random revision number (the package code). This sets both
times to SOURCE_DATE_EPOCH and the revision number to the given code, in place, without
changing the stream's size.

    fix_msi_summary.py FILE.msi EPOCH {PACKAGE-CODE}
"""
import struct
import sys

import olefile

PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


def main(path, epoch, code):
    filetime = (int(epoch) + 11644473600) * 10_000_000
    ole = olefile.OleFileIO(path, write_mode=True)
    name = "\x05SummaryInformation"
    data = bytearray(ole.openstream(name).read())
    # Property set stream: header (28 bytes), one FMTID/offset pair, then the section.
    section = struct.unpack_from("<I", data, 44)[0]
    count = struct.unpack_from("<I", data, section + 4)[0]
    seen = set()
    for i in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * i)
        at = section + offset
        vt = struct.unpack_from("<I", data, at)[0]
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and vt == VT_FILETIME:
            struct.pack_into("<Q", data, at + 4, filetime)
            seen.add(pid)
        elif pid == PID_REVNUMBER and vt == VT_LPSTR:
            size = struct.unpack_from("<I", data, at + 4)[0]
            text = code.encode("ascii") + b"\0"
            if len(text) > size:
                sys.exit("fix_msi_summary: the revision number has no room for " + code)
            data[at + 8:at + 8 + size] = text.ljust(size, b"\0")
            seen.add(pid)
    if seen != {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM}:
        sys.exit("fix_msi_summary: %s lacks some of the expected properties" % path)
    ole.write_stream(name, bytes(data))
    ole.close()


if __name__ == "__main__":
    main(*sys.argv[1:])
