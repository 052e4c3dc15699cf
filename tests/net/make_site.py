#!/usr/bin/env python3
"""Writes the static site that nginx and http.server serve to the HTTP tests.

Usage: make_site.py DIR
"""
import os
import random
import sys

root = sys.argv[1]
rng = random.Random(20261210)


def write(name, data):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


write("page.html", b"<html><body><a href=\"dir/index.html\">in</a></body></html>\n")
write("dir/index.html", b"<html><body>index of dir</body></html>\n")
# A page far over the 299,999 bytes a fetch keeps.
write("big.html", bytes(rng.randrange(32, 127) for _ in range(500000)))
for size in (0, 1, 1459, 1460, 1461, 5000, 65536, 1000000):
    write(f"files/size-{size}.bin", rng.randbytes(size))
write("files/large.bin", rng.randbytes(50 * 1024 * 1024))
