"""k470.exe's texts on a console and redirected, under Wine: on a console (a terminal that
Wine turns into one) the Japanese message reads as itself whatever code page the locale
gives non-Unicode programs; redirected, stderr carries the message in code page 932; a
file name in the locale's code page reads as itself in the JSON events.

Usage: console_text_test.py K470_EXE ja|en"""

import json
import os
import pty
import re
import select
import subprocess
import sys
import time

# The port that cannot be opened, in each language.
MESSAGES = {"ja": "COM99がオープンできません。", "en": "COM99 cannot be opened."}
RUN_S = 60


def run_on_terminal(cmd):
    """Runs cmd with a pseudo-terminal as stdin, stdout and stderr; returns its output."""
    master, slave = pty.openpty()
    proc = subprocess.Popen(cmd, stdin=slave, stdout=slave, stderr=slave, close_fds=True)
    os.close(slave)
    out = b""
    deadline = time.monotonic() + RUN_S
    try:
        while time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.5)
            if ready:
                try:
                    chunk = os.read(master, 65536)
                except OSError:
                    break
                if not chunk:
                    break
                out += chunk
            elif proc.poll() is not None:
                break
    finally:
        if proc.poll() is None:
            proc.kill()
        proc.wait()
        os.close(master)
    return proc.returncode, out


def main():
    k470 = sys.argv[1]
    message = MESSAGES[sys.argv[2]]
    cmd = ["wine", k470, "flash", "--port", "COM99", "--device", "0", "no-such-image.mot"]

    status, out = run_on_terminal(cmd)
    # Wine draws its console on the terminal with cursor movements in place of blanks.
    shown = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", out).decode("utf-8", "replace")
    if status != 1 or message not in shown:
        raise AssertionError("on a console: status %r, shown %r" % (status, shown))

    redirected = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=RUN_S)
    if redirected.returncode != 1 or message.encode("cp932") not in redirected.stderr:
        raise AssertionError("redirected: status %r, stderr %r"
                             % (redirected.returncode, redirected.stderr))
    # A file name in the system's code page (1252 here) reaches the JSON events as itself:
    # the H8/36077's write-control program is read before the port is opened.
    if os.environ.get("LANG", "").startswith("en_US"):
        named = subprocess.run(["wine", k470, "flash", "--json", "--port", "COM99", "--device",
                                "1", "--program", "Müller.mot", "no-such-image.mot"],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=RUN_S)
        events = [json.loads(line) for line in named.stdout.decode("utf-8").splitlines()]
        details = [e.get("detail", "") for e in events if e["event"] == "message"]
        if named.returncode != 1 or not any("Müller.mot" in d for d in details):
            raise AssertionError("a file name in JSON: status %r, events %r"
                                 % (named.returncode, events))
    print("console texts: passed (%s)" % os.environ.get("LANG", ""))


if __name__ == "__main__":
    main()
