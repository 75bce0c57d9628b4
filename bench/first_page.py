#!/usr/bin/env python3
"""Runs a program that writes a PDF and says when its first page reached the file.

Usage: first_page.py PDF [--bytes N] -- COMMAND...

Polls PDF (and PDF.*.part, where Quillon writes before renaming) every 5 ms and prints
"first_page_s S" when the file first holds N bytes (default 4096: more than a PDF's header and
less than a page of the peers' grid), then "wall_s S" when the program ends. The exit status
is the program's.
"""
import glob
import os
import subprocess
import sys
import time

args = sys.argv[1:]
split = args.index("--")
options, command = args[:split], args[split + 1:]
pdf = options[0]
threshold = int(options[options.index("--bytes") + 1]) if "--bytes" in options else 4096


def size():
    best = 0
    for path in [pdf] + glob.glob(glob.escape(pdf) + ".*.part"):
        try:
            best = max(best, os.path.getsize(path))
        except OSError:
            pass
    return best


for path in [pdf] + glob.glob(glob.escape(pdf) + ".*.part"):
    if os.path.exists(path):
        os.remove(path)
start = time.monotonic()
process = subprocess.Popen(command)
first = None
while process.poll() is None:
    if first is None and size() >= threshold:
        first = time.monotonic() - start
    time.sleep(0.005)
wall = time.monotonic() - start
print(f"first_page_s {first if first is not None else wall:.2f}")
print(f"wall_s {wall:.2f}")
sys.exit(process.returncode)
