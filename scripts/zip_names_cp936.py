#!/usr/bin/env python3
"""Writes a zip archive again so that Windows' own zip folders show its
Chinese file names:  zip_names_cp936.py ARCHIVE

Explorer reads an entry name in the system's OEM code page (936 on Chinese
Windows) and, on older Windows, ignores the UTF-8 flag that CPack sets, which
turns "山水.jpg" into "灞辨按.jpg". So each name is stored in code page 936
without that flag, and an Info-ZIP Unicode Path extra field carries the UTF-8
name for the unzippers that read it (7-Zip, Info-ZIP, libarchive).
"""
import os
import struct
import sys
import zipfile
import zlib


def dos_time(date_time):
    year, month, day, hour, minute, second = date_time
    return hour << 11 | minute << 5 | second // 2, (year - 1980) << 9 | month << 5 | day


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: zip_names_cp936.py ARCHIVE")
    path = sys.argv[1]
    with zipfile.ZipFile(path) as source:
        entries = [(info, source.read(info)) for info in source.infolist()]

    body, directory = bytearray(), bytearray()
    for info, data in entries:
        name = info.filename.encode("cp936")
        extra = b""
        if not info.filename.isascii():
            utf8 = info.filename.encode("utf-8")
            extra = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(name)) + utf8
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(data) + packer.flush()
        method = zipfile.ZIP_DEFLATED
        if len(packed) >= len(data):
            packed, method = data, zipfile.ZIP_STORED
        time, date = dos_time(info.date_time)
        crc = zlib.crc32(data)
        fields = (method, time, date, crc, len(packed), len(data), len(name), len(extra))
        offset = len(body)
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, *fields) + name + extra + packed
        # Made on MS-DOS (FAT attributes): a folder, or a file to archive.
        attributes = 0x10 if info.is_dir() else 0x20
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, *fields, 0, 0, 0, attributes,
                                 offset) + name + extra
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory), len(body), 0)

    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        out.write(body + directory + end)
    os.replace(temporary, path)


if __name__ == "__main__":
    main()
