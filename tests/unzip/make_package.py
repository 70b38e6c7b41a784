#!/usr/bin/env python3
"""Writes benchmark packages.

make_package.py many OUT.zip [FILES] [MB]   folders with explicit entries and
    FILES files totalling about MB megabytes, half incompressible, half text-like.
make_package.py big OUT.zip [MiB]           one entry of MiB mebibytes (zip64).
"""
import os
import random
import sys
import zipfile


def many(path, files, megabytes):
    rnd = random.Random(5)
    words = [bytes(rnd.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9)))
             for _ in range(2000)]
    mean = megabytes * 1024 * 1024 // files
    tmp = path + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        folders = ["res/%02d/%02d/" % (a, b) for a in range(20) for b in range(10)]
        z.writestr("res/", b"")
        for a in range(20):
            z.writestr("res/%02d/" % a, b"")
        for f in folders:
            z.writestr(f, b"")
        for i in range(files):
            size = max(64, int(rnd.expovariate(1.0 / mean)))
            if i % 2:
                data = os.urandom(size)
                name = "%sasset%05d.png" % (folders[i % len(folders)], i)
            else:
                out = []
                n = 0
                while n < size:
                    w = words[rnd.randrange(len(words))]
                    out.append(w)
                    n += len(w) + 1
                data = b" ".join(out)[:size]
                name = "%sscript%05d.lua" % (folders[i % len(folders)], i)
            z.writestr(name, data)
    os.replace(tmp, path)


def big(path, mebibytes):
    rnd = random.Random(7)
    block = bytes(rnd.getrandbits(8) if k % 4 == 0 else 97 + k % 23 for k in range(1 << 20))
    tmp = path + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        with z.open("big.bin", "w", force_zip64=True) as f:
            for k in range(mebibytes):
                f.write(block[k % 251:] + block[:k % 251])
    os.replace(tmp, path)


if __name__ == "__main__":
    kind, out = sys.argv[1], sys.argv[2]
    if kind == "many":
        many(out, int(sys.argv[3]) if len(sys.argv) > 3 else 4000,
             int(sys.argv[4]) if len(sys.argv) > 4 else 300)
    else:
        big(out, int(sys.argv[3]) if len(sys.argv) > 3 else 1024)
