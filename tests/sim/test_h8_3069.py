"""The H8/3069 boot program target of k470sim, driven through its pty."""

import unittest

import transcript

FLASH_SIZE = 512 * 1024


class H83069Test(unittest.TestCase):
    def test_flash_write_lands_in_flash_and_report(self):
        r = transcript.run("h8_3069_session")
        self.assertEqual(r.returncode, 0, r.stderr)
        rep = r.report
        self.assertEqual(rep["locked_rate"], 57600)
        self.assertEqual(rep["new_rate"], 38400)
        self.assertEqual(rep["rates"], [57600, 38400])
        self.assertEqual(rep["stale_zeros"], 29)
        self.assertTrue(rep["ended"])
        self.assertEqual(rep["blocks"], [0, 256])
        self.assertEqual(rep["errors"], [])
        commands = [e["command"] for e in rep["events"] if e["kind"] == "command"]
        self.assertEqual(commands, [0x20, 0x10, 0x21, 0x11, 0x22, 0x23, 0x25, 0x27, 0x3F,
                                    0x06, 0x40, 0x43])
        bitrate = [e for e in rep["events"] if e.get("command") == 0x3F][0]
        self.assertEqual((bitrate["frame"], bitrate["reply"], bitrate["rate"]),
                         ("3F 06 01 80 07 D0 01 01 61", "06", 57600))
        end = [e for e in rep["events"] if e["kind"] == "end"]
        self.assertEqual(len(end), 1)
        self.assertEqual((end[0]["reply"], end[0]["rate"]), ("06", 38400))
        self.assertEqual(len(r.memory), FLASH_SIZE)
        expected = bytearray(b"\xff" * FLASH_SIZE)
        expected[0:128] = bytes(range(128))
        expected[256:384] = b"\xa5" * 128
        self.assertEqual(r.memory, bytes(expected))

    def test_session_with_line_timing_and_programming_time(self):
        r = transcript.run("h8_3069_session", sim_args=["h8-3069", "--program-ms", "20"])
        self.assertEqual(r.report["blocks"], [0, 256])
        self.assertTrue(r.report["pacing"])

    def test_refused_commands_leave_state_and_flash_alone(self):
        r = transcript.run("h8_3069_refused")
        rep = r.report
        codes = [(e["command"], e["code"]) for e in rep["errors"]]
        self.assertEqual(codes[:9], [(0x11, 0x80), (0x10, 0x11), (0x10, 0x21), (0x11, 0x22),
                                     (0x3F, 0x80), (0x77, 0x80), (0x43, 0x80), (0x50, 0x80),
                                     (0x3F, 0x24)])
        self.assertEqual(codes[-6:], [(0x20, 0x80), (0x50, 0x2A), (0x50, 0x2A), (0x50, 0x11),
                                      (0x50, 0x53), (0x50, 0x80)])
        self.assertEqual(rep["garbled_received"], 1)
        self.assertEqual(rep["blocks"], [0])
        self.assertEqual(r.memory[:128], bytes(range(128)))
        self.assertEqual(r.memory[128:], b"\xff" * (FLASH_SIZE - 128))

    def test_new_bit_rate_frame_longer_than_its_ratios_is_taken(self):
        r = transcript.run("h8_3069_rate_frame_size")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.report["errors"], [{"command": 0x3F, "code": 0x2B}])
        self.assertEqual(r.report["new_rate"], 19200)
        self.assertTrue(r.report["programming_state"])

    def test_bit_rate_and_answer_faults(self):
        r = transcript.run("h8_3069_only_rate")
        self.assertEqual(r.report["locked_rate"], 38400)
        self.assertEqual(r.report["garbled_received"], 5)
        self.assertEqual(r.report["rates"], [57600, 38400])
        for name, sent in (("h8_3069_silent", 0), ("h8_3069_stop_after", 1),
                           ("h8_3069_cut_reply", 10)):
            with self.subTest(name=name):
                r = transcript.run(name)
                self.assertEqual(r.report["bytes_sent"], sent)

    def test_error_block(self):
        r = transcript.run("h8_3069_error_block")
        self.assertEqual(r.report["blocks"], [128, 0])
        self.assertEqual(r.report["errors"], [{"command": 0x50, "code": 0x53}])
        self.assertEqual(r.memory[256:384], b"\xff" * 128)

    def test_checks_after_the_end_frame_and_a_corrupt_block(self):
        r = transcript.run("h8_3069_checks")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.report["checks"], 2)
        self.assertEqual([(e["command"], e["code"]) for e in r.report["errors"]],
                         [(0x4B, 0x80), (0x52, 0x2A), (0x52, 0x2B), (0x52, 0x2B), (0x52, 0x11)])


if __name__ == "__main__":
    unittest.main()
