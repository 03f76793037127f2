"""The flash write page end to end under Wine, with k470sim's H8 chips on COM1: writes into
an H8/3069 and an H8/36077 under the FLASH WRITE dialog, a chip that never answers, Cancel
during the blocks, the settings dialog and the bit rate that the next write sends, the
update mark after a write and after the file is touched."""

import contextlib
import os
import re
import time

import harness as h
from harness import BOX, MAIN, STATUS, T

MARK = 1005
WRITE, DEVICE, SETTINGS = 1010, 1021, 1022
FILE = 1003
PORT = 1001
DIALOG = "FLASH WRITE"
CANCEL = 1019
CLOCK, RATE = 1013, 1023
GREEN = "00FF00"

IMAGE_3069 = h.pattern(0x1000, 11)   # 32 blocks from address 0
IMAGE_36077 = h.pattern(0x800, 29)   # 16 blocks from address 0


def verified(image, file_name="flash image.mot"):
    """The H8/3069's end message for `image` from address 0 in its erased 512 KiB flash,
    naming the file written."""
    total = (sum(image) + 0xFF * (512 * 1024 - len(image))) & 0xFFFFFFFF
    return T["write_done"] + "\n\\" + file_name + "\nverified: sum 0x%08X" % total


def named_file(box):
    """The box with its file line cut to the file's name (the folder is the session's)."""
    return re.sub(r"\nZ:\\.*\\", r"\n\\", box, count=1)


def sections(image_path, cpu_sel, options=()):
    return [("System", [("Com", 1), ("Mode", 0), ("CpuSel", cpu_sel)]),
            ("FlashWrite", [("name1", h.wine_path(image_path))]),
            ("Option", list(options))]


def expect_centred_over(d, title, owner):
    """A dialog or message box opens centred over the window it belongs to."""
    inner = [int(v) for v in d.ok("rect", title)[0].split()]
    outer = [int(v) for v in d.ok("rect", owner)[0].split()]
    dx = (inner[0] + inner[2]) - (outer[0] + outer[2])
    dy = (inner[1] + inner[3]) - (outer[1] + outer[3])
    assert abs(dx) <= 2 and (abs(dy) <= 2 or inner[1] == 0), (title, inner, owner, outer)


def write_once(args, sim_args, image, cpu_sel, extra_bin=None, options=(), before=None,
               shot=None):
    """One session: Flash Write pressed once; returns (texts, box, status line, sim result)."""
    s = h.Session(args, extra_bin)
    path = s.file("flash image.mot", h.srecords(0, image, kind=1))
    s.write_ini(sections(path, cpu_sel, options))
    try:
        d = s.start()
        s.start_sim(*sim_args)
        if before:
            before(s, d)
        d.ok("click", MAIN, WRITE)
        texts, boxes = h.watch_dialog(d, DIALOG, 120, BOX, shot and (s, shot, 2.0))
        box = boxes[0] if len(boxes) == 1 else boxes
        status = d.text(MAIN, STATUS)
    finally:
        s.close()
        s.cleanup()
    result = s.sim_result
    return texts, box, status, result


@contextlib.contextmanager
def writing(args, image, *sim_args):
    """A session whose file to write holds `image`, with the simulated chip on the line."""
    s = h.Session(args)
    s.write_ini(sections(s.file("flash image.mot", h.srecords(0, image, kind=1)), 0))
    try:
        d = s.start()
        s.start_sim(*sim_args)
        yield s, d
    finally:
        s.close()
        s.cleanup()


def case_h8_3069(args):
    # The chip answers the bit-rate adjustment only at its last rate, so that the
    # adjustment lasts long enough to be seen.
    texts, box, status, result = write_once(args, ["h8-3069", "--only-rate", "9600"],
                                            IMAGE_3069, 0)
    assert named_file(box) == verified(IMAGE_3069), box
    assert status == "ended flash write", status
    assert T["status_matching"] in texts, texts
    writing = [t for t in texts if t.startswith("writing ")]
    assert writing and texts.index(writing[0]) > texts.index(T["status_matching"]), texts
    assert writing[-1] == "writing 00000F80", texts
    assert texts[-1] == "verifying...", texts
    assert result.memory[:len(IMAGE_3069)] == IMAGE_3069, "the flash differs from the image"
    assert result.report["ended"]


