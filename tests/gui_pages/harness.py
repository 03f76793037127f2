"""Runs the window program under Wine for the pages' end-to-end tests: a fresh copy of
dist/ with a prepared INI file, the UI driver, S-record images, and the checks that no
message box is left open and that the program ends when its window is closed."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "uidriver"))
sys.path.insert(0, os.path.join(HERE, "..", "support"))

import uidriver as ui  # noqa: E402
from program_texts import ENGLISH, T, expect_no_japanese, fill  # noqa: E402,F401
from sim import Sim  # noqa: E402,F401

MAIN = "K470Loader 2.00"   # the main window's title
BOX = "K470Loader"         # the title of every message box of the program
STATUS = 1002              # the main window's status line
EXIT_MENU = 32773          # File, Exit
OPTION_MENU = 65535        # Option(&O)..
OPEN_MENU = 32772          # File, Open
HELP_MENU = 32774          # Help


def arguments():
    p = argparse.ArgumentParser()
    p.add_argument("--dist", required=True, help="the Windows build's dist folder")
    p.add_argument("--driver", required=True, help="uidriver.exe")
    p.add_argument("--out", required=True, help="folder for screenshots")
    p.add_argument("--write-control", help="the simulator's write-control program")
    p.add_argument("--target-app", help="a small window program to start as the application")
    p.add_argument("--helper", help="gui_helper.exe (drops, typing into the file dialog)")
    args = p.parse_args()
    # The English run's screenshots beside the Japanese run's.
    if ENGLISH:
        args.out += "_en"
    return args


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def srecords(base, data, kind=2, per_line=32):
    """Motorola S-records of `data` at `base`: S1 (16-bit) or S2 (24-bit) addresses."""
    import srec
    lines = ["S00600004844521B"] + srec.records(kind, base, data, per_line)
    lines.append(srec.record({1: 9, 2: 8, 3: 7}[kind], base, b""))
    return "\r\n".join(lines) + "\r\n"


def pattern(length, seed):
    """Test data that is never all 0xFF in a block."""
    return bytes(((i * 7 + seed + (i >> 8)) & 0xFF) if (i % 97) else 0x5A for i in range(length))


def ini_text(sections):
    """The INI file's text from [(section, [(key, value), ...]), ...], CR LF lines."""
    lines = []
    for name, keys in sections:
        lines.append("[%s]" % name)
        lines += ["%s=%s" % (k, v) for k, v in keys]
    return "\r\n".join(lines) + "\r\n"


