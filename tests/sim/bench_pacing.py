"""Measures the simulator's line timing (a measurement, not a test: it prints, never fails
on time). At 38400 bit/s a byte takes 10 bit times, so 1024 bytes take about 0.27 s.

    python3 tests/sim/bench_pacing.py        (after building the native preset)

1. Monitor load: "L 200000 1024 s\\r" and 1024 bytes, until "end!" has arrived: the
   monitor answers once the last byte would have arrived on a real line.
2. H8/36077 echo: 1024 program bytes written at once after the count; the time until
   the last echo and the final 0xAA have arrived (the echoes are paced at the line rate).
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from transcript import Host, Sim  # noqa: E402

RATE = 38400
N = 1024


def line_time(nbytes, rate=RATE):
    return nbytes * 10.0 / rate


def bench_monitor_load():
    with Sim("monitor") as sim:
        host = Host(sim.port)
        host.open(RATE)
        command = b"L 200000 %d s\r" % N
        start = time.monotonic()
        host.write(command + bytes(range(256)) * (N // 256))
        ok, got = host.expect(b"end!", timeout=10)
        elapsed = time.monotonic() - start
        host.close()
    assert ok, got
    return elapsed, line_time(len(command) + N + 4)


def bench_36077_echo():
    with Sim("h8-36077", "--only-rate", str(RATE)) as sim:
        host = Host(sim.port)
        host.open(RATE)
        host.write(b"\x00")
        assert host.expect(b"\x00")[0]
        host.write(b"\x55")
        assert host.expect(b"\xaa")[0]
        host.write(bytes([N >> 8, N & 0xFF]))
        assert host.expect(bytes([N >> 8, N & 0xFF]))[0]
        program = bytes((i * 7) & 0xFF for i in range(N))
        start = time.monotonic()
        host.write(program)
        ok, got = host.expect(program + b"\xaa", timeout=10)
        elapsed = time.monotonic() - start
        host.close()
    assert ok, "echo differs"
    return elapsed, line_time(N + 2)  # the last byte's echo and the 0xAA follow it


def main():
    for name, bench in (("monitor load of %d bytes" % N, bench_monitor_load),
                        ("h8-36077 echo of %d bytes" % N, bench_36077_echo)):
        elapsed, expected = bench()
        print("%-28s at %d bit/s: %.3f s (line time %.3f s)" % (name, RATE, elapsed, expected))


if __name__ == "__main__":
    main()
