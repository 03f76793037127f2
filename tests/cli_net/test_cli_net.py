"""k470 against k470sim behind ser2net: ports on other machines, rfc2217:// and socket://.

A RAM load over both kinds of port; H8/3069 and H8/36077 writes over rfc2217:// with the
rate changes reaching the simulator's line; socket:// refused for a write; ser2net
stopped mid-write ends the write as a lost port. With K470_WINE=1 (k470.exe under Wine)
only the H8/3069 write runs.
"""

import os
import signal
import socket
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "cli_flash"))
sys.path.insert(0, HERE)
import flash_cases as fc  # noqa: E402
from ser2net_server import Ser2net  # noqa: E402
from sim import Sim  # noqa: E402

DONE = "書き込み終了"
RAM_BASE = 0x200000
# A lost connection must end the tool this soon after the server went away.
LOST_EXIT_S = 2.0
# How long an open waits for a telnet server's answer.
ANSWER_WAIT_S = 3.0


def start_sim(target, *args):
    # The simulator's pty is the server's serial device; no Wine link is needed.
    return Sim(target, *args).start()


class WritesOverRfc2217(unittest.TestCase):
    def write(self, target, device, rom, records, *extra):
        image = fc.write_image(records)
        self.addCleanup(os.remove, image)
        sim = start_sim(target, "--no-pacing")
        try:
            with Ser2net(sim.port) as server:
                status, err = fc.run_tool(fc.flash_args(server.url, device, image, *extra))
        finally:
            result = sim.stop()
        self.assertEqual(status, 0, err)
        self.assertIn(DONE, err)
        report = result.report
        self.assertTrue(report["ended"], report)
        self.assertEqual((report["garbled_received"], report["garbled_sent"]), (0, 0), report)
        self.assertEqual(result.memory, fc.expected_flash(rom, records))
        return report

    def test_3069_write_changes_the_far_lines_rate(self):
        # The bit-rate match opens at 57600 and then 38400 bit/s, the new bit rate is 19200:
        # every change travels over the one connection.
        report = self.write("h8-3069", "H8/3069F", fc.ROM_3069,
                            [(0, fc.random_bytes(fc.ROM_3069, 11))], "--bps", "19200")
        self.assertEqual(report["new_rate"], 19200)
        self.assertEqual(report["rates"][-1], 19200)
        self.assertGreaterEqual(len(report["rates"]), 2, report["rates"])

    @unittest.skipIf(fc.UNDER_WINE, "the H8/3069 write stands for the Windows build")
    def test_36077_write_with_its_program_at_57600(self):
        records = [(0, fc.random_bytes(fc.ROM_36077, 12))]
        image = fc.write_image(records)
        self.addCleanup(os.remove, image)
        # The chip answers only at 9600: the match walks down to it, the program and the
        # blocks then go at 57600.
        sim = start_sim("h8-36077", "--no-pacing", "--only-rate", "9600")
        try:
            with Ser2net(sim.port) as server:
                status, err = fc.run_tool(fc.flash_args(server.url, "H8/36077", image))
        finally:
            result = sim.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(result.memory, fc.expected_flash(fc.ROM_36077, records))
        self.assertEqual(result.report["locked_rate"], 9600)
        self.assertEqual(result.report["rates"][-2:], [9600, 57600])


@unittest.skipIf(fc.UNDER_WINE, "native only")
class RamLoads(unittest.TestCase):
    def test_ram_load_over_both_kinds_of_port(self):
        data = fc.random_bytes(20000, 13) + b"\xff\xff\x00\xff" * 64  # 0xFF is data too
        image = fc.write_image([(RAM_BASE + 0x100, data)])
        self.addCleanup(os.remove, image)
        # Two boards at once, one behind each kind of port.
        sims = [start_sim("monitor", "--no-pacing") for _ in range(2)]
        try:
            with Ser2net(sims[0].port, telnet=True) as telnet, \
                    Ser2net(sims[1].port, telnet=False) as raw:
                status, err = fc.run_tool(["ramload", "--port", telnet.url, "--port", raw.url,
                                           image], timeout=120)
        finally:
            results = [sim.stop() for sim in sims]
        self.assertEqual(status, 0, err)
        for result in results:
            self.assertEqual(result.memory[0x100:0x100 + len(data)], data)


