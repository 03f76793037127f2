"""k470's RAM load commands end to end against the simulated board monitor.

Natively k470 opens the simulator's pseudo-terminal by its path; with --wine, k470.exe
runs under Wine and opens \\\\.\\COMn, which the simulator is linked to.

    test_ramload_e2e.py --k470 PATH [--wine --com N]
The simulator is found through $K470SIM (see tests/support/sim.py).
"""

import argparse
import fcntl
import json
import os
import pty
import select
import signal
import struct
import termios
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import srec  # noqa: E402
from sim import Sim  # noqa: E402
from unopenable_ports import unopenable_ports, unprivileged  # noqa: E402

CONFIG = argparse.Namespace(k470=None, wine=False, com=7)
RUN_TIMEOUT_S = 60

MSG_START_ADDRESS = "スタートアドレスが有効範囲外です。"
MSG_FILE_FORMAT = "ファイルのフォーマットが不正です。"
MSG_PORT_LOST = "との通信が切れました。"
MSG_NO_ACK = "ボードから応答がありません。"
# Far beyond what a run needs once its port is lost or its time-out has passed (Wine's
# start-up included); a run that waits for ever meets it instead.
ENDS_SOON_S = 10


def encoding():
    # The Windows build's texts are in code page 932; the native build's in UTF-8.
    return "cp932" if CONFIG.wine else "utf-8"


def k470_command(*args):
    if CONFIG.wine:
        return ["wine", CONFIG.k470] + [str(a) for a in args]
    return [CONFIG.k470] + [str(a) for a in args]


def run_k470(*args, timeout=RUN_TIMEOUT_S, preexec_fn=None):
    # Output goes to files, not pipes: the helper processes that Wine starts inherit the
    # handles and would keep a pipe open long after k470.exe has ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        p = subprocess.run(k470_command(*args), stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                           timeout=timeout, preexec_fn=preexec_fn)
        out.seek(0)
        err.seek(0)
        # JSON events are UTF-8 from both builds.
        out_encoding = "utf-8" if "--json" in args else encoding()
        return (p.returncode, out.read().decode(out_encoding, "replace"),
                err.read().decode(encoding(), "replace"))


def start_sim(*args):
    if CONFIG.wine:
        sim = Sim("monitor", "--no-pacing", *args, com=CONFIG.com).start()
        return sim, "COM%d" % CONFIG.com
    sim = Sim("monitor", "--no-pacing", *args).start()
    return sim, sim.port


def wine_path(path):
    # Wine reaches the Unix file system through drive Z:.
    return "Z:" + path.replace("/", "\\") if CONFIG.wine else path


