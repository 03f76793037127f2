"""Starts Debian's ser2net on 127.0.0.1 in front of a simulator's pseudo-terminal.

    Ser2net(device, telnet=True).start() -> Ser2net
        telnet=True: the port speaks telnet with the COM port option (rfc2217://HOST:PORT);
        telnet=False: raw TCP (socket://HOST:PORT).
    server.url        the address to give to k470 --port
    server.config     the YAML configuration it was started with
    server.stop(sig)  ends it (SIGTERM by default); safe to call twice

The configuration is the one the README shows under "Boards on other machines".
"""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

CONFIG = """%YAML 1.1
---
connection: &board1
  accepter: {accepter}
  connector: serialdev,{device},38400n81,local
  options:
    kickolduser: true
    chardelay: false
"""
LISTEN_TIMEOUT_S = 10


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    """True once something listens on 127.0.0.1:port (read from the kernel's table, so that
    no connection is made to the server before the test's own)."""
    wanted = ":%04X" % port
    with open("/proc/net/tcp") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if fields[1].endswith(wanted) and fields[3] == "0A":
                return True
    return False


class Ser2net:
    def __init__(self, device, telnet=True):
        self.port = free_port()
        self.telnet = telnet
        scheme = "rfc2217" if telnet else "socket"
        self.url = "%s://127.0.0.1:%d" % (scheme, self.port)
        accepter = ("telnet(rfc2217),tcp(nodelay),127.0.0.1,%d" if telnet
                    else "tcp(nodelay),127.0.0.1,%d") % self.port
        self.config = CONFIG.format(accepter=accepter, device=device)
        self.dir = tempfile.mkdtemp(prefix="ser2net-")
        self.proc = None

    def start(self):
        path = os.path.join(self.dir, "ser2net.yaml")
        with open(path, "w") as f:
            f.write(self.config)
        # -n: in the foreground; -u: no UUCP lock files (the pty is the simulator's).
        self.proc = subprocess.Popen(["ser2net", "-n", "-u", "-c", path,
                                      "-P", os.path.join(self.dir, "ser2net.pid")],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
        deadline = time.monotonic() + LISTEN_TIMEOUT_S
        while not listening(self.port):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("ser2net did not listen on port %d" % self.port)
            time.sleep(0.05)
        return self

    def stop(self, sig=signal.SIGTERM):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(sig)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False
