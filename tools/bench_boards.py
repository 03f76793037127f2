#!/usr/bin/env python3
"""Benchmark (not a test): many boards at once. The same RAM load (64 KiB by default)
into one paced simulated board, then into N boards at once with `k470 ramload --port ...`;
prints the wall times, their ratio (N boards / one board; the goal is at most 1.1) and
the k470 process's CPU time as a share of wall time.

    tools/bench_boards.py [--boards N] [--kib K]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import srec  # noqa: E402
from sim import Sim  # noqa: E402

K470 = os.path.join(ROOT, "build", "native", "dist", "k470")


def load(boards, mot, blocks):
    """Loads into `boards` paced simulators at once; returns (wall s, cpu s)."""
    sims = [Sim("monitor").start() for _ in range(boards)]
    args = [K470, "ramload"]
    for sim in sims:
        args += ["--port", sim.port]
    try:
        started = time.monotonic()
        proc = subprocess.Popen(args + [mot], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.monotonic() - started
    finally:
        results = [sim.stop() for sim in sims]
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("%d board(s): k470 failed" % boards)
    if any(r.memory != srec.ram_image(blocks) for r in results):
        sys.exit("%d board(s): a board's RAM differs from the image" % boards)
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--boards", type=int, default=4)
    parser.add_argument("--kib", type=int, default=64)
    args = parser.parse_args()
    if not os.access(K470, os.X_OK):
        sys.exit("%s is missing: build the native preset" % K470)
    blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, args.kib * 1024))]
    with tempfile.TemporaryDirectory(prefix="k470-bench-") as folder:
        mot = os.path.join(folder, "ram.mot")
        with open(mot, "w", newline="") as f:
            f.write(srec.s2_records(blocks))
        one, one_cpu = load(1, mot, blocks)
        many, many_cpu = load(args.boards, mot, blocks)
    print("1 board   wall %6.2f s  CPU %5.2f s = %4.1f %% of wall" % (one, one_cpu, 100 * one_cpu / one))
    print("%d boards  wall %6.2f s  CPU %5.2f s = %4.1f %% of wall" %
          (args.boards, many, many_cpu, 100 * many_cpu / many))
    print("ratio %d boards / 1 board: %.3f (goal <= 1.1)" % (args.boards, many / one))


if __name__ == "__main__":
    main()