@unittest.skipIf(fc.UNDER_WINE, "native only")
class Refusals(unittest.TestCase):
    def test_socket_port_is_refused_for_a_write(self):
        image = fc.write_image([(0, b"\x01" * 16)])
        self.addCleanup(os.remove, image)
        sim = start_sim("h8-3069", "--no-pacing")
        try:
            with Ser2net(sim.port, telnet=False) as server:
                status, err = fc.run_tool(fc.flash_args(server.url, "H8/3069F", image))
        finally:
            result = sim.stop()
        self.assertEqual(status, 1, err)
        self.assertIn(server.url + "ではビットレートを変更できません。rfc2217://で接続してください。",
                      err)
        self.assertEqual(result.report["bytes_received"], 0)

    def test_server_stopped_mid_write_is_a_lost_port(self):
        image = fc.write_image([(0, fc.random_bytes(fc.ROM_3069, 14))])
        self.addCleanup(os.remove, image)
        sim = start_sim("h8-3069")  # paced: the write lasts minutes
        server = Ser2net(sim.port).start()
        proc = None
        try:
            proc = subprocess.Popen(fc.tool_command(fc.flash_args(server.url, "H8/3069F", image)),
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.PIPE)
            blocks = 0
            for raw in proc.stderr:
                if b"writing " in raw:
                    blocks += 1
                    if blocks == 5:
                        break
            stopped = time.monotonic()
            server.stop(signal.SIGKILL)
            err = proc.stderr.read().decode("utf-8", errors="replace")
            status = proc.wait(timeout=30)
            took = time.monotonic() - stopped
            proc.stderr.close()
        finally:
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait()
            server.stop()
            sim.stop()
        self.assertEqual(blocks, 5)
        self.assertEqual(status, 1, err)
        self.assertIn(server.url + "との通信が切れました。", err)
        self.assertLess(took, LOST_EXIT_S)

    def test_silent_servers_open_side_by_side_and_ctrl_c_ends_an_open(self):
        # Servers that take the connection and never negotiate: the kernel completes the
        # connect (the listen backlog), the client then waits for an answer.
        silent = []
        for _ in range(3):
            s = socket.socket()
            s.bind(("127.0.0.1", 0))
            s.listen(8)
            self.addCleanup(s.close)
            silent.append("rfc2217://127.0.0.1:%d" % s.getsockname()[1])
        # Each open gives up after the answer time; one after another would take three.
        started = time.monotonic()
        status, err = fc.run_tool(["go", "--port", ",".join(silent), "--address", "200000"],
                                  timeout=60)
        took = time.monotonic() - started
        self.assertEqual(status, 1, err)
        self.assertEqual(err.count("the server does not control the serial line"), 3, err)
        self.assertLess(took, 2 * ANSWER_WAIT_S, err)
        # Ctrl-C while an open waits ends the command at once, long before the answer time.
        proc = subprocess.Popen(fc.tool_command(["go", "--port", silent[0], "--address", "200000"]),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        proc.send_signal(signal.SIGINT)
        self.assertEqual(proc.wait(timeout=ANSWER_WAIT_S - 0.5), 130)

    def test_a_port_nobody_listens_on_fails_to_open(self):
        from ser2net_server import free_port
        url = "rfc2217://127.0.0.1:%d" % free_port()
        status, err = fc.run_tool(["ramload", "--port", url, "/nonexistent.mot"], timeout=60)
        self.assertEqual(status, 1, err)
        self.assertIn("cannot open port " + url, err)
        self.assertIn("Connection refused", err)


if __name__ == "__main__":
    unittest.main()
