"""k470 flash against k470sim h8-3069 and h8-36077: the simulator's flash equals the
image, the bit rate is matched where the chip answers, every failure gives its text and
status 1, and Ctrl-C between blocks sends no further block and no end command."""

import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

import flash_cases as fc
from unopenable_ports import unopenable_ports, unprivileged

DONE = "書き込み終了"


class WritesArriveIntact(unittest.TestCase):
    def write(self, target, device, records, rom, *sim_args):
        image = fc.write_image(records)
        self.addCleanup(os.remove, image)
        sim, port = fc.start_sim(target, "--no-pacing", *sim_args)
        try:
            status, err = fc.run_tool(fc.flash_args(port, device, image))
        finally:
            result = sim.stop()
        self.assertEqual(status, 0, err)
        self.assertIn(DONE, err)
        self.assertTrue(result.report["ended"], result.report)
        self.assertEqual(result.report["errors"], [])
        self.assertEqual(result.memory, fc.expected_flash(rom, records))
        if not fc.UNDER_WINE:
            # One open of the device for the whole write: the rate changes are made on it.
            self.assertEqual(result.report["host_opens"], 1)
        return result.report, err

    def test_full_512k_image_into_the_3069(self):
        records = [(0, fc.random_bytes(fc.ROM_3069, 1))]
        report, err = self.write("h8-3069", "H8/3069F", records, fc.ROM_3069)
        self.assertEqual(len(report["blocks"]), fc.ROM_3069 // 128)
        self.assertEqual(report["new_rate"], 38400)
        total = sum(fc.expected_flash(fc.ROM_3069, records)) & 0xFFFFFFFF  # the chip's sum
        self.assertLess(err.index("verified: sum 0x%08X" % total), err.index(DONE))

    def test_two_chips_written_at_once(self):
        if fc.UNDER_WINE:
            self.skipTest("many boards are tried natively")
        records = [(0x100, fc.random_bytes(3000, 7))]
        image = fc.write_image(records)
        self.addCleanup(os.remove, image)
        # The second chip refuses one block as garbled: its row in the summary says so.
        sims = [fc.start_sim("h8-3069", "--no-pacing", *extra)[0]
                for extra in ((), ("--refuse-block", "2"))]
        try:
            args = fc.flash_args(sims[0].port, "H8/3069F", image)
            proc = subprocess.run(
                fc.tool_command(args[:2] + [sims[0].port + "," + sims[1].port] + args[3:]),
                stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        finally:
            results = [sim.stop() for sim in sims]
        status, err = proc.returncode, proc.stderr.decode()
        self.assertEqual(status, 0, err)
        rows = proc.stdout.decode().splitlines()[1:]
        self.assertFalse(rows[0].endswith("sent again"), rows)
        self.assertTrue(rows[1].startswith(sims[1].port) and rows[1].endswith("  1 sent again"),
                        rows)
        for result in results:
            self.assertTrue(result.report["ended"], result.report)
            self.assertEqual(result.memory, fc.expected_flash(fc.ROM_3069, records))

    def test_sparse_image_into_the_3069_sends_only_blocks_with_data(self):
        records = [(0x10, b"\x01\x02\x03"), (0x4000, fc.random_bytes(300, 2)),
                   (0x7FF80, fc.random_bytes(128, 3))]
        report, err = self.write("h8-3069", "0", records, fc.ROM_3069)
        self.assertEqual(report["blocks"], [0, 0x4000, 0x4080, 0x4100, 0x7FF80])
        self.assertIn("writing 0007FF80", err)

    def test_record_above_the_rom_of_the_36077(self):
        records = [(0x100, fc.random_bytes(1000, 4)), (0x12000, b"\x55" * 16)]
        report, err = self.write("h8-36077", "H8/36077", records, fc.ROM_36077)
        self.assertEqual(report["program_count"], 0x180)
        self.assertEqual(len(report["blocks"]), 8)
        self.assertIn("writing 0000DF80", err)  # offered up to the end of the ROM

    def test_full_image_into_the_36077(self):
        records = [(0, fc.random_bytes(fc.ROM_36077, 5))]
        report, _ = self.write("h8-36077", "1", records, fc.ROM_36077)
        self.assertEqual(len(report["blocks"]), fc.ROM_36077 // 128)

    def test_a_chip_answering_only_at_38400_is_matched_there(self):
        for target, device, rom in (("h8-3069", "H8/3069F", fc.ROM_3069),
                                    ("h8-36077", "H8/36077", fc.ROM_36077)):
            with self.subTest(target=target):
                report, _ = self.write(target, device, [(0, b"\xA5" * 200)], rom,
                                       "--only-rate", "38400")
                self.assertEqual(report["locked_rate"], 38400)
                self.assertEqual(report["rates"][:2], [57600, 38400])

    def test_changed_bit_rate_and_clock_reach_the_3069(self):
        image = fc.write_image([(0, b"\x11" * 64)])
        self.addCleanup(os.remove, image)
        sim, port = fc.start_sim("h8-3069", "--no-pacing")
        try:
            status, err = fc.run_tool(fc.flash_args(port, "H8/3069F", image, "--bps", "19200",
                                                    "--clock", "19.6608"))
        finally:
            result = sim.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(result.report["new_rate"], 19200)
        frames = [e.get("frame", "") for e in result.report["events"]]
        self.assertTrue(any(f.startswith("3F 06 00 C0 07 AE") for f in frames), frames)

    def test_unchecked_writes_stand_with_a_note(self):
        # A boot program without the checks, and --no-verify: neither sends a read-back.
        image = fc.write_image([(0, b"\x5A" * 300)])
        self.addCleanup(os.remove, image)
        for sim_args, extra, note, unsent in (
                (["--no-checks"], [], "note: not verified: 0x4B (user flash sum check) "
                 "answered CB 80: command error", 0x52),
                ([], ["--no-verify"], "not verified (--no-verify)", 0x4B)):
            with self.subTest(note=note):
                sim, port = fc.start_sim("h8-3069", "--no-pacing", *sim_args)
                try:
                    status, err = fc.run_tool(fc.flash_args(port, "H8/3069F", image, *extra))
                finally:
                    result = sim.stop()
                self.assertEqual(status, 0, err)
                self.assertIn(DONE, err)
                self.assertIn(note, err)
                events = result.report["events"]
                self.assertNotIn(unsent, [e["command"] for e in events if e["kind"] == "command"])


class JsonEvents(unittest.TestCase):
    def write_json(self, records, *sim_args):
        """An H8/3069 write with --json; returns (exit status, the events)."""
        image = fc.write_image(records)
        self.addCleanup(os.remove, image)
        sim, port = fc.start_sim("h8-3069", "--no-pacing", *sim_args)
        try:
            proc = subprocess.run(fc.tool_command(fc.flash_args(port, "H8/3069F", image, "--json")),
                                  stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        finally:
            sim.stop()
        return proc.returncode, [json.loads(line) for line in proc.stdout.decode("utf-8").splitlines()]

    def test_a_write_reports_blocks_as_the_chip_answers_them(self):
        # Two blocks of data, one erased block between them: two blocks to write.
        status, events = self.write_json([(0, fc.random_bytes(128, 3)),
                                          (0x100, fc.random_bytes(128, 4))])
        self.assertEqual(status, 0, events)
        progress = [e for e in events if e["event"] == "progress"]
        self.assertEqual([(e["done"], e["total"], e["unit"]) for e in progress],
                         [(0, 2, "blocks"), (1, 2, "blocks"), (2, 2, "blocks")])
        self.assertIn({"event": "message", "icon": "information", "text": DONE}, events)
        self.assertEqual([e["result"] for e in events if e["event"] == "verify"], ["verified"])
        self.assertEqual(events[-1]["event"], "end")
        self.assertEqual(events[-1]["result"], "succeeded")

    def test_a_refused_block_has_its_detail(self):
        status, events = self.write_json([(0, fc.random_bytes(512, 6))], "--error-block", "1")
        self.assertEqual(status, 1, events)
        self.assertIn({"event": "message", "icon": "error", "text": "書き込みエラー",
                       "detail": "0x50 (128-byte programming) at 00000080 answered D0 53: "
                                 "programming error"}, events)
        self.assertEqual(events[-1]["result"], "failed")

    def test_blocks_refused_as_garbled_are_sent_again_and_counted(self):
        # Block 1 refused once, block 3 twice: three resends, the write verified.
        status, events = self.write_json([(0, fc.random_bytes(640, 8))], "--refuse-block", "1,3,3")
        self.assertEqual(status, 0, events)
        self.assertIn({"event": "note", "text": "3 blocks were sent again after a checksum "
                       "error: the line is noisy (cable, level shifter, adapter)"}, events)
        self.assertEqual([e["result"] for e in events if e["event"] == "verify"], ["verified"])
        self.assertEqual(events[-1]["event"], "end")
        self.assertEqual((events[-1]["result"], events[-1]["resent"]), ("succeeded", 3))
        # A write without resends counts none.
        status, events = self.write_json([(0, fc.random_bytes(128, 9))])
        self.assertEqual((status, events[-1]["resent"]), (0, 0))
        self.assertNotIn("note", [e["event"] for e in events])

    def test_a_block_the_chip_did_not_take_fails_the_check_naming_its_address(self):
        # Block 1 keeps one bit at 1: the sums differ, the read-back finds the byte.
        status, events = self.write_json([(0, b"\x00" * 256)], "--corrupt-block", "1")
        self.assertEqual(status, 1, events)
        self.assertIn({"event": "verify", "result": "failed", "chip_sum": "07F70101",
                       "image_sum": "07F70100", "read_back": True, "address": "00000080",
                       "chip_byte": "01", "image_byte": "00"}, events)
        self.assertIn({"event": "message", "icon": "error", "text": "書き込みエラー",
                       "detail": "verify: 00000080 holds 01, the image has 00"}, events)


    def test_a_write_that_fails_before_its_job_ends_with_its_message_and_end(self):
        # A table refused, one that lists no type: the reason, then the end, on stdout.
        empty = fc.write_image([])
        self.addCleanup(os.remove, empty)
        with open(empty, "w"):
            pass
        for table, text in (("/dev/zero", "the device table cannot be read: /dev/zero"),
                            (empty, "no device types (missing or empty table): " + empty)):
            with self.subTest(table=table):
                proc = subprocess.run(fc.tool_command(["flash", "--json", "--port", "COM1",
                                                       "--device", "0", "--table", table,
                                                       "x.mot"]),
                                      stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
                events = [json.loads(line) for line in proc.stdout.decode("utf-8").splitlines()]
                self.assertEqual(proc.returncode, 1, proc.stderr)
                self.assertEqual([(e["event"], e.get("text", e.get("result"))) for e in events],
                                 [("message", text), ("end", "failed")])


class FailuresGiveTheirTextAndStatus1(unittest.TestCase):
    def fail_with(self, target, device, records, text, *sim_args, extra=(), image=None):
        if image is None:
            image = fc.write_image(records)
            self.addCleanup(os.remove, image)
        sim, port = fc.start_sim(target, "--no-pacing", *sim_args)
        try:
            args = fc.flash_args(port, device, image, *extra)
            status, err = fc.run_tool(args)
        finally:
            result = sim.stop()
        self.assertEqual(status, 1, err)
        self.assertIn(text, err)
        self.assertNotIn(DONE, err)
        self.assertFalse(result.report["ended"])
        return err, result

    def test_silent_chip(self):
        self.fail_with("h8-3069", "H8/3069F", [(0, b"\x01")], "ブート合わせこみ失敗", "--silent")

    def test_refused_block(self):
        for target, device in (("h8-3069", "H8/3069F"), ("h8-36077", "H8/36077")):
            with self.subTest(target=target):
                _, result = self.fail_with(target, device, [(0, fc.random_bytes(512, 6))],
                                           "書き込みエラー", "--error-block", "1")
                # Block 0 programmed, block 1 refused, nothing sent after it.
                self.assertEqual(len(result.report["blocks"]), 1)
                self.assertEqual(len(result.report["errors"]), 1)

    def test_a_refusal_of_the_36077_is_not_sent_again(self):
        # Its write-control program's answer to a block is 05 or not: a 15 may be a 05 with
        # a bit flipped on the way, for a block under programming.
        err, result = self.fail_with("h8-36077", "H8/36077", [(0, fc.random_bytes(512, 6))],
                                     "書き込みエラー", "--refuse-block", "1")
        self.assertIn("\"A\" (block) at 00000080 answered 15 instead of 05", err)
        self.assertEqual(len([e for e in result.report["events"] if e["kind"] == "block"]), 2)
        self.assertNotIn("sent again", err)

    def test_a_line_dropped_mid_write_ends_it_naming_the_port(self):
        # During the blocks of the 3069, during the write-control program and during the
        # blocks of the 36077: nothing reaches the line after the drop.
        for target, device, drop in (("h8-3069", "H8/3069F", 2000), ("h8-36077", "H8/36077", 200),
                                     ("h8-36077", "H8/36077", 3000)):
            with self.subTest(target=target, drop=drop):
                started = time.monotonic()
                _, result = self.fail_with(target, device, [(0, fc.random_bytes(4096, 7))],
                                           "との通信が切れました。", "--drop-after", str(drop))
                self.assertLess(time.monotonic() - started, 30)
                self.assertEqual(result.report["bytes_received"], drop)

    def test_wrong_echo_of_the_write_control_program(self):
        self.fail_with("h8-36077", "H8/36077", [(0, b"\x01")], "書き込み制御プログラム転送失敗",
                       "--wrong-echo", "20")

    def test_missing_write_control_program_is_named(self):
        image = fc.write_image([(0, b"\x01")])
        self.addCleanup(os.remove, image)
        missing = os.path.join(os.path.dirname(image), "no-such-36077.mot")
        sim, port = fc.start_sim("h8-36077", "--no-pacing")
        try:
            args = fc.flash_args(port, "H8/36077", image)
            args[args.index("--program") + 1] = missing
            status, err = fc.run_tool(args)
        finally:
            result = sim.stop()
        self.assertEqual(status, 1, err)
        self.assertIn("書き込み制御プログラム転送失敗", err)
        # Named with the system's reason; read before the port opened: nothing was sent.
        self.assertIn("write-control program " + missing + ": ", err)
        self.assertEqual(result.report["bytes_received"], 0)

    def test_missing_file_and_bad_record(self):
        self.fail_with("h8-3069", "H8/3069F", None, "ファイルのフォーマットが不正です。",
                       image="/nonexistent/image.mot")
        bad = fc.write_image([(0, b"\x01")])
        self.addCleanup(os.remove, bad)
        with open(bad, "a") as f:
            f.write("S1030000FF\n")
        self.fail_with("h8-3069", "H8/3069F", None, "ファイルのフォーマットが不正です。", image=bad)

    def test_data_only_above_the_rom(self):
        self.fail_with("h8-36077", "H8/36077", [(0xE000, b"\x01" * 4)],
                       "データのアドレスが有効範囲外です。")

    def test_port_that_cannot_be_opened(self):
        # Named as typed, with the system's reason on the line below.
        image = fc.write_image([(0, b"\x01")])
        self.addCleanup(os.remove, image)
        os.chmod(image, 0o644)
        if fc.UNDER_WINE:
            status, err = fc.run_tool(["flash", "--port", "com9", "--device", "0", "--table",
                                       fc.TABLE, image])
            self.assertEqual(status, 1, err)
            self.assertRegex(err, r"COM9がオープンできません。\r?\n  \w")
            return
        with unopenable_ports() as ports:
            for port, reason in ports:
                with self.subTest(port=port):
                    status, err = fc.run_tool(["flash", "--port", port, "--device", "0",
                                               "--table", fc.TABLE, image],
                                              preexec_fn=unprivileged)
                    self.assertEqual(status, 1, err)
                    self.assertIn("%sがオープンできません。\n  %s\n" % (port, reason), err)
                    self.assertNotIn("COM", err)

    def test_usage_errors(self):
        image = "x.mot"
        for args in (["--device", "H8/3069F", "--bps", "12345"],
                     ["--device", "H8/36077", "--bps", "38400"],
                     ["--device", "H8/36077", "--clock", "20"],
                     ["--device", "H8/3069F", "--clock", "fast"],
                     ["--device", "H8/3069F", "--clock", "700"],
                     ["--device", "H8/3069F", "--clock", "655.36"],
                     ["--device", "H8/3069F", "--clock", "0.005"],
                     ["--device", "H8/3069F", "--clock", "0"],
                     ["--device", "H8/9999"],
                     ["--device", "7"]):
            with self.subTest(args=args):
                status, err = fc.run_tool(["flash", "--port", "COM1", "--table", fc.TABLE] +
                                          args + [image])
                self.assertEqual(status, 2, err)
                self.assertIn("usage: k470 flash", err)


    def test_in_english_where_the_locale_or_k470_lang_asks(self):
        # The open failure by an English locale; a lost port and a refused block by
        # K470_LANG=en over the Japanese locale of the run.
        english = {"LANG": "en_US.UTF-8" if fc.UNDER_WINE else "C.UTF-8"}
        image = fc.write_image([(0, fc.random_bytes(4096, 9))])
        self.addCleanup(os.remove, image)
        for choice, sim_args, text in ((english, None, "%s cannot be opened."),
                                       ({"K470_LANG": "en"}, ["--drop-after", "2000"],
                                        "The connection to %s was lost."),
                                       ({"K470_LANG": "en"}, ["--error-block", "1"], "Write error")):
            with self.subTest(text=text):
                env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_MESSAGES")}
                env.update(choice)
                sim, port = None, "COM9" if fc.UNDER_WINE else "/dev/k470-no-such-port"
                if sim_args:
                    sim, port = fc.start_sim("h8-3069", "--no-pacing", *sim_args)
                try:
                    status, err = fc.run_tool(fc.flash_args(port, "H8/3069F", image), env=env)
                finally:
                    if sim:
                        sim.stop()
                self.assertEqual(status, 1, err)
                self.assertIn(text.replace("%s", port), err)
                self.assertIsNone(re.search("[\u3000-\u9fff\uff00-\uffef]", err), err)


class Devices(unittest.TestCase):
    def test_the_shipped_table_is_listed(self):
        proc = subprocess.run(fc.tool_command(["devices", "--table", fc.TABLE]),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = proc.stdout.decode(fc.ENCODING).splitlines()
        self.assertEqual(len(rows), 3)
        self.assertEqual(rows[1].split()[:6], ["0", "H8/3069F", "0", "20.000", "38400", "524288"])
        self.assertTrue(rows[1].rstrip().endswith("clock, bit rate"))
        self.assertEqual(rows[2].split()[:6], ["1", "H8/36077", "1", "20.000", "57600", "57344"])
        self.assertTrue(rows[2].rstrip().endswith("-"))

    def test_every_type_keeps_its_place_and_one_that_cannot_be_written_is_named(self):
        # An H8/36077 type without Clk between two H8/3069 types, the first of which has a
        # clock the chip cannot be sent: all three are listed at their places.
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        table = os.path.join(folder, "fw.dat")
        with open(table, "wb") as f:
            f.write(b"[Type]\nType0=Big\nType1=Small\nType2=Ok\n"
                    b"[Big]\nName=B\nId=0\nClk=700\nBps=38400\nRomSize=524288\n"
                    b"[Small]\nName=S\nId=1\nBps=57600\nRomSize=57344\nClkSelect=1\n"
                    b"[Ok]\nName=O\nId=0\nClk=20\nBps=38400\nRomSize=524288\n")
        proc = subprocess.run(fc.tool_command(["devices", "--table", table]),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        rows = proc.stdout.decode(fc.ENCODING).splitlines()
        self.assertEqual([row.split()[:2] for row in rows[1:]], [["0", "B"], ["1", "S"], ["2", "O"]])
        self.assertTrue(rows[1].rstrip().endswith("cannot be written: Clk"), rows[1])
        self.assertEqual(proc.stderr.decode(fc.ENCODING).strip(),
                         "k470: デバイス定義 [Big] のClkが有効範囲外です。")
        image = fc.write_image([(0, b"\x01")])
        self.addCleanup(os.remove, image)
        # The H8/36077 is never sent its clock: any clock is taken (the port then fails).
        status, err = fc.run_tool(["flash", "--port", "/nonexistent/tty", "--table", table,
                                   "--device", "S", "--clock", "700", image])
        self.assertEqual(status, 1, err)

    def test_a_table_that_is_not_a_regular_file_is_refused(self):
        # At once: neither a device that never ends nor a FIFO without a writer is read.
        paths = ["/dev/zero"]
        if not fc.UNDER_WINE:
            folder = tempfile.mkdtemp()
            self.addCleanup(shutil.rmtree, folder)
            paths.append(os.path.join(folder, "fifo.dat"))
            os.mkfifo(paths[-1])
        for path in paths:
            with self.subTest(path=path):
                status, err = fc.run_tool(["devices", "--table", path], timeout=60)
                self.assertEqual(status, 1, err)
                self.assertIn("not a regular file", err)

    def test_a_missing_table_fails(self):
        proc = subprocess.run(fc.tool_command(["devices", "--table", "/nonexistent/fw.dat"]),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(proc.returncode, 1)


@unittest.skipIf(fc.UNDER_WINE, "Ctrl-C is sent to the native tool only")
class Interrupt(unittest.TestCase):
    def test_ctrl_c_between_blocks_sends_no_further_block_and_no_end(self):
        for target, device in (("h8-3069", "H8/3069F"), ("h8-36077", "H8/36077")):
            with self.subTest(target=target):
                image = fc.write_image([(0, fc.random_bytes(8192, 7))])
                self.addCleanup(os.remove, image)
                sim, port = fc.start_sim(target, "--no-pacing", "--program-ms", "100")
                seen = []
                try:
                    proc = subprocess.Popen(fc.tool_command(fc.flash_args(port, device, image)),
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.PIPE)
                    deadline = time.monotonic() + 60
                    for raw in proc.stderr:
                        line = raw.decode("utf-8", errors="replace").strip()
                        m = re.search(r"writing ([0-9A-F]{8})", line)
                        if m:
                            seen.append(int(m.group(1), 16))
                            if len(seen) == 3:
                                proc.send_signal(signal.SIGINT)
                        if time.monotonic() > deadline:
                            break
                    status = proc.wait(timeout=60)
                    proc.stderr.close()
                finally:
                    if proc.poll() is None:
                        proc.kill()
                        proc.wait()
                    result = sim.stop()
                self.assertEqual(status, 130)
                self.assertFalse(result.report["ended"])
                blocks = result.report["blocks"]
                self.assertLessEqual(len(blocks), 3)
                self.assertEqual(blocks, seen[:len(blocks)])
                self.assertGreaterEqual(len(blocks), 2)

    def test_ctrl_c_while_the_chip_stops_answering_mid_block_ends_at_once(self):
        # The chip answers nothing after 3000 bytes, inside the write of a block: the tool
        # waits for a reply byte (10 s) until Ctrl-C, which ends that wait at once.
        image = fc.write_image([(0, fc.random_bytes(8192, 9))])
        self.addCleanup(os.remove, image)
        sim, port = fc.start_sim("h8-3069", "--no-pacing", "--stop-after", "3000")
        lines = []
        try:
            proc = subprocess.Popen(fc.tool_command(fc.flash_args(port, "H8/3069F", image)),
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.PIPE)
            reader = threading.Thread(
                target=lambda: lines.extend((time.monotonic(), raw) for raw in proc.stderr))
            reader.start()
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and not (
                    any(b"writing" in raw for _, raw in lines)
                    and time.monotonic() - lines[-1][0] > 1.0):
                time.sleep(0.05)
            asked = time.monotonic()
            proc.send_signal(signal.SIGINT)
            status = proc.wait(timeout=30)
            took = time.monotonic() - asked
            reader.join(timeout=30)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            result = sim.stop()
        self.assertEqual(status, 130, b"".join(raw for _, raw in lines))
        self.assertFalse(result.report["ended"])
        # The reply wait is 10 s; a generous bound that only a wait ended by Ctrl-C meets.
        self.assertLess(took, 5.0)


if __name__ == "__main__":
    unittest.main()
