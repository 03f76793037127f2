"""The H8/36077 target of k470sim (boot program and write-control program), driven
through its pty."""

import unittest

import transcript

FLASH_SIZE = 56 * 1024


class H836077Test(unittest.TestCase):
    def test_program_transfer_and_flash_write(self):
        r = transcript.run("h8_36077_session")
        self.assertEqual(r.returncode, 0, r.stderr)
        rep = r.report
        self.assertEqual((rep["locked_rate"], rep["rate"]), (57600, 57600))
        self.assertEqual((rep["program_count"], rep["program"]), (4, "12 34 56 78"))
        self.assertTrue(rep["program_done"] and rep["started"] and rep["ended"])
        self.assertEqual(rep["blocks"], [128, 0])
        self.assertEqual(rep["errors"], [])
        self.assertEqual(len(r.memory), FLASH_SIZE)
        expected = bytearray(b"\xff" * FLASH_SIZE)
        expected[0:128] = b"\x5a" * 128
        expected[128:256] = bytes(range(128))
        self.assertEqual(r.memory, bytes(expected))

    def test_session_with_line_timing_and_programming_time(self):
        r = transcript.run("h8_36077_session", sim_args=["h8-36077", "--program-ms", "20"])
        self.assertEqual(r.report["blocks"], [128, 0])
        self.assertTrue(r.report["pacing"])

    def test_refused_orders(self):
        r = transcript.run("h8_36077_refused")
        reasons = [(e["address"], e["reason"]) for e in r.report["errors"]]
        self.assertEqual(reasons, [(0, "not started"), (0x100, "sum"), (0x40, "address"),
                                   (0xE000, "address"), (0xDF80, "programming")])
        self.assertEqual(r.memory[0xDF80:], b"\x01" * 128)
        self.assertEqual(r.memory[:0xDF80], b"\xff" * 0xDF80)

    def test_writer_listens_at_57600_whatever_the_match(self):
        r = transcript.run("h8_36077_rates")
        rep = r.report
        self.assertEqual(rep["locked_rate"], 38400)
        self.assertEqual(rep["rates"], [57600, 38400, 57600])
        self.assertEqual(rep["program_count"], 0)
        self.assertEqual(rep["garbled_received"], 31)
        self.assertGreaterEqual(rep["garbled_sent"], 1)

    def test_wrong_echo_and_error_block(self):
        r = transcript.run("h8_36077_faults")
        self.assertEqual(r.report["program"], "12 34")
        self.assertEqual(r.report["errors"], [{"address": 128, "reason": "programming"}])
        self.assertEqual(r.memory[128:256], bytes(range(128)))


if __name__ == "__main__":
    unittest.main()