def case_h8_36077(args):
    if not args.write_control:
        raise AssertionError("no write-control program given")
    # Behind a slow adapter (answers held for up to 40 ms), so that the program's transfer,
    # sent ahead of its echoes, lasts long enough to be seen, and the end message names the
    # late answers.
    texts, box, status, result = write_once(
        args, ["h8-36077", "--latency", "40"], IMAGE_36077, 1,
        extra_bin={"36077.mot": args.write_control})
    lines = box.split("\n")
    assert lines[0] == T["write_done"], box
    assert any(line.startswith("answers arrive about") for line in lines), box
    assert status == "ended flash write", status
    assert T["status_transfer"] in texts, texts
    assert result.report["program_done"]
    assert result.memory[:len(IMAGE_36077)] == IMAGE_36077, "the flash differs from the image"


def case_silent_chip(args):
    texts, box, status, result = write_once(args, ["h8-3069", "--silent"], IMAGE_3069, 0)
    assert box == T["match_failed"] + "\nno 00 came back at 57600, 38400, 19200 or 9600 bit/s", box
    assert status == "error flash write", status


def case_refused_block_names_its_cause(args):
    # The chip refuses the second block, or acknowledges the fourth but keeps a bit of it at
    # 1 (found by the check after the write): the box's text, then the driver's account.
    # Blocks refused as garbled are sent again and the message calls the line noisy.
    error = T["write_error"] + "\n"
    for fault, expected, end in (
            (["--error-block", "1"], error + "0x50 (128-byte programming) at 00000080 "
                                     "answered D0 53: programming error", "error flash write"),
            (["--corrupt-block", "3"], error + "verify: 00000180 holds 8D, the image has 8C",
             "error flash write"),
            (["--refuse-block", "2,5"], verified(IMAGE_3069) + "\n2 blocks were sent again "
             "after a checksum error: the line is noisy (cable, level shifter, adapter)",
             "ended flash write")):
        texts, box, status, result = write_once(args, ["h8-3069"] + fault, IMAGE_3069, 0)
        assert named_file(box) == expected, box
        assert status == end, status


def case_cancel_during_blocks(args):
    s = h.Session(args)
    path = s.file("big.mot", h.srecords(0, h.pattern(0x8000, 5), kind=1))
    s.write_ini(sections(path, 0))
    try:
        d = s.start()
        # Slow blocks: the write stops at the end of the block under way, which must still
        # be running when the second Cancel comes.
        s.start_sim("h8-3069", "--program-ms", "200")
        d.ok("click", MAIN, WRITE)
        d.wait_window(DIALOG, 10000)
        expect_centred_over(d, DIALOG, MAIN)
        assert not d.enabled(MAIN, PORT), "the port box stays while the write runs"
        h.wait_until(lambda: d.text(DIALOG, 1002).startswith("writing "), 60,
                     "the first block")
        # A screenshot holds the display for a moment: taken here, where no text is
        # being followed.
        s.shot("flash_write_dialog")
        # Escape does nothing while the write runs; Enter presses the focused Cancel.
        d.ok("key", DIALOG, "ESCAPE")
        d.ok("sleep", 1500)
        assert d.text(DIALOG, 1002).startswith("writing "), "Escape ended the write"
        d.ok("key", DIALOG, "RETURN")
        d.ok("click", DIALOG, CANCEL)  # twice is the same as once
        d.wait_gone(DIALOG, 20000)
        assert d.no_box(BOX, 1000), "a cancelled write shows no message"
        assert d.text(MAIN, STATUS) == "cancel flash write"
        assert d.enabled(MAIN, PORT), "the port box after the write"
    finally:
        s.close()
        s.cleanup()
    result = s.sim_result
    assert 0 < len(result.report["blocks"]) < 0x8000 // 128


def open_settings(d, title):
    d.ok("click", MAIN, SETTINGS)
    d.wait_window(title, 10000)


def close_settings(d, title, button):
    d.ok("click", title, button)  # 1 OK, 2 Cancel
    d.wait_gone(title, 5000)


