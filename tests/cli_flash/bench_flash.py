"""Benchmark (not a test): a full-image flash write per chip against the paced simulator
(line timing and programming times on), printed as a ratio to the line time.

    python3 tests/cli_flash/bench_flash.py [h8-3069] [h8-36077]

Line time: every byte that crossed the line in either direction, 10 bit times each, at
the rate the blocks are written at (H8/3069: the table's 38400 bit/s after the new-rate
command; H8/36077: the write-control program's 57600 bit/s); the simulator's programming
time per block is shown beside it. Uses build/native/dist/k470 unless K470 is set.
"""

import os
import sys
import time

import flash_cases as fc

CHIPS = {
    "h8-3069": ("H8/3069F", fc.ROM_3069, 38400),
    "h8-36077": ("H8/36077", fc.ROM_36077, 57600),
}
PROGRAM_MS = 3  # the simulator's default programming time per block


def bench(target):
    device, rom, rate = CHIPS[target]
    records = [(0, fc.random_bytes(rom, 11))]
    image = fc.write_image(records)
    try:
        sim, port = fc.start_sim(target)
        started = time.monotonic()
        try:
            status, err = fc.run_tool(fc.flash_args(port, device, image), timeout=3600)
        finally:
            elapsed = time.monotonic() - started
            result = sim.stop()
    finally:
        os.remove(image)
    if status != 0 or result.memory != fc.expected_flash(rom, records):
        print("%s: write failed (status %d)\n%s" % (target, status, err[-500:]))
        return False
    rep = result.report
    crossed = rep["bytes_received"] + rep["bytes_sent"]
    line_s = crossed * 10.0 / rate
    programming_s = len(rep["blocks"]) * PROGRAM_MS / 1000.0
    print("%-9s %6d blocks  %8d bytes on the line  line time %7.1f s  (+%5.1f s programming)"
          "  took %7.1f s  ratio %.2f" % (target, len(rep["blocks"]), crossed, line_s,
                                          programming_s, elapsed, elapsed / line_s))
    return True


def main():
    targets = sys.argv[1:] or list(CHIPS)
    ok = True
    for target in targets:
        ok = bench(target) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
