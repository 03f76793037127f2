#!/usr/bin/env python3
"""Benchmark (not a test): the monitor under a full line. The simulated board's started
program sends a known stream at 115200 bit/s (a numbered line every millisecond, more
than the line carries, so it never pauses) for 30 s to `k470 monitor --bps 115200`, once
with stdout piped and once with a pseudo-terminal as stdout; prints whether every byte
was shown (count and SHA-256 equal to the stream the board sent) and the k470 process's
CPU time as a share of one core (the goal is at most 2 %).

    tools/bench_monitor.py [--seconds S] [--bps N]
"""

import argparse
import hashlib
import os
import pty
import select
import signal
import subprocess
import sys
import time
import tty

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from sim import Sim  # noqa: E402

K470 = os.path.join(ROOT, "build", "native", "dist", "k470")
START_TEXT = "started\r\n"
PROMPT = b"\r\nk470l>"
DRAIN_S = 60  # the longest wait for the last bytes after the board's reset


def expected_stream(lines):
    text = START_TEXT + "".join("line %d\r\n" % n for n in range(1, lines + 1))
    return text.encode() + PROMPT


def run(mode, seconds, bps):
    """One run; returns (bytes shown, bytes sent, equal, cpu s, wall s)."""
    sim = Sim("monitor", "--bps", bps, "--after-go", START_TEXT, "--chatter-ms", 1,
              memory=False).start()
    if mode == "pty":
        reader, writer = pty.openpty()
        tty.setraw(writer)  # the bytes as k470 writes them, no CR added to LF
    else:
        reader, writer = os.pipe()
    proc = subprocess.Popen([K470, "monitor", "--port", sim.port, "--bps", str(bps)],
                            stdin=subprocess.PIPE, stdout=writer, stderr=subprocess.DEVNULL)
    os.close(writer)
    got = bytearray()
    try:
        # The go command typed as a line: the board's program starts.
        proc.stdin.write(b"G 200000\n")
        proc.stdin.flush()
        started = time.monotonic()
        reset_at = started + seconds
        reset_sent = False
        deadline = reset_at + DRAIN_S
        while time.monotonic() < deadline:
            if not reset_sent and time.monotonic() >= reset_at:
                sim.proc.send_signal(signal.SIGUSR1)  # the stream ends with the prompt
                reset_sent = True
            if select.select([reader], [], [], 0.1)[0]:
                try:
                    got += os.read(reader, 65536)
                except OSError:
                    break
            if reset_sent and got.endswith(PROMPT):
                break
        wall = time.monotonic() - started
        proc.stdin.write(b"\x1d")  # Ctrl-]
        proc.stdin.close()
        _, status, usage = os.wait4(proc.pid, 0)
    finally:
        if proc.poll() is None:
            proc.kill()
        os.close(reader)
        result = sim.stop()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("%s: k470 ended with status %d" % (mode, os.waitstatus_to_exitcode(status)))
    expected = expected_stream(result.report["program_lines"])
    equal = hashlib.sha256(bytes(got)).digest() == hashlib.sha256(expected).digest()
    return len(got), len(expected), equal, usage.ru_utime + usage.ru_stime, wall


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--bps", type=int, default=115200)
    args = parser.parse_args()
    if not os.access(K470, os.X_OK):
        sys.exit("%s is missing: build the native preset" % K470)
    for mode in ("pipe", "pty"):
        shown, sent, equal, cpu, wall = run(mode, args.seconds, args.bps)
        print("%-4s  %8d bytes shown of %8d sent  %s  wall %6.2f s  CPU %5.2f s = %4.2f %% of a core"
              % (mode, shown, sent, "every byte" if equal else "DIFFERENT", wall, cpu,
                 100 * cpu / wall))


if __name__ == "__main__":
    main()