def case_settings_dialog(args):
    title = h.fill(T["settings_title"], "H8/3069F")

    def change_settings(s, d):
        # The button follows the selected type from the start (H8/3069F has choices).
        assert d.enabled(MAIN, SETTINGS), "H8/3069F allows changes"
        d.ok("select-combo", MAIN, DEVICE, 1)
        d.ok("sleep", 200)
        assert not d.enabled(MAIN, SETTINGS), "H8/36077 allows no changes"
        d.ok("select-combo", MAIN, DEVICE, 0)
        h.wait_until(lambda: d.enabled(MAIN, SETTINGS), 5, "the settings button")
        open_settings(d, title)
        assert d.text(title, CLOCK) == "20.000000"
        assert d.ok("combo-sel", title, RATE) == ["2"]  # 38400
        assert d.ok("combo-items", title, RATE) == ["9600", "19200", "38400", "57600"]
        s.shot("flash_settings_dialog")
        h.expect_no_japanese(d, title)
        d.ok("set-text", title, CLOCK, "12.288")
        d.ok("select-combo", title, RATE, 1)  # 19200
        d.ok("sleep", 200)
        close_settings(d, title, 1)
        # Opened again: the stored values come back; Cancel keeps them.
        open_settings(d, title)
        assert d.text(title, CLOCK) == "12.288000"
        assert d.ok("combo-sel", title, RATE) == ["1"]
        d.ok("set-text", title, CLOCK, "33")
        close_settings(d, title, 2)

    texts, box, status, result = write_once(args, ["h8-3069"], IMAGE_3069, 0,
                                            before=change_settings)
    assert named_file(box) == verified(IMAGE_3069), box
    assert result.report["new_rate"] == 19200, result.report["new_rate"]


def case_update_mark(args):
    def touch_after_write(s, d):
        h.wait_until(lambda: d.ok("pixel", MAIN, MARK)[0] == GREEN, 5, "the green mark")
        s.shot("flash_write_page_marked")

    s = h.Session(args)
    path = s.file("watched.mot", h.srecords(0, IMAGE_3069[:512], kind=1))
    s.write_ini(sections(path, 0, [("FwriteUpdateCheck", 1)]))
    try:
        d = s.start()
        s.start_sim("h8-3069", "--no-pacing")
        touch_after_write(s, d)
        d.ok("click", MAIN, WRITE)
        texts, boxes = h.watch_dialog(d, DIALOG, 60, BOX)
        assert [named_file(b) for b in boxes] == [verified(IMAGE_3069[:512], "watched.mot")], boxes
        # A write turns the mark off (the screen may show it a moment later) and it
        # stays off while the file is unchanged.
        seen = h.mark_colours(d, MAIN, MARK)
        assert GREEN not in seen[3:], "a write turns the mark off: %r" % seen
        os.utime(path, (time.time() + 5, time.time() + 5))
        started = time.monotonic()
        h.wait_until(lambda: d.ok("pixel", MAIN, MARK)[0] == GREEN, 5,
                     "the mark after a touch")
        print("   mark green %.2f s after the touch" % (time.monotonic() - started))
        s.shot("flash_write_page")
    finally:
        s.close()
        s.cleanup()


def case_no_device_selected(args):
    # A remembered device type outside the list leaves the list without a selection: no
    # record may be used, so Flash Write and the settings button do nothing.
    s = h.Session(args)
    path = s.file("none.mot", h.srecords(0, IMAGE_3069[:256], kind=1))
    s.write_ini(sections(path, 7))
    try:
        d = s.start()
        s.start_sim("h8-3069", "--no-pacing")
        # (Under Wine the remembered index 7 leaves entry 0 selected; the selection is
        # taken away here as such a start leaves it under Windows.)
        d.ok("select-combo", MAIN, DEVICE, 0)
        h.wait_until(lambda: d.enabled(MAIN, SETTINGS), 5, "the settings button")
        d.ok("select-combo", MAIN, DEVICE, -1)
        h.wait_until(lambda: not d.enabled(MAIN, SETTINGS), 5, "the settings button off")
        assert d.ok("combo-sel", MAIN, DEVICE) == ["-1"]
        d.ok("click", MAIN, WRITE)
        assert d.run("wait-window", DIALOG, 1500)[0] == h.ui.EXIT_NOT_FOUND, "a write started"
        assert d.text(MAIN, STATUS) == ""
    finally:
        s.close()
        s.cleanup()
    assert s.sim_result.report["bytes_received"] == 0


def case_session_end_waits_for_the_write(args):
    # A logoff during the write is refused; the write goes on to its end.
    with writing(args, IMAGE_3069, "h8-3069", "--program-ms", "100") as (s, d):
        d.ok("click", MAIN, WRITE)
        d.wait_window(DIALOG, 10000)
        h.wait_until(lambda: d.text(DIALOG, 1002).startswith("writing "), 60, "the first block")
        assert s.helper_output("session", MAIN, "query").strip() == "0", "the session may end"
        texts, boxes = h.watch_dialog(d, DIALOG, 60, BOX)
        assert [named_file(b) for b in boxes] == [verified(IMAGE_3069)], boxes
        assert s.helper_output("session", MAIN, "query").strip() == "1"
    result = s.sim_result
    assert len(result.report["blocks"]) == len(IMAGE_3069) // 128, result.report["blocks"]
    assert result.memory[:len(IMAGE_3069)] == IMAGE_3069


