#!/usr/bin/env python3
"""Benchmark (not a test): the three jobs of k470 on a noisy line, k470sim --flip N (about
one byte in N, in either direction, arrives with one bit flipped), each run with its own
seed. Every run ends as one of:

    held     status 0 and the target's memory equals the image
    caught   a non-zero status: the job saw that something went wrong
    false    status 0 and the memory differs: a success that the target does not hold
    hung     no end within the run's time-out (the run is killed)

    tools/bench_noise.py [--runs N] [--flip N] [--kib N] [--no-pacing] [ramload] [h8-3069]
                         [h8-36077]

    --runs N      runs of each job (default 20), seeds 1 to N
    --flip N      one flipped byte in about N (default 8000)
    --kib N       the image's size in KiB (default 16), at 0x200000 for the RAM load and
                  at 0 for the flash writes
    --no-pacing   the simulator answers at once instead of at the line's rate

A RAM load has no check of its own: the monitor's protocol carries none, so every flip
that lands in the image's bytes ends as "false". The flash writes resend what the
H8/3069 refuses as garbled and check the chip's sum afterwards; the H8/36077 offers no
check, so a flip its write-control program takes can end as "false" too.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli_flash"))
import srec  # noqa: E402
import flash_cases as fc  # noqa: E402
from sim import Sim  # noqa: E402

K470 = os.path.join(ROOT, "build", "native", "dist", "k470")
# A run that has not ended by then is hung: the longest wait of any job (the H8/36077's
# 40 s for a block's second answer) and a paced 16 KiB job fit in it many times over.
RUN_TIMEOUT_S = 300
KINDS = ("held", "caught", "false", "hung")


def run_tool(args):
    """Runs k470 with --json; returns (status or None when hung, the end event or {}, the
    error message's text and detail or "")."""
    proc = subprocess.Popen([K470] + args + ["--json"], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        out, _ = proc.communicate(timeout=RUN_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.communicate()
        return None, {}, ""
    end = {}
    failure = ""
    for line in out.decode("utf-8", "replace").splitlines():
        try:
            event = json.loads(line)
        except ValueError:
            continue
        if event.get("event") == "end":
            end = event
        if event.get("event") == "message" and event.get("icon") == "error":
            failure = event.get("text", "") + " / " + event.get("detail", "")
    return proc.returncode, end, failure


def one_run(job, image_path, expected, seed, options, pacing):
    target = {"ramload": "monitor"}.get(job, job)
    sim_args = ["--flip", str(options.flip), "--seed", str(seed)]
    if not pacing:
        sim_args.append("--no-pacing")
    sim = Sim(target, *sim_args).start()
    try:
        if job == "ramload":
            args = ["ramload", "--port", sim.port, image_path]
        else:
            device = "H8/3069F" if job == "h8-3069" else "H8/36077"
            args = fc.flash_args(sim.port, device, image_path)
        status, end, failure = run_tool(args)
    finally:
        result = sim.stop()
    memory = result.memory or b""
    if job == "ramload":
        memory = memory[:len(expected)]
    if status is None:
        kind = "hung"
    elif status != 0:
        kind = "caught"
    else:
        kind = "held" if memory == expected else "false"
    flips = len((result.report or {}).get("flips", []))
    return kind, flips, end.get("resent", 0), failure


def bench(job, options, folder, pacing):
    size = options.kib * 1024
    if job == "ramload":
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, size))]
        image_path = os.path.join(folder, "ram.mot")
        with open(image_path, "w", newline="") as f:
            f.write(srec.s2_records(blocks))
        expected = srec.ram_image(blocks)[:size]
    else:
        rom = fc.ROM_3069 if job == "h8-3069" else fc.ROM_36077
        records = [(0, fc.random_bytes(size, 11))]
        image_path = fc.write_image(records, folder)
        expected = fc.expected_flash(rom, records)
    counts = dict.fromkeys(KINDS, 0)
    flips = resent = 0
    for seed in range(1, options.runs + 1):
        kind, run_flips, run_resent, failure = one_run(job, image_path, expected, seed, options,
                                                       pacing)
        counts[kind] += 1
        flips += run_flips
        resent += run_resent
        print("  %-8s seed %3d  %-6s  %3d flips  %2d sent again  %s" %
              (job, seed, kind, run_flips, run_resent, failure), flush=True)
    return counts, flips, resent


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("jobs", nargs="*", choices=[[], "ramload", "h8-3069", "h8-36077"],
                        default=[])
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--flip", type=int, default=8000)
    parser.add_argument("--kib", type=int, default=16)
    parser.add_argument("--no-pacing", action="store_true")
    options = parser.parse_args()
    jobs = options.jobs or ["ramload", "h8-3069", "h8-36077"]
    print("k470 against k470sim --flip %d%s, %d KiB, %d runs of each job" %
          (options.flip, " --no-pacing" if options.no_pacing else "", options.kib, options.runs),
          flush=True)
    rows = []
    with tempfile.TemporaryDirectory(prefix="k470-noise-") as folder:
        for job in jobs:
            counts, flips, resent = bench(job, options, folder, not options.no_pacing)
            rows.append((job, counts, flips, resent))
    print("\n| job | held | caught | false | hung | flips | sent again |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    for job, counts, flips, resent in rows:
        print("| %s | %s | %d | %d |" % (job, " | ".join(str(counts[k]) for k in KINDS),
                                        flips, resent))
    # The aims: the H8/3069 gets through on its own nearly always; nothing hangs; no flash
    # write ends as a success that the chip does not hold.
    failed = []
    for job, counts, _, _ in rows:
        if counts["hung"]:
            failed.append("%s: %d hung" % (job, counts["hung"]))
        if job != "ramload" and counts["false"]:
            failed.append("%s: %d false successes" % (job, counts["false"]))
        if job == "h8-3069" and counts["held"] * 20 < options.runs * 19:
            failed.append("h8-3069: only %d of %d held" % (counts["held"], options.runs))
    for text in failed:
        print("aim missed: " + text)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
