"""Starts and stops the target simulator k470sim for end-to-end tests (native and Wine).

API
    from sim import Sim, find_binary, wine_com_link

    find_binary() -> str
        The k470sim executable: $K470SIM if set, else <repo>/build/native/dist/k470sim.

    wine_com_link(n, wineprefix=None) -> str
        The path $WINEPREFIX/dosdevices/comN (the folder is created if missing).

    Sim(target, *args, binary=None, link=None, com=None, wineprefix=None,
        report=True, memory=True, workdir=None)
        target: "monitor", "h8-3069" or "h8-36077"; args: further k470sim options, e.g.
        "--no-pacing", "--board", "K471L", "--only-rate", "38400".
        link: a path to symlink to the pty; com=N links $WINEPREFIX/dosdevices/comN
        (wineprefix overrides $WINEPREFIX). report/memory: ask for the JSON report and
        the memory file (kept in workdir, a temporary folder by default).

    sim.start(timeout=10) -> Sim      starts it and waits for "k470sim ready <pty>"
    sim.port                           the pty slave path (e.g. /dev/pts/7)
    sim.link                           the link path, or None
    sim.alive() -> bool
    sim.stop(timeout=10) -> SimResult  SIGTERM, waits, reads report and memory; safe to
                                       call twice (the second call returns the same result)
    sim.wait(timeout=10) -> SimResult  waits for an exit of its own (--drop-after)
    with Sim(...) as sim: ...          start() on entry, stop() on exit (result in sim.result)

    SimResult: returncode, report (dict or None), memory (bytes or None), stderr (str)

The report (JSON object)
    every target: target, pty, link, pacing, bytes_received, bytes_sent,
        garbled_received / garbled_sent (bytes that crossed at a rate or format the other
        end did not listen at), lost_sent, rates (the host's rates at which bytes arrived,
        each change once, e.g. [57600, 38400]), dropped, stopped_by ("signal"/"drop"),
        events: [{t_ms, rate, kind, and as they apply: command, address, length, ok,
        error, frame, reply (hex text "3F 06 ..."), text}]
    monitor: board, prompt, prompts, loads [{address, length, ok}], go [addresses],
        loading, load_bytes_missing
    h8-3069: locked_rate, stale_zeros, bitrate_confirmed, rate, device_selected,
        clock_mode_selected, new_rate, programming_state, ended, blocks [addresses],
        errors [{command, code}], partial_frame_bytes
    h8-36077: locked_rate, stale_zeros, bitrate_confirmed, rate, program_count,
        program_received, program (hex), program_done, started, ended, blocks,
        errors [{address, reason}], partial_frame_bytes
    memory: RAM 0x200000..0x23FFFF (monitor, untouched bytes 0xFF) or the whole flash
        (512 KiB / 56 KiB, erased 0xFF).
"""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

READY_PREFIX = "k470sim ready "
_REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def find_binary():
    path = os.environ.get("K470SIM") or os.path.join(_REPO, "build", "native", "dist", "k470sim")
    if not os.access(path, os.X_OK):
        raise FileNotFoundError("k470sim not found at %s (build the native preset)" % path)
    return path


def wine_com_link(n, wineprefix=None):
    prefix = wineprefix or os.environ.get("WINEPREFIX")
    if not prefix:
        raise ValueError("no Wine prefix: set WINEPREFIX or pass wineprefix")
    folder = os.path.join(prefix, "dosdevices")
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, "com%d" % n)


class SimResult:
    def __init__(self, returncode, report, memory, stderr):
        self.returncode = returncode
        self.report = report
        self.memory = memory
        self.stderr = stderr

    def __repr__(self):
        return "SimResult(returncode=%r, report=%s, memory=%s)" % (
            self.returncode, "yes" if self.report is not None else "no",
            "%d bytes" % len(self.memory) if self.memory is not None else "no")


class Sim:
    def __init__(self, target, *args, binary=None, link=None, com=None, wineprefix=None,
                 report=True, memory=True, workdir=None):
        self.binary = binary or find_binary()
        self.target = target
        self.args = [str(a) for a in args]
        self.link = link if link else (wine_com_link(com, wineprefix) if com else None)
        self._own_dir = workdir is None
        self.workdir = workdir or tempfile.mkdtemp(prefix="k470sim-")
        self.report_path = os.path.join(self.workdir, "report.json") if report else None
        self.memory_path = os.path.join(self.workdir, "memory.bin") if memory else None
        self.port = None
        self.proc = None
        self.result = None
        self._stderr = None

    def command(self):
        cmd = [self.binary, self.target] + self.args
        if self.link:
            cmd += ["--link", self.link]
        if self.report_path:
            cmd += ["--report", self.report_path]
        if self.memory_path:
            cmd += ["--memory", self.memory_path]
        return cmd

    def start(self, timeout=10):
        self._stderr = tempfile.TemporaryFile(mode="w+")
        # A session of its own from the start, so the simulator need not fork to get one.
        self.proc = subprocess.Popen(self.command(), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=self._stderr,
                                     start_new_session=True)
        line = b""
        deadline = time.monotonic() + timeout
        while not line.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                self._abort()
                raise TimeoutError("k470sim did not get ready: %s" % self._read_stderr())
            chunk = os.read(self.proc.stdout.fileno(), 1)
            if not chunk:
                self._abort()
                raise RuntimeError("k470sim ended before it was ready: %s" % self._read_stderr())
            line += chunk
        text = line.decode().strip()
        if not text.startswith(READY_PREFIX):
            self._abort()
            raise RuntimeError("unexpected first line from k470sim: %r" % text)
        self.port = text[len(READY_PREFIX):]
        return self

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self, timeout=10):
        if self.result is not None:
            return self.result
        if self.alive():
            self.proc.send_signal(signal.SIGTERM)
        return self.wait(timeout)

    def wait(self, timeout=10):
        if self.result is not None:
            return self.result
        try:
            code = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            code = self.proc.wait()
        self.proc.stdout.close()
        report = memory = None
        if self.report_path and os.path.exists(self.report_path):
            import json
            with open(self.report_path) as f:
                report = json.load(f)
        if self.memory_path and os.path.exists(self.memory_path):
            with open(self.memory_path, "rb") as f:
                memory = f.read()
        self.result = SimResult(code, report, memory, self._read_stderr())
        self._stderr.close()
        if self._own_dir:
            shutil.rmtree(self.workdir, ignore_errors=True)
        return self.result

    def _read_stderr(self):
        self._stderr.seek(0)
        return self._stderr.read()

    def _abort(self):
        self.proc.kill()
        self.proc.wait()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
