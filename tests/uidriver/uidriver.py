"""Python side of the UI driver: runs uidriver.exe under Wine in "serve" mode and sends
it one command at a time, plus the helpers that every window test needs (starting a
Windows program under Wine, screenshots, a deadline on everything)."""

import os
import select
import subprocess
import time

EXIT_OK, EXIT_USAGE, EXIT_NOT_FOUND, EXIT_REFUSED, EXIT_NO_ANSWER = 0, 1, 2, 3, 4


class DriverError(AssertionError):
    pass


class UiDriver:
    """One uidriver.exe process; run() sends a command and returns (status, lines)."""

    def __init__(self, exe, env=None):
        self.env = env if env is not None else os.environ.copy()
        self.proc = subprocess.Popen(["wine", exe, "serve"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, env=self.env)
        self.buffer = b""

    def run(self, *args, timeout=30.0):
        line = "\t".join(str(a) for a in args) + "\n"
        self.proc.stdin.write(line.encode("utf-8"))
        self.proc.stdin.flush()
        deadline = time.monotonic() + timeout
        while True:
            end = self.buffer.find(b"@@end ")
            if end >= 0:
                nl = self.buffer.find(b"\n", end)
                if nl >= 0:
                    body = self.buffer[:end].decode("utf-8", "replace")
                    status = int(self.buffer[end + 6:nl])
                    self.buffer = self.buffer[nl + 1:]
                    lines = body.split("\n")
                    if lines and lines[-1] == "":
                        lines.pop()
                    return status, lines
            left = deadline - time.monotonic()
            if left <= 0:
                raise DriverError("uidriver gave no answer to %r" % (args,))
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    raise DriverError("uidriver ended during %r" % (args,))
                self.buffer += chunk

    def ok(self, *args, timeout=30.0):
        """Runs a command that must succeed; returns its output lines."""
        status, lines = self.run(*args, timeout=timeout)
        if status != EXIT_OK:
            raise DriverError("%r failed with %d: %s" % (args, status, "\n".join(lines)))
        return lines

    def text(self, window, control=None):
        args = ("get-text", window) if control is None else ("get-text", window, control)
        lines = self.ok(*args)
        return "\n".join(lines)

    def wait_window(self, title, ms=10000):
        return self.ok("wait-window", title, ms, timeout=ms / 1000 + 10)[0]

    def wait_gone(self, title, ms=10000):
        self.ok("wait-gone", title, ms, timeout=ms / 1000 + 10)

    def wait_text(self, window, control, text, ms=10000):
        self.ok("wait-text", window, control, text, ms, timeout=ms / 1000 + 10)

    def enabled(self, window, control):
        return self.ok("is-enabled", window, control)[0] == "1"

    def dismiss_box(self, title, ms=10000):
        """Waits for a message box, presses OK; returns its text."""
        return "\n".join(self.ok("dismiss-box", title, ms, timeout=ms / 1000 + 10))

    def no_box(self, title, ms=500):
        """True when no message box of that title shows up within ms."""
        status, _ = self.run("box-text", title, ms, timeout=ms / 1000 + 10)
        return status == EXIT_NOT_FOUND

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()


def start_windows_program(exe, args=(), env=None, cwd=None):
    """Starts a Windows program under Wine; its output goes to a log beside nothing."""
    return subprocess.Popen(["wine", exe] + list(args), env=env, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_program(proc, timeout=10):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def screenshot(path):
    """Saves the whole Xvfb screen (needs DISPLAY); a failure to shoot is not a test failure."""
    if not os.environ.get("DISPLAY"):
        return False
    return subprocess.run(["import", "-window", "root", path], timeout=30,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def wait_wineserver_gone(env=None):
    """Waits until a Wine server still ending an earlier run has gone: a program started
    meanwhile would wait for that end inside its own start."""
    subprocess.run(["wineserver", "-w"], env=env, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_wineserver(env=None):
    subprocess.run(["wineserver", "-k"], env=env, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_wineserver_gone(env)