class RamLoadEndToEnd(unittest.TestCase):
    def setUp(self):
        self.started = time.monotonic()
        self.dir = tempfile.TemporaryDirectory(prefix="k470-e2e-")
        self.sim = None

    def tearDown(self):
        if self.sim:
            self.sim.stop()
        if getattr(self, "err_file", None):
            self.err_file.close()
        self.dir.cleanup()
        sys.stderr.write("(%.1f s) " % (time.monotonic() - self.started))

    def mot_file(self, name, blocks):
        path = os.path.join(self.dir.name, name)
        with open(path, "w", newline="") as f:
            f.write(srec.s2_records(blocks))
        return wine_path(path)

    def load(self, blocks, *extra):
        self.sim, port = start_sim()
        code, out, err = run_k470("ramload", "--port", port, *extra, self.mot_file("image.mot", blocks))
        result = self.sim.stop()
        return code, err, result

    def test_detection_reports_no_reply_then_the_board(self):
        for board, text in (("K470L", "exist K470L"), ("H8MON", "non K47xL")):
            with self.subTest(board=board):
                self.sim, port = start_sim("--board", board)
                code, out, err = run_k470("detect", "--port", port, "--seconds", 3)
                self.sim.stop()
                self.assertEqual(code, 0, err)
                self.assertEqual(out.splitlines(), ["no reply", text])

    def test_a_whole_ram_image_arrives_intact(self):
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, srec.RAM_SIZE))]
        code, err, result = self.load(blocks)
        self.assertEqual(code, 0, err)
        self.assertEqual(result.memory, srec.ram_image(blocks))
        loads = result.report["loads"]
        self.assertEqual(len(loads), 256)
        self.assertTrue(all(l["ok"] and l["length"] == 1024 for l in loads))
        self.assertIn("loaded 262144 bytes (00200000 - 0023FFFF)", err)

    def test_a_sparse_image_arrives_intact_and_go_follows(self):
        blocks = [(0x200100, srec.pattern(0x200100, 16)), (0x210000, srec.pattern(0x210000, 100)),
                  (0x23FFF0, srec.pattern(0x23FFF0, 16))]
        code, err, result = self.load(blocks, "--go", "--address", "0x200100")
        self.assertEqual(code, 0, err)
        self.assertEqual(result.memory, srec.ram_image(blocks))
        self.assertEqual(result.report["go"], [0x200100])
        if not CONFIG.wine:  # the load and the go on one open of the device
            self.assertEqual(result.report["host_opens"], 1)
        # Statuses, one a line when stderr is no terminal.
        lines = err.splitlines()
        self.assertEqual(lines[0], "reading file...")
        self.assertEqual(lines[1], "00200000 - 00200400")
        self.assertIn("0023FC00 - 00240000", lines)

    def test_start_address_below_the_ram_fails_with_its_message(self):
        code, err, result = self.load([(srec.RAM_BASE, b"\x01\x02")], "--address", "1FFFFF")
        self.assertEqual(code, 1, err)
        self.assertIn(MSG_START_ADDRESS, err)
        self.assertEqual(result.report["loads"], [])

    def test_a_file_that_cannot_be_read_is_named_with_the_reason(self):
        with open(os.path.join(self.dir.name, "bad.mot"), "w") as f:
            f.write(srec.s2_records([(srec.RAM_BASE, b"\x01")])[:-4] + "00\r\n")
        self.sim, port = start_sim()
        # The system's words for a missing file (Windows has its own), the reader's for a line.
        for name, reason in (("none.mot", "" if CONFIG.wine else "No such file or directory"),
                             ("bad.mot", "line 3: bad checksum")):
            with self.subTest(file=name):
                path = wine_path(os.path.join(self.dir.name, name))
                code, out, err = run_k470("ramload", "--port", port, path)
                self.assertEqual(code, 1, err)
                lines = err.splitlines()
                detail = lines[lines.index("k470: " + MSG_FILE_FORMAT) + 1]
                self.assertTrue(detail.startswith("  %s: %s" % (path, reason)), detail)
        result = self.sim.stop()
        self.assertEqual(result.report["loads"], [])

    @unittest.skipIf(os.name != "posix", "closed descriptors are tried from a POSIX shell")
    def test_a_closed_stderr_never_reaches_the_board(self):
        if CONFIG.wine:
            # Wine's own loader takes a closed descriptor's number before k470.exe starts
            # (the Windows side is tried by the unit test of the start-up).
            self.skipTest("closed descriptors are tried natively")
        # Started with stderr closed, the port must not take its number: the tool's own
        # texts would then go into the board.
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 3000))]
        self.sim, port = start_sim()
        code, out, err = run_k470("ramload", "--port", port, self.mot_file("image.mot", blocks),
                                  preexec_fn=lambda: os.close(2))
        result = self.sim.stop()
        self.assertEqual(code, 0, err)
        self.assertEqual(result.memory, srec.ram_image(blocks))
        self.assertTrue(all(l["ok"] for l in result.report["loads"]))

    @unittest.skipIf(os.name != "posix", "POSIX signals")
    def test_ctrl_c_sigterm_and_sighup_stop_a_load_the_board_never_acknowledges(self):
        if CONFIG.wine:
            self.skipTest("signals are tried natively")
        image = self.mot_file("image.mot", [(srec.RAM_BASE, b"\x55" * 3000)])
        # A stopped service (SIGTERM) and a closed terminal (SIGHUP) cancel as Ctrl-C does:
        # the job ends, its end is reported, the shell's status for the signal.
        for sig, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143), (signal.SIGHUP, 129)):
            with self.subTest(signal=sig.name):
                self.sim, port = start_sim("--no-end")
                proc = subprocess.Popen(k470_command("ramload", "--json", "--port", port, image),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
                # The first chunk's status comes before the wait for "end!".
                first = proc.stdout.readline() + proc.stdout.readline() + proc.stdout.readline()
                self.assertIn(b"00200000 - 00200400", first)
                time.sleep(0.3)
                self.assertIsNone(proc.poll(), "k470 ended without an acknowledgement")
                proc.send_signal(sig)
                try:
                    rest, err = proc.communicate(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.communicate()
                    self.fail("k470 did not end after %s" % sig.name)
                self.assertEqual(proc.returncode, status, err)
                end = json.loads(rest.splitlines()[-1])
                self.assertEqual((end["event"], end["result"]), ("end", "cancelled"))
                result = self.sim.stop()
                self.assertEqual(len(result.report["loads"]), 1)

    @unittest.skipIf(os.name != "posix", "/dev/full")
    def test_output_that_cannot_be_written_fails_the_command(self):
        if CONFIG.wine:
            self.skipTest("a full disk is tried natively")
        image = self.mot_file("image.mot", [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 3000))])
        self.sim, port = start_sim()
        for args in (["--help"], ["ramload", "--json", "--port", port, image]):
            with self.subTest(command=args[0]), open("/dev/full", "wb") as full:
                p = subprocess.run(k470_command(*args), stdin=subprocess.DEVNULL, stdout=full,
                                   stderr=subprocess.PIPE, timeout=RUN_TIMEOUT_S)
                self.assertEqual(p.returncode, 1, p.stderr)
        self.sim.stop()

    def test_a_board_lost_or_silent_mid_load_ends_it_with_status_1(self):
        image = self.mot_file("image.mot", [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 8192))])
        # The adapter is unplugged during the third chunk: the port's message, nothing more
        # sent (the simulator got exactly the bytes up to its drop).
        self.sim, port = start_sim("--drop-after", 2500)
        started = time.monotonic()
        code, out, err = run_k470("ramload", "--port", port, image, timeout=ENDS_SOON_S)
        elapsed = time.monotonic() - started
        result = self.sim.wait()
        self.assertEqual(code, 1, err)
        self.assertIn(MSG_PORT_LOST, err)
        self.assertEqual(result.report["bytes_received"], 2500)
        sys.stderr.write("(lost: k470 ended %.2f s after its start) " % elapsed)
        # A board that never says "end!": the chunk's address after the time-out.
        self.sim, port = start_sim("--no-end")
        started = time.monotonic()
        code, out, err = run_k470("ramload", "--port", port, "--timeout", 2, image,
                                  timeout=ENDS_SOON_S)
        elapsed = time.monotonic() - started
        self.sim.stop()
        self.assertEqual(code, 1, err)
        self.assertIn(MSG_NO_ACK, err)
        self.assertIn('no "end!" for the chunk at 00200000 within 2 s', err)
        self.assertGreaterEqual(elapsed, 2)
        sys.stderr.write("(silent: k470 ended %.2f s after its start) " % elapsed)

    def test_json_events_follow_the_load_and_nothing_else_is_on_stdout(self):
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 3000))]
        self.sim, port = start_sim()
        code, out, err = run_k470("ramload", "--json", "--go", "--port", port,
                                  self.mot_file("image.mot", blocks))
        # A failure: its message, then the end, still on stdout only.
        fcode, fout, ferr = run_k470("ramload", "--json", "--port", port, "--address", "1FFFFF",
                                     self.mot_file("image.mot", blocks))
        # The load went well but stderr could not be written: the end says failed.
        lost = None
        if os.path.exists("/dev/full") and not CONFIG.wine:
            with open("/dev/full", "wb") as full:
                lost = subprocess.run(k470_command("ramload", "--json", "--port", port,
                                                   self.mot_file("image.mot", blocks)),
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=full, timeout=RUN_TIMEOUT_S)
        self.sim.stop()
        if lost is not None:
            self.assertEqual(lost.returncode, 1)
            self.assertEqual(json.loads(lost.stdout.splitlines()[-1])["result"], "failed")
        self.assertEqual(code, 0, err)
        events = [json.loads(line) for line in out.splitlines()]
        progress = [e for e in events if e["event"] == "progress"]
        self.assertTrue(progress)
        self.assertTrue(all(e["total"] == 3000 and e["unit"] == "bytes" for e in progress))
        done = [e["done"] for e in progress]
        self.assertEqual(done, sorted(done))
        self.assertEqual((done[0], done[-1]), (0, 3000))
        self.assertEqual(progress[-1]["address"], "00200BB8")
        self.assertIn({"event": "status", "text": "00200400 - 00200800"}, events)
        self.assertEqual(events[-1]["event"], "end")
        self.assertEqual(events[-1]["result"], "succeeded")
        events = [json.loads(line) for line in fout.splitlines()]
        self.assertEqual(fcode, 1, ferr)
        self.assertEqual(events, [{"event": "message", "icon": "error", "text": MSG_START_ADDRESS},
                                  {"event": "end", "result": "failed",
                                   "seconds": events[-1]["seconds"]}])

    def test_four_boards_load_at_once_and_one_lost_fails_alone(self):
        if CONFIG.wine:
            self.skipTest("many boards are tried natively")
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 20000))]
        image = self.mot_file("image.mot", blocks)
        for drop, json_mode in ((None, False), (2, True)):
            with self.subTest(dropped=drop, json=json_mode):
                sims = [Sim("monitor", "--no-pacing", *(["--drop-after", 5000] if i == drop else []))
                        .start() for i in range(4)]
                args = ["ramload"] + (["--json"] if json_mode else [])
                for i, sim in enumerate(sims):
                    # Both forms: --port repeated and a list after one --port.
                    args += ["--port", sim.port] if i < 2 else []
                args += ["--port", sims[2].port + "," + sims[3].port, image]
                code, out, err = run_k470(*args)
                results = [s.wait() if i == drop else s.stop() for i, s in enumerate(sims)]
                for i, result in enumerate(results):
                    if i != drop:
                        self.assertEqual(result.memory, srec.ram_image(blocks), "board %d" % i)
                if drop is None:
                    self.assertEqual(code, 0, err)
                    rows = out.splitlines()
                    self.assertEqual(rows[0].split(), ["PORT", "RESULT", "BYTES", "SECONDS", "DETAIL"])
                    self.assertEqual([r.split()[:3] for r in rows[1:]],
                                     [[s.port, "ok", "20000"] for s in sims])
                    continue
                self.assertEqual(code, 1, err)
                events = [json.loads(line) for line in out.splitlines()]
                ends = {e.get("port"): e["result"] for e in events if e["event"] == "end"}
                self.assertEqual(ends, {sims[0].port: "succeeded", sims[1].port: "succeeded",
                                        sims[2].port: "failed", sims[3].port: "succeeded",
                                        None: "failed"})
                lost = [e for e in events if e["event"] == "message"]
                self.assertEqual([e["port"] for e in lost], [sims[2].port])
                self.assertIn(MSG_PORT_LOST, lost[0]["text"])
                self.assertTrue(all("port" in e for e in events[:-1]))

    def test_usage_errors_and_help(self):
        for args, status in ((["ramload"], 2), (["ramload", "--port"], 2),
                             (["ramload", "--port", "COM1", "--address", "xyz", "a.mot"], 2),
                             (["go", "--port", "COM1"], 2), (["detect"], 2), (["frob"], 2),
                             (["ramload", "--port", "COM1", "--timeout", "-1", "a.mot"], 2),
                             (["ramload", "--port", "COM1,,COM2", "a.mot"], 2),
                             (["ramload", "--port", "COM1", "--port", "1", "a.mot"], 2),
                             # One network address under two spellings.
                             (["go", "--port", "rfc2217://LOCALHOST:7,RFC2217://localhost:7",
                               "--address", "0"], 2),
                             # One server under a name and its address, short forms.
                             (["go", "--port", "rfc2217://127.0.0.1:7,rfc2217://localhost:7",
                               "--address", "0"], 2),
                             (["go", "--port", "socket://127.1:7", "--port",
                               "rfc2217://127.0.0.1:07", "--address", "0"], 2),
                             (["ramload", "--help"], 0), (["detect", "--help"], 0), (["--help"], 0)):
            with self.subTest(args=args):
                code, out, err = run_k470(*args)
                self.assertEqual(code, status, err)
                self.assertIn("usage: k470", out + err)
        # --version: the program, 2.00 and the commit the tree is at.
        commit = subprocess.run(["git", "-C", HERE, "rev-parse", "--short=10", "HEAD"],
                                capture_output=True, text=True, timeout=RUN_TIMEOUT_S)
        version = "2.00 (commit %s)" % commit.stdout.strip() if commit.returncode == 0 else "2.00"
        code, out, err = run_k470("--version")
        self.assertEqual((code, out.strip()), (0, "k470 " + version), err)

    @unittest.skipIf(os.name != "posix", "device numbers and links")
    def test_port_names_from_the_command_line_are_taken_whole_and_shown_safely(self):
        if CONFIG.wine:
            self.skipTest("device numbers are tried natively")
        # One device under two names is named twice; a path with a comma is one port.
        link = os.path.join(self.dir.name, "a,1")
        os.symlink("/dev/null", link)
        # A relative link as in /dev/serial/by-id/.
        by_id = os.path.join(self.dir.name, "serial", "by-id", "usb-FTDI_FT232R_A1-if00-port0")
        os.makedirs(os.path.dirname(by_id))
        os.symlink(os.path.relpath("/dev/null", os.path.dirname(by_id)), by_id)
        for ports in (["/dev/null", "/dev//null"], ["/dev/null", link], [by_id, "/dev/null"]):
            with self.subTest(ports=ports):
                code, out, err = run_k470("go", "--port", ports[0], "--port", ports[1],
                                          "--address", "0")
                self.assertEqual(code, 2, err)
                self.assertIn("is named twice", err)
        code, out, err = run_k470("go", "--port", link, "--address", "0")
        self.assertEqual(code, 1, err)
        self.assertEqual(err.splitlines()[0], "k470: cannot open port " + link)
        # Control characters are escaped on the terminal; JSON strings stay valid UTF-8.
        code, out, err = run_k470("go", "--port", "/dev/x\x1b[31m\x07", "--address", "0")
        self.assertEqual(code, 1, err)
        self.assertEqual(err.splitlines()[0], "k470: cannot open port /dev/x\\x1B[31m\\x07")
        code, out, err = run_k470("go", "--json", "--port", "/dev/x\udcff", "--address", "0")
        self.assertEqual(code, 1, err)
        self.assertEqual(json.loads(out.splitlines()[0])["text"], "cannot open port /dev/x\ufffd")

    def test_ports_are_listed_and_a_port_that_cannot_open_fails(self):
        code, out, err = run_k470("ports")
        self.assertEqual(code, 0, err)
        lines = out.splitlines()
        if lines:
            self.assertRegex(lines[0], r"^PORT +DEVICE +DESCRIPTION +VID:PID +BRIDGE +SERIAL +BY-ID$")
        for line in lines[1:]:
            self.assertRegex(line, r"^COM\d+ +\S+ +\S")
        code, out, err = run_k470("ports", "--json")
        self.assertEqual(code, 0, err)
        events = [json.loads(line) for line in out.splitlines()]
        self.assertEqual([e["name"] for e in events], [line.split()[0] for line in lines[1:]])
        for event in events:
            self.assertTrue(all(value != "" for value in event.values()), event)
        if CONFIG.wine:
            code, out, err = run_k470("go", "--port", "com99", "--address", "200000")
            self.assertEqual(code, 1, err)
            self.assertRegex(err, r"^k470: cannot open port com99\r?\n  \w")
            return
        # Missing, not permitted, held by another process: each named as typed, each with
        # its own reason.
        with unopenable_ports() as ports:
            for port, reason in ports:
                for command in (["ramload", "--port", port, "a.mot"],
                                ["go", "--port", port, "--address", "200000"],
                                ["detect", "--port", port, "--seconds", "1"]):
                    with self.subTest(command=command[0], port=port):
                        code, out, err = run_k470(*command, preexec_fn=unprivileged)
                        self.assertEqual(code, 1, err)
                        self.assertEqual(err, "k470: cannot open port %s\n  %s\n" % (port, reason))
                # With --json the same as a message event before the end.
                code, out, err = run_k470("go", "--json", "--port", port, "--address", "0",
                                          preexec_fn=unprivileged)
                self.assertEqual(code, 1, err)
                events = [json.loads(line) for line in out.splitlines()]
                self.assertEqual(events[0], {"event": "message", "icon": "error",
                                             "text": "cannot open port " + port,
                                             "detail": reason})
                self.assertEqual(events[-1]["result"], "failed")

    def test_image_prints_its_result_and_writes_only_a_good_window(self):
        blocks = [(0x200010, b"\x11\x22\x33")]
        path = self.mot_file("image.mot", blocks)
        out_path = os.path.join(self.dir.name, "window.bin")
        code, out, err = run_k470("image", path, "--base", "0x200000", "--size", "40000",
                                  "--out", wine_path(out_path))
        self.assertEqual(code, 0, err)
        self.assertEqual(out.strip(), "MOT_OK low=00200000 high=00200012")
        with open(out_path, "rb") as f:
            self.assertEqual(f.read(), srec.ram_image(blocks))
        os.remove(out_path)
        code, out, err = run_k470("image", wine_path(os.path.join(self.dir.name, "none.mot")),
                                  "--base", "200000", "--size", "40000", "--out", wine_path(out_path))
        self.assertEqual(code, 1)
        self.assertEqual(out.strip(), "MOT_OPEN_FAILED low=00200000 high=00200000")
        self.assertFalse(os.path.exists(out_path))

    @unittest.skipIf(os.name != "posix", "a pseudo-terminal of a given width")
    def test_the_bar_fits_a_narrow_terminal_and_never_wraps(self):
        if CONFIG.wine:
            self.skipTest("the terminal's width is tried natively")
        blocks = [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 20000))]
        image = self.mot_file("image.mot", blocks)
        self.sim, port = start_sim()
        master, slave = pty.openpty()
        columns = 40
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        proc = subprocess.Popen(k470_command("ramload", "--port", port, image),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=slave)
        os.close(slave)
        shown = read_until(master, b"\0", timeout=RUN_TIMEOUT_S)
        os.close(master)
        self.assertEqual(proc.wait(timeout=RUN_TIMEOUT_S), 0, shown)
        draws = [d for line in shown.decode("utf-8").split("\n") for d in line.split("\r")]
        self.assertIn("100%", shown.decode("utf-8"))
        self.assertTrue(all(len(d) < columns for d in draws if "%" in d), draws)

    @unittest.skipIf(os.name != "posix", "POSIX signals and FIFOs")
    def test_a_signal_ends_the_open_of_an_output_no_one_reads(self):
        if CONFIG.wine:
            self.skipTest("signals are tried natively")
        path = self.mot_file("image.mot", [(0x200010, b"\x11")])
        fifo = os.path.join(self.dir.name, "window.fifo")
        os.mkfifo(fifo)
        for sig, status in ((signal.SIGTERM, 143), (signal.SIGINT, 130)):
            with self.subTest(signal=sig.name):
                proc = subprocess.Popen(k470_command("image", path, "--base", "200000", "--size",
                                                     "40000", "--out", fifo),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
                self.assertIn(b"MOT_OK", proc.stdout.readline())
                time.sleep(0.3)
                proc.send_signal(sig)
                try:
                    proc.communicate(timeout=ENDS_SOON_S)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.communicate()
                    self.fail("k470 image did not end after %s" % sig.name)
                self.assertEqual(proc.returncode, status)


def read_until(fd, wanted, got=b"", timeout=ENDS_SOON_S):
    deadline = time.monotonic() + timeout
    while wanted not in got and time.monotonic() < deadline:
        if select.select([fd], [], [], 0.1)[0]:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            got += chunk
    return got


class MonitorEndToEnd(unittest.TestCase):
    """k470 monitor and ramload --go --monitor [--watch] against the simulated board."""
    setUp = RamLoadEndToEnd.setUp
    tearDown = RamLoadEndToEnd.tearDown
    mot_file = RamLoadEndToEnd.mot_file

    def monitor(self, *args, stdin=subprocess.PIPE):
        self.err_file = tempfile.TemporaryFile()
        return subprocess.Popen(k470_command(*args), stdin=stdin, stdout=subprocess.PIPE,
                                stderr=self.err_file)

    def err_text(self):
        self.err_file.seek(0)
        return self.err_file.read().decode(encoding(), "replace")

    def end(self, proc):
        try:
            return proc.wait(timeout=ENDS_SOON_S)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            self.fail("k470 did not end")
        finally:
            for pipe in (proc.stdin, proc.stdout, proc.stderr):
                if pipe:
                    pipe.close()

    def test_go_monitor_shows_the_first_byte_sends_keys_and_logs_lines(self):
        self.sim, port = start_sim("--after-go", "Xhello\r\n")
        log = os.path.join(self.dir.name, "board.log")
        image = self.mot_file("image.mot", [(srec.RAM_BASE, srec.pattern(srec.RAM_BASE, 3000))])
        proc = self.monitor("ramload", "--go", "--monitor", "--log", wine_path(log), "--port", port,
                            image)
        out = read_until(proc.stdout.fileno(), b"Xhello")
        self.assertTrue(out.startswith(b"Xhello"), out)
        proc.stdin.write(b"key 1\n")
        proc.stdin.flush()
        out = read_until(proc.stdout.fileno(), b"key 1\r", out)
        proc.stdin.write(b"\x1d")
        proc.stdin.flush()
        self.assertEqual(self.end(proc), 0, self.err_text())
        result = self.sim.stop()
        self.assertEqual(result.report["echoed_text"], "key 1\r")
        self.assertEqual(result.report["go"], [srec.RAM_BASE])
        with open(log) as f:
            lines = f.read().splitlines()
        self.assertRegex(lines[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Xhello$")
        self.assertRegex(lines[1], r"^\S+ \S+ key 1$")

    def test_json_output_events_carry_the_bytes_and_the_end_follows(self):
        self.sim, port = start_sim("--after-go", "ok \udcff\r\n")
        image = self.mot_file("image.mot", [(srec.RAM_BASE, b"\x01" * 100)])
        proc = self.monitor("ramload", "--json", "--go", "--monitor", "--port", port, image)
        out = read_until(proc.stdout.fileno(), b"\\r\\n\"}")
        proc.stdin.write(b"\x1d")
        proc.stdin.flush()
        out += proc.stdout.read()
        self.assertEqual(self.end(proc), 0, self.err_text())
        events = [json.loads(line) for line in out.decode("utf-8").splitlines()]
        self.assertEqual("".join(e["text"] for e in events if e["event"] == "output"),
                         "ok \\xFF\r\n")
        self.assertEqual((events[-1]["event"], events[-1]["result"]), ("end", "succeeded"))

    @unittest.skipIf(os.name != "posix", "a pseudo-terminal as stdin")
    def test_monitor_on_a_terminal_takes_keys_raw_and_always_restores_it(self):
        if CONFIG.wine:
            self.skipTest("a pseudo-terminal as stdin is tried natively")
        self.sim, port = start_sim("--after-go", "\x1b[31mred\r\n")
        for ending, status in ((b"\x1d", 0), (signal.SIGHUP, 129)):
            master, slave = pty.openpty()
            before = termios.tcgetattr(slave)
            try:
                proc = subprocess.Popen(k470_command("monitor", "--port", port), stdin=slave,
                                        stdout=slave, stderr=subprocess.DEVNULL)
                deadline = time.monotonic() + ENDS_SOON_S
                while termios.tcgetattr(slave) == before and time.monotonic() < deadline:
                    time.sleep(0.02)
                if status == 0:
                    # Ctrl-C and Enter go as bytes; an escape sequence is shown, not obeyed.
                    os.write(master, b"\x03\r")
                    out = read_until(master, b"k470l>")
                    os.write(master, b"G 200000\r")
                    out = read_until(master, b"red", out)
                    self.assertIn(b"\r\n?\r", out)
                    self.assertIn(b"\\x1B[31mred", out)
                    os.write(master, ending)
                else:
                    os.write(master, b"k")
                    self.assertIn(b"k", read_until(master, b"k"))
                    proc.send_signal(ending)
                self.assertEqual(self.end(proc), status)
                self.assertEqual(termios.tcgetattr(slave), before)
            finally:
                os.close(master)
                os.close(slave)
        report = self.sim.stop().report
        self.assertEqual([e["text"] for e in report["events"] if e["kind"] == "refused"], ["\x03"])
        self.assertEqual(report["echoed_text"], "k")

    def test_monitor_ends_with_status_1_when_the_port_is_lost(self):
        self.sim, port = start_sim("--drop-after", 2)
        proc = self.monitor("monitor", "--port", port)
        proc.stdin.write(b"abc\n")
        proc.stdin.flush()
        self.assertEqual(self.end(proc), 1, self.err_text())
        self.assertIn(MSG_PORT_LOST, self.err_text())
        self.sim.wait()

    def test_watch_reloads_after_a_change_and_a_reset_not_while_the_board_runs(self):
        self.sim, port = start_sim("--after-go", "run\r\n")
        first = [(srec.RAM_BASE, b"\x11" * 2000)]
        second = [(srec.RAM_BASE, b"\x22" * 2500)]
        path = os.path.join(self.dir.name, "image.mot")
        image = self.mot_file("image.mot", first)
        proc = self.monitor("ramload", "--go", "--monitor", "--watch", "--port", port, image)
        out = read_until(proc.stdout.fileno(), b"run\r\n")
        with open(path, "w", newline="") as f:
            f.write(srec.s2_records(second)[:-4] + "00\r\n")
        time.sleep(1.5)
        self.assertNotIn(MSG_FILE_FORMAT, self.err_text())
        self.sim.proc.send_signal(signal.SIGUSR1)
        out = read_until(proc.stdout.fileno(), b"k470l>", out)
        deadline = time.monotonic() + ENDS_SOON_S
        while MSG_FILE_FORMAT not in self.err_text() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertNotIn("k470: reloaded", self.err_text())
        with open(path, "w", newline="") as f:
            f.write(srec.s2_records(second))
        out = read_until(proc.stdout.fileno(), b"k470l>run\r\n", out)
        proc.stdin.write(b"\x1d")
        proc.stdin.flush()
        self.assertEqual(self.end(proc), 0, self.err_text())
        self.assertEqual(out, b"run\r\n\r\nk470l>run\r\n")
        result = self.sim.stop()
        self.assertIn(MSG_FILE_FORMAT, self.err_text())
        self.assertEqual(self.err_text().count("reloaded 2500 bytes"), 1, self.err_text())
        self.assertEqual(result.report["go"], [srec.RAM_BASE, srec.RAM_BASE])
        self.assertEqual([l["length"] for l in result.report["loads"]], [1024, 976, 1024, 1024, 452])
        self.assertEqual(result.memory, srec.ram_image(second))

if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--k470", required=True)
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--com", type=int, default=7)
    CONFIG, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
