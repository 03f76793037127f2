"""The board monitor target of k470sim, driven through its pty."""

import os
import time
import unittest

import transcript
from transcript import Host, Sim

RAM_BASE = 0x200000
RAM_SIZE = 0x40000


class MonitorTest(unittest.TestCase):
    def test_load_and_go_land_in_ram_and_report(self):
        r = transcript.run("monitor_session")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.report["loads"], [
            {"address": RAM_BASE, "length": 16, "ok": True},
            {"address": RAM_BASE + 16, "length": 3, "ok": True}])
        self.assertEqual(r.report["go"], [RAM_BASE])
        self.assertEqual(r.report["prompts"], 4)
        self.assertEqual(r.report["rates"], [38400])
        self.assertEqual(len(r.memory), RAM_SIZE)
        self.assertEqual(r.memory[:19], bytes(range(16)) + b"\r\n>")
        self.assertEqual(r.memory[19:], b"\xff" * (RAM_SIZE - 19))

    def test_refused_loads_change_nothing(self):
        r = transcript.run("monitor_refused")
        self.assertEqual([l["ok"] for l in r.report["loads"]], [False, False, True])
        self.assertEqual(r.memory[:-16], b"\xff" * (RAM_SIZE - 16))
        self.assertEqual(r.memory[-16:], b"\x33" * 16)
        self.assertEqual([e["text"] for e in r.report["events"] if e["kind"] == "refused"],
                         ["X 1", "L 200000 0 s"])

    def test_wrong_rate_arrives_as_garbage(self):
        r = transcript.run("monitor_wrong_rate")
        self.assertEqual(r.report["garbled_received"], 1)
        self.assertEqual(r.report["rates"], [9600, 38400])

    def test_a_started_program_talks_echoes_and_resets(self):
        r = transcript.run("monitor_program")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual((r.report["go"], r.report["resets"], r.report["program_lines"]),
                         ([RAM_BASE], 1, 3))
        self.assertEqual(r.report["echoed_text"], "ab\r")

    def test_prompt_names_the_board(self):
        for board, prompt in (("K470L", b"k470l>"), ("K471L", b"k471l>"),
                              ("K472L", b"k472l>"), ("K480X", b"k480x>")):
            with self.subTest(board=board), Sim("monitor", "--no-pacing", "--board", board) as sim:
                host = Host(sim.port)
                host.open(38400)
                host.write(b"\r")
                ok, got = host.expect(b"\r\n" + prompt)
                host.close()
                self.assertTrue(ok, got)

    def test_late_missing_and_stopped_answers(self):
        for name in ("monitor_end_delay", "monitor_no_end", "monitor_stop_after"):
            with self.subTest(name=name):
                r = transcript.run(name)
                self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.report["bytes_received"], 3)

    def test_dropped_line_ends_the_simulator(self):
        sim = Sim("monitor", "--no-pacing", "--drop-after", "5").start()
        host = Host(sim.port)
        host.open(38400)
        host.write(b"L 200")
        r = sim.wait(timeout=10)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(r.report["dropped"])
        self.assertEqual(r.report["stopped_by"], "drop")
        self.assertEqual(r.report["bytes_received"], 5)
        # The host's end sees the line hang up: a read gives EOF or an error, never data.
        try:
            self.assertEqual(os.read(host.fd, 16), b"")
        except OSError:
            pass
        host.close()
        self.assertFalse(os.path.exists(sim.port) and sim.alive())

    def test_pacing_holds_the_answer_until_the_data_has_arrived(self):
        # 2000 bytes at 38400 bit/s are about 0.52 s on the line: "end!" cannot come sooner.
        with Sim("monitor") as sim:
            host = Host(sim.port)
            host.open(38400)
            start = time.monotonic()
            host.write(b"L 200000 2000 s\r" + bytes(2000))
            ok, got = host.expect(b"end!", timeout=5)
            elapsed = time.monotonic() - start
            host.close()
        self.assertTrue(ok, got)
        self.assertGreaterEqual(elapsed, 2016 * 10 / 38400)


if __name__ == "__main__":
    unittest.main()
