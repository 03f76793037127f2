#!/usr/bin/env python3
"""Benchmark (not a test): the three jobs of k470 against the paced simulator, each
printed as two figures: wall time / limit, and the k470 process's CPU time / wall time.

The limit is the least a job can take: the line time of every byte that crossed the line
in either direction (10 bit times at the rate it crossed at, as the simulator counts it)
plus the simulated target's own times (the H8/3069's erase on entering the programming
state, each block's programming time).

    tools/bench_jobs.py [ramload] [h8-3069] [h8-36077] [--wine] [--coarse-sleep] [--rfc2217]
                        [--latency MS]

    ramload     256 KiB into the board monitor at 38400 bit/s
    h8-3069     512 KiB into the H8/3069 (bit rate matched, then the table's 38400 bit/s)
    h8-36077    56 KiB into the H8/36077 with the simulator's write-control program
    --wine          k470.exe under Wine (build/windows/dist), the simulator linked as COM7
    --coarse-sleep  natively, with every sleep rounded up to a whole Windows timer tick
                    (15.625 ms, build/native/bench/libk470_coarse_sleep.so preloaded)
    --rfc2217       the simulator behind ser2net on 127.0.0.1 (tests/cli_net), reached as
                    rfc2217://127.0.0.1:PORT: every rate change travels over the network
    --latency MS    the simulator behind its model of a USB serial adapter whose latency
                    timer fires every MS ms (k470sim --latency): 16 is the adapters'
                    default, 1 what the driver's low-latency mode gives

Under Wine the CPU figure is that of the k470.exe process and, after it, of the Wine
server, which carries part of every Windows call there.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli_flash"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli_net"))
import srec  # noqa: E402
import flash_cases as fc  # noqa: E402
from sim import Sim  # noqa: E402
from ser2net_server import Ser2net  # noqa: E402

NATIVE_K470 = os.path.join(ROOT, "build", "native", "dist", "k470")
WINE_K470 = os.path.join(ROOT, "build", "windows", "dist", "k470.exe")
COARSE_SLEEP = os.path.join(ROOT, "build", "native", "bench", "libk470_coarse_sleep.so")
WINE_PREFIX = os.path.join(ROOT, "build", "windows", "wineprefix")
WINE_COM = 7
# The simulator's default target times (k470sim --help).
PROGRAM_S = 0.003  # one 128-byte block
ERASE_S = 0.050    # the H8/3069's erase on entering the programming state
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def wine_server_cpu():
    """CPU seconds used so far by the Wine server of the benchmark's prefix (0 if none)."""
    total = 0.0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / CLOCK_TICKS
        except OSError:
            continue
    return total


class Runner:
    def __init__(self, wine, coarse, rfc2217=False, latency_ms=0):
        self.wine = wine
        self.latency_ms = latency_ms
        self.rfc2217 = rfc2217
        self.server = None
        self.env = dict(os.environ)
        if wine:
            self.env.update(WINEPREFIX=WINE_PREFIX, WINEDEBUG="-all", LANG="ja_JP.UTF-8")
            os.environ["WINEPREFIX"] = WINE_PREFIX
            if not os.path.exists(os.path.join(WINE_PREFIX, "system.reg")):
                subprocess.run(["wineboot", "--init"], env=self.env, check=True)
            subprocess.run(["wineserver", "-p"], env=self.env)  # kept up across the runs
            subprocess.run(["wine", WINE_K470, "--help"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        if coarse:
            if not os.path.exists(COARSE_SLEEP):
                sys.exit("%s is missing: build the native preset" % COARSE_SLEEP)
            self.env["LD_PRELOAD"] = COARSE_SLEEP

    def sim(self, target, *args):
        if self.latency_ms:
            args += ("--latency", str(self.latency_ms))
        if self.rfc2217:
            sim = Sim(target, *args).start()
            self.server = Ser2net(sim.port).start()
            return sim, self.server.url
        sim = Sim(target, *args, com=WINE_COM) if self.wine else Sim(target, *args)
        sim.start()
        return sim, ("COM%d" % WINE_COM if self.wine else sim.port)

    def stop(self, sim):
        if self.server is not None:
            self.server.stop()
            self.server = None
        return sim.stop()

    def run(self, args):
        """Runs the tool; returns (status, stderr, wall s, cpu s, Wine server cpu s)."""
        command = (["wine", WINE_K470] if self.wine else [NATIVE_K470]) + args
        server_before = wine_server_cpu() if self.wine else 0.0
        with tempfile.TemporaryFile() as err:
            started = time.monotonic()
            proc = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err, env=self.env)
            _, status, usage = os.wait4(proc.pid, 0)
            wall = time.monotonic() - started
            proc.returncode = os.waitstatus_to_exitcode(status)
            err.seek(0)
            text = err.read().decode("cp932" if self.wine else "utf-8", "replace")
        server = wine_server_cpu() - server_before if self.wine else 0.0
        return proc.returncode, text, wall, usage.ru_utime + usage.ru_stime, server

    def path(self, path):
        return "Z:" + path.replace("/", "\\") if self.wine else path


def report_line(name, wall, limit, line_s, target_s, cpu, server):
    text = ("%-9s wall %7.2f s  limit %7.2f s (line %.2f + target %.2f)  ratio %.3f  "
            "CPU %6.2f s = %4.1f %% of wall" % (name, wall, limit, line_s, target_s,
                                                 wall / limit, cpu, 100.0 * cpu / wall))
    if server:
        text += "  (Wine server %.2f s = %.1f %%)" % (server, 100.0 * server / wall)
    print(text, flush=True)


def bench_ramload(runner, folder):
    blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, srec.RAM_SIZE))]
    mot = os.path.join(folder, "ram.mot")
    with open(mot, "w", newline="") as f:
        f.write(srec.s2_records(blocks))
    sim, port = runner.sim("monitor")
    try:
        status, err, wall, cpu, server = runner.run(["ramload", "--port", port, runner.path(mot)])
    finally:
        result = runner.stop(sim)
    if status != 0 or result.memory != srec.ram_image(blocks):
        print("ramload: failed (status %d)\n%s" % (status, err[-400:]))
        return False
    line_s = result.report["line_seconds"]
    report_line("ramload", wall, line_s, line_s, 0.0, cpu, server)
    return True