def case_the_file_the_box_shows(args):
    # A typed name is the file written and the newest entry; a name of no file is refused
    # before anything is sent.
    with writing(args, IMAGE_3069[:256], "h8-3069", "--no-pacing") as (s, d):
        old = os.path.join(s.tmp, "flash image.mot")
        typed = s.file("typed.mot", h.srecords(0, IMAGE_36077[:384], kind=1))
        missing = h.wine_path(os.path.join(s.tmp, "no such.mot"))
        d.ok("set-text", MAIN, FILE, missing)
        d.ok("click", MAIN, WRITE)
        box = d.dismiss_box(BOX, 10000)
        assert box == T["file_format_invalid"] + "\\n" + missing, box
        assert d.run("wait-window", DIALOG, 1000)[0] == h.ui.EXIT_NOT_FOUND, "a write started"
        d.ok("set-text", MAIN, FILE, h.wine_path(typed))
        d.ok("click", MAIN, WRITE)
        texts, boxes = h.watch_dialog(d, DIALOG, 60, BOX)
        assert [named_file(b) for b in boxes] == [verified(IMAGE_36077[:384], "typed.mot")], boxes
        assert d.ok("combo-items", MAIN, FILE) == [h.wine_path(typed), h.wine_path(old)]
    assert s.sim_result.memory[:384] == IMAGE_36077[:384], "not the typed file"


def case_cancel_during_the_check(args):
    # Cancel during the chip's sum check: the status says the image is written, unchecked.
    with writing(args, IMAGE_3069[:512], "h8-3069", "--no-pacing", "--check-ms", "4000") as (s, d):
        d.ok("click", MAIN, WRITE)
        d.wait_window(DIALOG, 10000)
        h.wait_until(lambda: d.text(DIALOG, 1002) == "verifying...", 30, "the check")
        d.ok("key", DIALOG, "SPACE")
        d.wait_gone(DIALOG, 15000)
        assert d.text(MAIN, STATUS) == "cancel flash write: image written, not verified"
        s.shot("flash_write_cancelled_during_the_check")
    assert s.sim_result.report["ended"]


def case_a_silent_chip_is_waited_for(args):
    # The chip stops answering during the blocks: the dialog says how long it has waited.
    with writing(args, h.pattern(0x2000, 7), "h8-3069", "--stop-after", "3000") as (s, d):
        d.ok("click", MAIN, WRITE)
        d.wait_window(DIALOG, 10000)
        h.wait_until(lambda: "waiting for the chip: " in d.text(DIALOG, 1029), 30,
                     "the waiting line")
        s.shot("flash_write_waiting_for_the_chip")
        d.ok("box-text", BOX, 30000)
        d.dismiss_box(BOX, 5000)
        d.wait_gone(DIALOG, 10000)


def device_table(types):
    """The text of a device table file listing `types`, each a dict of its keys."""
    lines = ["[Type]"] + ["Type%d=T%d" % (i, i) for i in range(len(types))]
    for i, keys in enumerate(types):
        lines.append("[T%d]" % i)
        lines += ["%s=%s" % item for item in keys.items()]
    return "\r\n".join(lines) + "\r\n"


