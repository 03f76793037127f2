"""k470sim's end of the line and the test helper: raw pty, own session with the pty as
controlling terminal, exclusive use released on close, links, start and stop."""

import fcntl
import os
import signal
import struct
import subprocess
import tempfile
import termios
import time
import unittest

import transcript  # noqa: F401  (puts tests/support on the path)
from sim import Sim, find_binary, wine_com_link
from transcript import Host

TIOCGEXCL = 0x80045440


class LineTest(unittest.TestCase):
    def test_pty_is_raw_and_the_sessions_terminal(self):
        with Sim("monitor", "--no-pacing") as sim:
            fd = os.open(sim.port, os.O_RDWR | os.O_NOCTTY)
            iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(fd)
            os.close(fd)
            self.assertEqual(lflag & (termios.ICANON | termios.ECHO | termios.ISIG), 0)
            self.assertEqual(oflag & termios.OPOST, 0)
            self.assertEqual(iflag & (termios.ICRNL | termios.IXON), 0)
            self.assertEqual(cflag & termios.CSIZE, termios.CS8)
            self.assertEqual(ospeed, termios.B38400)
            with open("/proc/%d/stat" % sim.proc.pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            session, tty_nr = int(fields[3]), int(fields[4])
            self.assertEqual(session, sim.proc.pid)
            self.assertEqual(tty_nr, os.stat(sim.port).st_rdev)

    def test_host_exclusive_use_ends_when_it_closes(self):
        with Sim("monitor", "--no-pacing") as sim:
            fd = os.open(sim.port, os.O_RDWR | os.O_NOCTTY)
            fcntl.ioctl(fd, termios.TIOCEXCL)
            os.close(fd)
            deadline = time.monotonic() + 5
            while True:
                fd = os.open(sim.port, os.O_RDWR | os.O_NOCTTY)
                excl = struct.unpack("i", fcntl.ioctl(fd, TIOCGEXCL, b"\0" * 4))[0]
                os.close(fd)
                if not excl or time.monotonic() > deadline:
                    break
                time.sleep(0.05)
            self.assertEqual(excl, 0)

    def test_link_replaces_an_old_one_and_goes_at_exit(self):
        with tempfile.TemporaryDirectory() as prefix:
            link = wine_com_link(5, prefix)
            self.assertEqual(link, os.path.join(prefix, "dosdevices", "com5"))
            os.symlink("/dev/null/nothing", link)
            sim = Sim("monitor", "--no-pacing", com=5, wineprefix=prefix).start()
            self.assertEqual(os.readlink(link), sim.port)
            host = Host(link)
            host.open(38400)
            host.write(b"\r")
            self.assertTrue(host.expect(b"\r\nk470l>")[0])
            host.close()
            r = sim.stop()
            self.assertEqual(r.report["link"], link)
            self.assertFalse(os.path.lexists(link))

    def test_started_as_a_group_leader_it_still_gets_a_session_and_stops(self):
        with tempfile.TemporaryDirectory() as d:
            report = os.path.join(d, "r.json")
            proc = subprocess.Popen([find_binary(), "h8-3069", "--report", report],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                    process_group=0)
            try:
                line = proc.stdout.readline().decode()
                self.assertRegex(line, r"^k470sim ready /dev/pts/\d+\n$")
                proc.send_signal(signal.SIGTERM)
                self.assertEqual(proc.wait(timeout=10), 0)
            finally:
                if proc.poll() is None:
                    proc.kill()
                    proc.wait()
                proc.stdout.close()
            self.assertTrue(os.path.exists(report))

    def test_it_stops_when_whoever_started_it_is_gone(self):
        with tempfile.TemporaryDirectory() as d:
            report = os.path.join(d, "r.json")
            shell = subprocess.Popen(["sh", "-c", '"$0" monitor --report "$1"; true',
                                      find_binary(), report], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
            line = shell.stdout.readline().decode()
            shell.stdout.close()
            self.assertTrue(line.startswith("k470sim ready "), line)
            shell.kill()
            shell.wait()
            deadline = time.monotonic() + 10
            text = ""
            while not text.endswith("\n") and time.monotonic() < deadline:
                time.sleep(0.05)
                if os.path.exists(report):
                    with open(report) as f:
                        text = f.read()
            self.assertIn('"stopped_by":"parent"', text)

    def test_a_noisy_line_flips_one_bit_of_a_byte_as_its_seed_says(self):
        def flips(*args):
            with Sim("monitor", "--no-pacing", *args) as sim:
                host = Host(sim.port)
                host.open(38400)
                host.write(b"\r" * 400)
                host.quiet(0.5)
                host.close()
            return sim.result.report["flips"]

        both = flips("--flip", "4", "--seed", "7")
        self.assertEqual({f["direction"] for f in both}, {"down", "up"})
        for f in both:
            self.assertEqual(f["to"], f["from"] ^ (1 << f["bit"]), f)
        down = [(f["index"], f["bit"]) for f in both if f["direction"] == "down"]
        self.assertTrue(50 < len(down) < 150, len(down))  # about one in four of 400
        self.assertEqual(len(set(down)), len(down))
        # The same seed flips the same bytes again; another seed others.
        again = flips("--flip", "4", "--seed", "7")
        self.assertEqual([(f["index"], f["bit"]) for f in again if f["direction"] == "down"], down)
        other = flips("--flip", "4", "--seed", "8")
        self.assertNotEqual([(f["index"], f["bit"]) for f in other if f["direction"] == "down"],
                            down)
        for one in ("down", "up"):
            with self.subTest(one=one):
                self.assertEqual({f["direction"] for f in flips("--flip", "4", "--flip-" + one)},
                                 {one})

    def test_bad_arguments_are_refused(self):
        for args in (["nothing"], ["monitor", "--only-rate", "x"], ["h8-3069", "--bogus"], [],
                     ["h8-3069", "--flip-down"], ["h8-3069", "--flip", "9", "--flip-up", "--flip-down"],
                     ["h8-3069", "--flip", "0"], ["h8-3069", "--refuse-block", "1,x"]):
            with self.subTest(args=args):
                r = subprocess.run([find_binary()] + args, capture_output=True, timeout=10)
                self.assertEqual(r.returncode, 2)
                self.assertIn(b"usage: k470sim", r.stderr)


if __name__ == "__main__":
    unittest.main()
