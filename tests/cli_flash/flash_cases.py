"""Shared pieces of the flash write end-to-end tests and the benchmark: S-record images,
running k470 (natively or k470.exe under Wine) against k470sim.

Environment
    K470        the tool: k470, or k470.exe with K470_WINE=1
    K470_WINE   "1": run the tool under Wine, ports linked into $WINEPREFIX/dosdevices
    K470SIM     the simulator (default <repo>/build/native/dist/k470sim)
"""

import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(REPO, "tests", "support"))

import srec  # noqa: E402
from sim import Sim  # noqa: E402

SIM_PROGRAM = os.path.join(REPO, "flash", "data", "sim-write-control.mot")
TABLE = os.path.join(REPO, "flash", "data", "fw.dat")
ROM_3069 = 512 * 1024
ROM_36077 = 56 * 1024
WINE_COM = 7

TOOL = os.environ.get("K470") or os.path.join(REPO, "build", "native", "dist", "k470")
UNDER_WINE = os.environ.get("K470_WINE") == "1"
ENCODING = "cp932" if UNDER_WINE else "utf-8"


def write_image(records, folder=None):
    """records: [(address, bytes)]; returns the path of a new .mot file."""
    lines = ["S00600004844521B"]
    for address, data in records:
        lines += srec.records(3, address, data)
    lines.append("S70500000000FA")
    fd, path = tempfile.mkstemp(suffix=".mot", dir=folder)
    with os.fdopen(fd, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def random_bytes(n, seed):
    rnd = random.Random(seed)
    return bytes(rnd.randrange(256) for _ in range(n))


def expected_flash(size, records):
    flash = bytearray(b"\xff" * size)
    for address, data in records:
        for i, b in enumerate(data):
            if 0 <= address + i < size:
                flash[address + i] = b
    return bytes(flash)


def start_sim(target, *args):
    if UNDER_WINE:
        sim = Sim(target, *args, com=WINE_COM)
    else:
        sim = Sim(target, *args)
    sim.start()
    port = "COM%d" % WINE_COM if UNDER_WINE else sim.port
    return sim, port


def tool_command(args):
    if UNDER_WINE:
        return ["wine", TOOL] + args
    return [TOOL] + args


def run_tool(args, timeout=300, preexec_fn=None, env=None):
    """Runs the tool to its end; returns (status, stderr text)."""
    proc = subprocess.run(tool_command(args), stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout,
                          preexec_fn=preexec_fn, env=env)
    return proc.returncode, proc.stderr.decode(ENCODING, errors="replace")


def flash_args(port, device, image, *extra):
    return ["flash", "--port", port, "--device", device, "--table", TABLE,
            "--program", SIM_PROGRAM] + list(extra) + [image]
