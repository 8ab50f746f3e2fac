#!/usr/bin/python3
"""Reads an archive written by the store with olefile, an independent
compound-file reader, and checks its streams byte by byte."""
import os
import struct
import subprocess
import sys

import olefile

test_binary, sample = sys.argv[1], sys.argv[2]
env = dict(os.environ, QORIN_OLE_SAMPLE=sample, TZ="Europe/Prague")
subprocess.run([test_binary, "--gtest_filter=StoreTest.WriteOlefileSample"], env=env, check=True,
               stdout=subprocess.DEVNULL)

assert olefile.isOleFile(sample), "not a compound file"
ole = olefile.OleFileIO(sample)
streams = sorted("/".join(entry) for entry in ole.listdir())
assert streams == ["A0", "A1", "hlavicka", "nastaveni", "znacka"], streams

header = ole.openstream("hlavicka").read()
name = header[:260].split(b"\0")[0]
assert name == os.fsencode(sample[:-4]) + b".tst", name
count = struct.unpack_from("<I", header, 260)[0]
assert count == 10 and len(header) == 264 + 4 * count, (count, len(header))
table = struct.unpack_from("<%dI" % count, header, 264)
assert table[0] and table[1] and table[0] < table[1], table
assert table[2:] == (0,) * (count - 2), table  # slot 2 collects; the rest never used

def records(stream):
    data = ole.openstream(stream).read()
    n = struct.unpack_from("<I", data, 0)[0]
    pos, out = 4, []
    for _ in range(n):
        time, rtype, length = struct.unpack_from("<IBI", data, pos)
        pos += 9
        out.append((time, rtype, data[pos:pos + length]))
        pos += length
    assert pos == len(data), (stream, pos, len(data))
    return out

first = records("A0")
assert [r[1] for r in first] == [8, 7, 13], first
assert first[1][2] == "Začátek záznamu dat.".encode("cp1250"), first[1]
assert first[2][2] == struct.pack("<I", 7)
second = records("A1")
assert [r[1] for r in second] == [13] and second[0][2] == struct.pack("<I", 8), second

change_time, change_counter = struct.unpack("<II", ole.openstream("znacka").read())
assert change_counter == 2 and change_time >= table[1], (change_time, change_counter)

settings = ole.openstream("nastaveni").read()
length = struct.unpack_from("<I", settings, 0)[0]
assert settings[4:4 + length] == b"Linka\0", settings
a, b = struct.unpack_from("<II", settings, 4 + length)
assert (a, b) == (0, 4) and settings[12 + length:] == b"graf", settings
print("olefile reads the archive:", streams)
