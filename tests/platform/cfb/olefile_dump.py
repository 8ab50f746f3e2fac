#!/usr/bin/env python3
"""Lists every stream of a compound file with olefile: path<TAB>size<TAB>fnv1a64.

With a second argument N, a stream longer than N bytes is read whole but
listed as path<TAB>size<TAB>read (hashing in Python is slow).

olefile is told to raise on every defect it calls "incorrect", so a file that
it only tolerates fails here. Exit 3 when olefile is missing.
"""
import sys

try:
    import olefile
except ImportError:
    sys.exit(3)


def fnv1a(data):
    h = 14695981039346656037
    for b in data:
        h ^= b
        h = (h * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return h


def main():
    ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
    for entry in ole.listdir(streams=True, storages=False):
        data = ole.openstream(entry).read()
        size = ole.get_size(entry)
        if len(data) != size:
            print("size mismatch", "/".join(entry), file=sys.stderr)
            sys.exit(1)
        if len(sys.argv) > 2 and size > int(sys.argv[2]):
            print("%s\t%d\tread" % ("/".join(entry), size))
        else:
            print("%s\t%d\t%016x" % ("/".join(entry), size, fnv1a(data)))
    ole.close()


main()
