#!/usr/bin/env python3
"""Benchmark: a 256 KiB RAM load with k470 into the simulated board, paced at 38400 bit/s.

Prints the load's time and its ratio to the line time (bytes x 10 / 38400 s), the least
that the image needs on the line. A measurement: it never fails on time.

    tools/bench_ramload.py [--k470 build/native/dist/k470] [--size 40000]
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli_ram"))
import srec  # noqa: E402
from sim import Sim  # noqa: E402

LINE_BPS = 38400
BITS_PER_BYTE = 10  # start bit, 8 data bits, stop bit


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--k470", default=os.path.join(ROOT, "build", "native", "dist", "k470"))
    parser.add_argument("--size", default="40000", help="image size in hex bytes (default 256 KiB)")
    args = parser.parse_args()
    size = int(args.size, 16)
    blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, size))]
    with tempfile.TemporaryDirectory(prefix="k470-bench-") as folder:
        mot = os.path.join(folder, "bench.mot")
        with open(mot, "w", newline="") as f:
            f.write(srec.s2_records(blocks))
        with Sim("monitor") as sim:  # paced at the line rate
            started = time.monotonic()
            p = subprocess.run([args.k470, "ramload", "--port", sim.port, mot],
                               stdin=subprocess.DEVNULL, capture_output=True, text=True,
                               timeout=size * BITS_PER_BYTE / LINE_BPS * 3 + 60)
            wall = time.monotonic() - started
        if p.returncode != 0:
            print(p.stderr, file=sys.stderr)
            sys.exit("k470 ramload failed with status %d" % p.returncode)
        if sim.result.memory != srec.ram_image(blocks):
            sys.exit("the simulated board's RAM differs from the image")
        m = re.search(r"loaded (\d+) bytes .* in ([0-9.]+) s", p.stderr)
        load_s = float(m.group(2)) if m else wall
        line_s = size * BITS_PER_BYTE / LINE_BPS
        print("RAM load of %d bytes at %d bit/s: line time %.2f s" % (size, LINE_BPS, line_s))
        print("  load (job)        %.2f s  ratio %.3f" % (load_s, load_s / line_s))
        print("  k470 process      %.2f s  ratio %.3f" % (wall, wall / line_s))


if __name__ == "__main__":
    main()