def case_settings_per_type(args):
    # Types that allow only one of the two changes: the other field is disabled and keeps
    # its value; a rate that is not in the list opens as 9600.
    common = dict(Id=0, RomSize=524288)
    table = device_table([
        dict(Name="ClockOnly", Clk=20, Bps=38400, ClkSelect=1, BpsSelect=0, **common),
        dict(Name="RateOnly", Clk=19.6608, Bps=115200, ClkSelect=0, BpsSelect=1, **common)])
    os.makedirs(args.out, exist_ok=True)
    table_path = os.path.join(args.out, "partial_fw.dat")
    with open(table_path, "w", newline="") as f:
        f.write(table)
    s = h.Session(args, {"fw.dat": table_path})
    path = s.file("types.mot", h.srecords(0, IMAGE_3069[:256], kind=1))
    s.write_ini(sections(path, 0))
    rate_only, clock_only = (h.fill(T["settings_title"], n) for n in ("RateOnly", "ClockOnly"))
    try:
        d = s.start()
        assert d.ok("combo-items", MAIN, DEVICE) == ["ClockOnly", "RateOnly"]

        d.ok("select-combo", MAIN, DEVICE, 1)
        h.wait_until(lambda: d.enabled(MAIN, SETTINGS), 5, "the settings button")
        open_settings(d, rate_only)
        assert not d.enabled(rate_only, CLOCK)
        assert d.text(rate_only, CLOCK) == "19.660000"
        assert d.enabled(rate_only, RATE)
        assert d.ok("combo-sel", rate_only, RATE) == ["0"], "115200 opens as 9600"
        d.ok("select-combo", rate_only, RATE, 3)
        d.ok("sleep", 200)
        close_settings(d, rate_only, 1)
        open_settings(d, rate_only)
        assert d.ok("combo-sel", rate_only, RATE) == ["3"], "57600 stored"
        assert d.text(rate_only, CLOCK) == "19.660000"
        close_settings(d, rate_only, 2)

        d.ok("select-combo", MAIN, DEVICE, 0)
        d.ok("sleep", 200)
        open_settings(d, clock_only)
        assert d.enabled(clock_only, CLOCK)
        assert not d.enabled(clock_only, RATE)
        assert d.ok("combo-sel", clock_only, RATE) == ["-1"], "no rate shown"
        # A refused key leaves the caret where it was: the next digit goes to the end.
        d.ok("set-text", clock_only, CLOCK, "")
        d.ok("type", clock_only, CLOCK, "14.7.")
        assert d.text(clock_only, CLOCK) == "14.7", d.text(clock_only, CLOCK)
        d.ok("type", clock_only, CLOCK, "456")
        assert d.text(clock_only, CLOCK) == "14.7456", d.text(clock_only, CLOCK)
        # A clock the chip cannot be sent: OK says why and the dialog stays open.
        for refused in ("700", "0.005"):
            d.ok("set-text", clock_only, CLOCK, refused)
            d.ok("click", clock_only, 1)
            d.ok("box-text", "K470Loader", 5000)
            expect_centred_over(d, "K470Loader", clock_only)
            box = d.dismiss_box("K470Loader")
            assert box == T["clock_range"], box
            d.ok("sleep", 200)
            assert d.text(clock_only, CLOCK) == refused, "still open"
        d.ok("set-text", clock_only, CLOCK, "14.7456")
        close_settings(d, clock_only, 1)
        open_settings(d, clock_only)
        assert d.text(clock_only, CLOCK) == "14.745000", "kHz kept as a whole number"
        close_settings(d, clock_only, 2)
    finally:
        s.close()
        s.cleanup()

def case_types_keep_their_places(args):
    # An H8/36077 type without Clk between two H8/3069 types, the first with a clock the
    # chip cannot be sent: all three are offered at their places, the stored choice 2 is
    # still the third, and the H8/36077's clock (never sent) takes any value in the
    # settings dialog.
    table = device_table([
        dict(Name="Big", Id=0, Clk=700, Bps=38400, RomSize=524288),
        dict(Name="Small", Id=1, Bps=57600, RomSize=57344, ClkSelect=1),
        dict(Name="Ok", Id=0, Clk=20, Bps=38400, RomSize=524288)])
    os.makedirs(args.out, exist_ok=True)
    table_path = os.path.join(args.out, "places_fw.dat")
    with open(table_path, "w", newline="") as f:
        f.write(table)
    s = h.Session(args, {"fw.dat": table_path})
    s.write_ini(sections(s.file("places.mot", h.srecords(0, IMAGE_3069[:256], kind=1)), 2))
    try:
        d = s.start()
        assert d.ok("combo-items", MAIN, DEVICE) == ["Big", "Small", "Ok"]
        assert d.ok("combo-sel", MAIN, DEVICE) == ["2"]
        d.ok("select-combo", MAIN, DEVICE, 1)
        h.wait_until(lambda: d.enabled(MAIN, SETTINGS), 5, "the settings button")
        small = h.fill(T["settings_title"], "Small")
        open_settings(d, small)
        d.ok("set-text", small, CLOCK, "700")
        close_settings(d, small, 1)
    finally:
        s.close()
        s.cleanup()


if __name__ == "__main__":
    h.run([case_h8_3069, case_h8_36077, case_silent_chip, case_refused_block_names_its_cause,
           case_cancel_during_blocks, case_settings_dialog, case_settings_per_type, case_update_mark,
           case_no_device_selected, case_types_keep_their_places,
           case_session_end_waits_for_the_write, case_the_file_the_box_shows,
           case_cancel_during_the_check, case_a_silent_chip_is_waited_for])