def bench_flash(runner, folder, target):
    device, rom = {"h8-3069": ("H8/3069F", fc.ROM_3069),
                   "h8-36077": ("H8/36077", fc.ROM_36077)}[target]
    records = [(0, fc.random_bytes(rom, 11))]
    image = fc.write_image(records, folder)
    sim, port = runner.sim(target)
    try:
        args = fc.flash_args(port, device, runner.path(image))
        args[args.index("--table") + 1] = runner.path(fc.TABLE)
        args[args.index("--program") + 1] = runner.path(fc.SIM_PROGRAM)
        status, err, wall, cpu, server = runner.run(args)
    finally:
        result = runner.stop(sim)
    if status != 0 or result.memory != fc.expected_flash(rom, records):
        print("%s: failed (status %d)\n%s" % (target, status, err[-400:]))
        return False
    rep = result.report
    target_s = len(rep["blocks"]) * PROGRAM_S + (ERASE_S if target == "h8-3069" else 0.0)
    line_s = rep["line_seconds"]
    report_line(target, wall, line_s + target_s, line_s, target_s, cpu, server)
    if target == "h8-36077":
        # The write-control program goes ahead of its echoes: from the count's arrival to
        # the program's last byte the line carries the program, after one wait for the
        # count's echo.
        events = {e["kind"]: e for e in rep["events"] if e["kind"].startswith("program-")}
        first, last = events["program-count"], events["program-received"]
        count = rep["program_count"]
        took = (last["t_ms"] - first["t_ms"]) / 1000.0
        line = (count + 1) * 10.0 / last["rate"]
        text = ("          write-control program: %d bytes at %d bit/s in %.3f s, line time "
                "%.3f s, %.1f ms more" % (count, last["rate"], took, line, (took - line) * 1000))
        if runner.latency_ms:
            text += " (bound: two timer periods, %d ms)" % (2 * runner.latency_ms)
        print(text, flush=True)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("jobs", nargs="*", choices=[[], "ramload", "h8-3069", "h8-36077"],
                        default=[])
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--coarse-sleep", action="store_true")
    parser.add_argument("--rfc2217", action="store_true")
    parser.add_argument("--latency", type=int, default=0, metavar="MS")
    args = parser.parse_args()
    jobs = args.jobs or ["ramload", "h8-3069", "h8-36077"]
    runner = Runner(args.wine, args.coarse_sleep, args.rfc2217, args.latency)
    mode = "k470.exe under Wine" if args.wine else "k470"
    if args.coarse_sleep:
        mode += ", every sleep a whole 15.625 ms tick"
    if args.rfc2217:
        mode += ", over rfc2217:// through ser2net"
    if args.latency:
        mode += ", behind an adapter with a %d ms latency timer" % args.latency
    print("%s against the paced k470sim" % mode, flush=True)
    ok = True
    with tempfile.TemporaryDirectory(prefix="k470-bench-") as folder:
        for job in jobs:
            if job == "ramload":
                ok = bench_ramload(runner, folder) and ok
            else:
                ok = bench_flash(runner, folder, job) and ok
    if args.wine:
        subprocess.run(["wineserver", "-k"], env=runner.env)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