class Session:
    """One run of K470Loader.exe from a fresh copy of dist/."""

    def __init__(self, args, extra_bin=None, folder="dist"):
        self.args = args
        self.tmp = tempfile.mkdtemp(prefix="k470pages-")
        self.dist = os.path.join(self.tmp, folder)
        shutil.copytree(args.dist, self.dist)
        for name, source in (extra_bin or {}).items():
            shutil.copyfile(source, os.path.join(self.dist, "bin", name))
        self.proc = None
        self.d = None
        self.sim = None
        self.sim_result = None

    def write_ini(self, sections, code_page="cp932"):
        """The INI file beside the program, as a user's earlier run would have left it."""
        with open(os.path.join(self.dist, "K470Loader.ini"), "wb") as f:
            f.write(ini_text(sections).encode(code_page))

    def file(self, name, text):
        path = os.path.join(self.tmp, name)
        with open(path, "w", newline="") as f:
            f.write(text)
        return path

    def start(self):
        ui.wait_wineserver_gone()
        self.proc = ui.start_windows_program(os.path.join(self.dist, "K470Loader.exe"))
        self.d = ui.UiDriver(self.args.driver)
        self.d.wait_window(MAIN, 60000)
        return self.d

    def start_sim(self, *sim_args):
        """Starts k470sim on COM1. Only after the program is up: Wine's start links COM1 to
        its own default device and would replace an earlier link."""
        self.sim = Sim(*sim_args, com=1).start()
        return self.sim

    def shot(self, name):
        os.makedirs(self.args.out, exist_ok=True)
        ui.screenshot(os.path.join(self.args.out, name + ".png"))

    def ini(self, code_page="cp932"):
        with open(os.path.join(self.dist, "K470Loader.ini"), "rb") as f:
            return f.read().decode(code_page)

    def helper(self, *cmd):
        """Runs gui_helper.exe (a drop, typing into the focused field)."""
        result = subprocess.run(["wine", self.args.helper] + [str(c) for c in cmd], timeout=60,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert result.returncode == 0, "gui_helper %r failed with %d" % (cmd, result.returncode)

    def helper_output(self, *cmd):
        """Runs gui_helper.exe and returns what it printed (the answer to a query)."""
        result = subprocess.run(["wine", self.args.helper] + [str(c) for c in cmd], timeout=60,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        assert result.returncode == 0, "gui_helper %r failed with %d" % (cmd, result.returncode)
        return result.stdout.decode("utf-8", "replace")

    def close(self):
        """Closes the main window as a user would; fails when a message box is left open
        or the program does not end."""
        problems = []
        try:
            if self.d is not None and self.proc is not None and self.proc.poll() is None:
                status, lines = self.d.run("box-text", BOX, 0)
                if status == ui.EXIT_OK:
                    problems.append("a message box was left open: %s" % " ".join(lines))
                    self.d.run("dismiss-box", BOX, 0)
                status, _ = self.d.run("close", MAIN)
                if status == ui.EXIT_REFUSED:
                    problems.append("a modal window was left open over the main window")
                try:
                    self.proc.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    problems.append("the program did not end after its window was closed")
        finally:
            if self.d is not None:
                self.d.close()
            if self.proc is not None:
                ui.stop_program(self.proc)
            if self.sim is not None:
                self.sim_result = self.sim.stop()
                self.sim = None
            # The next session starts on a Wine of its own, not on one still ending this one.
            ui.stop_wineserver()
        if problems:
            raise AssertionError("; ".join(problems))

    def cleanup(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


def watch_dialog(d, title, seconds, box=None, shot=None):
    """Waits for a progress dialog and follows its status line (1002) until it has gone,
    pressing OK on the message boxes of that title on the way; `shot` (session, name,
    seconds), or a list of them, takes a screenshot that long after the start (it holds the display for a
    moment, so a text shown meanwhile may be missed). Returns (texts, box texts)."""
    shots = shot if isinstance(shot, list) else [shot] if shot else []
    timers = [threading.Timer(t[2], t[0].shot, [t[1]]) for t in shots]
    for timer in timers:
        timer.start()
    args = ["watch-text", title, 1002, int(seconds * 1000)] + ([box] if box else [])
    try:
        lines = d.ok(*args, timeout=seconds + 15)
    finally:
        for timer in timers:
            timer.join()
    texts = [line for line in lines if not line.startswith("box: ")]
    # A box's text of several lines comes with its line breaks as \n.
    boxes = [line[5:].replace("\\n", "\n") for line in lines if line.startswith("box: ")]
    return texts, boxes


def mark_colours(d, window, control, looks=10, every=0.25):
    """The colour of an update mark bar, read from the screen `looks` times."""
    seen = []
    for _ in range(looks):
        seen.append(d.ok("pixel", window, control)[0])
        time.sleep(every)
    return seen


def wait_until(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def run(cases):
    """Runs the cases (functions taking the parsed arguments) in order; each runs its own
    session. Stops the Wine server at the end, whatever happened."""
    args = arguments()
    failed = []
    try:
        for case in cases:
            print("== " + case.__name__, flush=True)
            started = time.monotonic()
            try:
                case(args)
                print("   passed (%.1f s)" % (time.monotonic() - started), flush=True)
            except Exception as e:  # noqa: BLE001 - every case reports, then the next runs
                import traceback
                traceback.print_exc()
                failed.append("%s: %s" % (case.__name__, e))
    finally:
        ui.stop_wineserver()
    if failed:
        print("FAILED:\n  " + "\n  ".join(failed))
        sys.exit(1)
