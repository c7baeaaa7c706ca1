#!/usr/bin/env python3
"""Writes the archive benchmark's payload (about 500 MB) into a folder.

Some thousands of small files (mostly text, some incompressible), a few
medium ones, and two files of 200 MB: one log-like and compressible, one of
random bytes. Text comes from a fixed seed, so every run packs the same
content."""
import os
import random
import sys

MiB = 1 << 20


def main(root):
    rng = random.Random(20261210)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 10)))
             for _ in range(3000)]
    lines = []
    size = 0
    while size < 4 * MiB:
        line = "%05d %s\n" % (rng.randint(0, 99999), " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))))
        lines.append(line)
        size += len(line)
    block = "".join(lines).encode()[:4 * MiB]

    def text(n):
        start = rng.randrange(0, len(block) - n) if n < len(block) else 0
        return block[start:start + n]

    # Small files: 4,000 in 100 folders, 1 to 16 KiB, a quarter incompressible.
    for i in range(4000):
        folder = os.path.join(root, "web", "module%02d" % (i % 20), "part%d" % (i % 5))
        os.makedirs(folder, exist_ok=True)
        n = rng.randint(1024, 16 * 1024)
        data = os.urandom(n) if i % 4 == 3 else text(n)
        with open(os.path.join(folder, "file%04d.%s" % (i, "bin" if i % 4 == 3 else "txt")), "wb") as f:
            f.write(data)
    # Medium files: four of text, two of random bytes.
    os.makedirs(os.path.join(root, "data"), exist_ok=True)
    for i in range(4):
        with open(os.path.join(root, "data", "table%d.db" % i), "wb") as f:
            for _ in range(3):
                f.write(text(4 * MiB - 1))
    for i in range(2):
        with open(os.path.join(root, "data", "engine%d.dll" % i), "wb") as f:
            f.write(os.urandom(8 * MiB))
    # The two large files.
    with open(os.path.join(root, "big-text.log"), "wb") as f:
        for _ in range(50):
            f.write(block)
    with open(os.path.join(root, "big-random.bin"), "wb") as f:
        for _ in range(200):
            f.write(os.urandom(MiB))


if __name__ == "__main__":
    main(sys.argv[1])
