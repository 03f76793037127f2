"""Golden transcripts: hand-written byte sequences played against k470sim through its pty.

A transcript file holds one conversation, a line per step:
    # comment
    @sim h8-3069 --no-pacing      the simulator's target and options (first step)
    @rate 38400                   (re)open the host's port at this rate, 8N1 raw (the
                                  port's input is not purged)
    >> 3F 06 01 80 07 D0 01 01 61 the host writes these bytes
    << 06                         exactly these bytes must arrive next (2 s each)
    <<~ 00                        bytes are skipped until this sequence has arrived
    @quiet 100                    nothing may arrive for 100 ms
    @sleep 50                     wait 50 ms
    @close                        close the host's port
    @include other.txt            the steps of another transcript (its @sim ignored)
Byte tokens: hex pairs (3F), quoted text with \\r \\n \\\\ \\" escapes ("k470l>"),
repetition (00*30), fill(FF,128) and seq(00,128) (00 01 02 ... counting up, mod 256).
"""

import os
import select
import shlex
import sys
import termios
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from sim import Sim  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
READ_TIMEOUT_S = 2.0

RATES = {9600: termios.B9600, 19200: termios.B19200, 38400: termios.B38400,
         57600: termios.B57600, 115200: termios.B115200}


def parse_bytes(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c.isspace():
            i += 1
        elif c == '"':
            i += 1
            while text[i] != '"':
                if text[i] == "\\":
                    i += 1
                    out += {"r": b"\r", "n": b"\n", "\\": b"\\", '"': b'"'}[text[i]]
                else:
                    out += text[i].encode()
                i += 1
            i += 1
        elif text.startswith(("fill(", "seq("), i):
            end = text.index(")", i)
            name, args = text[i:end].split("(")
            first, count = args.split(",")
            first, count = int(first, 16), int(count)
            out += bytes([first] * count if name == "fill" else
                         [(first + k) & 0xFF for k in range(count)])
            i = end + 1
        else:
            end = i
            while end < len(text) and not text[end].isspace():
                end += 1
            token = text[i:end]
            value, _, times = token.partition("*")
            out += bytes([int(value, 16)]) * (int(times) if times else 1)
            i = end
    return bytes(out)


class Host:
    """The host's end of the line: the pty slave opened like a serial port."""

    def __init__(self, port):
        self.port = port
        self.fd = None
        self.buf = bytearray()
        self.log = []

    def open(self, rate):
        self.close()
        self.fd = os.open(self.port, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(self.fd)
        attrs = termios.tcgetattr(self.fd)
        attrs[2] = (attrs[2] & ~(termios.CSIZE | termios.PARENB | termios.CSTOPB)) | termios.CS8
        attrs[4] = attrs[5] = RATES[rate]
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)
        self.buf = bytearray()
        self.log.append("@rate %d" % rate)

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def write(self, data):
        self.log.append(">> " + data.hex(" ").upper())
        view = memoryview(data)
        while view:
            select.select([], [self.fd], [], READ_TIMEOUT_S)
            n = os.write(self.fd, view)
            view = view[n:]

    def fill(self, timeout):
        """Reads what arrives within `timeout` into the buffer; False when nothing came."""
        if not select.select([self.fd], [], [], max(0.0, timeout))[0]:
            return False
        try:
            chunk = os.read(self.fd, 4096)
        except BlockingIOError:
            return False
        self.buf += chunk
        return bool(chunk)

    def quiet(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.fill(deadline - time.monotonic())
        got, self.buf = bytes(self.buf), bytearray()
        return got

    def expect(self, want, timeout=READ_TIMEOUT_S):
        deadline = time.monotonic() + timeout
        while len(self.buf) < len(want) and time.monotonic() < deadline:
            self.fill(deadline - time.monotonic())
        got = bytes(self.buf[:len(want)])
        del self.buf[:len(want)]
        self.log.append("<< " + got.hex(" ").upper())
        return got == want, got

    def read_until(self, want, timeout=READ_TIMEOUT_S):
        deadline = time.monotonic() + timeout
        while want not in self.buf and time.monotonic() < deadline:
            self.fill(deadline - time.monotonic())
        at = self.buf.find(want)
        cut = at + len(want) if at >= 0 else len(self.buf)
        got = bytes(self.buf[:cut])
        del self.buf[:cut]
        self.log.append("<<~ " + got.hex(" ").upper())
        return at >= 0, got


class TranscriptError(AssertionError):
    pass


def load_steps(name, included=False):
    """The steps of transcripts/<name>.txt as (where, text), includes expanded."""
    path = os.path.join(HERE, "transcripts", name + ".txt")
    steps = []
    with open(path) as f:
        for n, line in enumerate(f, 1):
            text = line.strip()
            if not text or text.startswith("#") or (included and text.startswith("@sim ")):
                continue
            if text.startswith("@include "):
                steps += load_steps(text.split()[1][:-len(".txt")], True)
            else:
                steps.append(("%s.txt:%d" % (name, n), text))
    return steps


def run(name, extra_args=(), sim_args=None):
    """Plays transcripts/<name>.txt; returns the simulator's SimResult."""
    steps = load_steps(name)
    n0, first = steps[0]
    if not first.startswith("@sim "):
        raise TranscriptError("%s: first step must be @sim" % name)
    args = shlex.split(first[5:]) if sim_args is None else list(sim_args)
    sim = Sim(args[0], *args[1:], *extra_args).start()
    host = Host(sim.port)
    try:
        for n, step in steps[1:]:
            where = "%s: %s" % (n, step)
            if step.startswith("@rate "):
                host.open(int(step.split()[1]))
            elif step == "@close":
                host.close()
            elif step.startswith("@sleep "):
                time.sleep(int(step.split()[1]) / 1000.0)
            elif step.startswith("@quiet "):
                got = host.quiet(int(step.split()[1]) / 1000.0)
                if got:
                    raise TranscriptError("%s: got %s" % (where, got.hex(" ").upper()))
            elif step.startswith(">> "):
                host.write(parse_bytes(step[3:]))
            elif step.startswith("<<~ "):
                ok, got = host.read_until(parse_bytes(step[4:]))
                if not ok:
                    raise TranscriptError("%s: got %s" % (where, got.hex(" ").upper()))
            elif step.startswith("<< "):
                want = parse_bytes(step[3:])
                ok, got = host.expect(want)
                if not ok:
                    raise TranscriptError("%s: want %s, got %s" % (
                        where, want.hex(" ").upper(), got.hex(" ").upper()))
            else:
                raise TranscriptError("%s: unknown step" % where)
    except Exception as e:
        host.close()
        result = sim.stop()
        raise TranscriptError("%s\n--- host side\n%s\n--- simulator stderr\n%s" % (
            e, "\n".join(host.log[-20:]), result.stderr)) from None
    host.close()
    return sim.stop()
