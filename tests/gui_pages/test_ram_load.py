"""The RAM load page end to end under Wine, with k470sim's board monitor on COM1: connect
and the board's report, Load under the RAM LOAD dialog, Go, disconnect; the automatic
load, go, disconnect and application start set through the options dialog; the update
mark after a load and after the file is touched."""

import os
import re
import shutil
import time

import harness as h
from harness import MAIN, STATUS, T

PAGE_FILE = 1003
MARK = 1005
LOAD, GO, CONNECT, ADDRESS = 1006, 1007, 1008, 1009
TAB = 1000
PORT = 1001
DIALOG = "RAM LOAD"
CANCEL = 1019
PROGRESS_LINE = 1029
OPTIONS = "K470Loader Option"
AUTO_LOAD, AUTO_GO, AUTO_DISCONNECT, RUN_APP, APP_NAME = 1012, 1015, 1017, 1016, 1013
GREEN = "00FF00"

IMAGE = h.pattern(6000, 3)  # six chunks of 1024 bytes and one short one


def sections(image_path, options=()):
    return [("System", [("Com", 1), ("Mode", 1)]),
            ("RamLoad", [("name1", h.wine_path(image_path)), ("address", "200000")]),
            ("Option", list(options))]


def case_connect_load_go(args):
    s = h.Session(args)
    image = s.file("ram image.mot", h.srecords(0x200000, IMAGE))
    s.write_ini(sections(image))
    try:
        d = s.start()
        s.start_sim("monitor")
        assert d.text(MAIN, ADDRESS) == "00200000"
        assert d.text(MAIN, CONNECT) == T["connect"]
        assert not d.enabled(MAIN, LOAD) and not d.enabled(MAIN, GO)
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["disconnect"], 5000)
        assert not d.enabled(MAIN, TAB), "the tabs stay while connected"
        assert not d.enabled(MAIN, PORT), "the port box stays while connected"
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        assert d.enabled(MAIN, LOAD) and d.enabled(MAIN, GO)
        s.shot("ram_load_page_connected")
        # Nor does the keyboard change the page while connected.
        d.ok("key", MAIN, "CTRL+TAB")
        d.ok("sleep", 500)
        assert d.ok("is-visible", MAIN, ADDRESS)[0] == "1", "the page changed while connected"

        d.ok("click", MAIN, LOAD)
        d.wait_text(MAIN, STATUS, "Now Loading", 10000)
        # The bar and its line early in the load and late in it.
        texts, boxes = h.watch_dialog(d, DIALOG, 60, h.BOX, [(s, "ram_load_dialog_early", 0.5),
                                                             (s, "ram_load_dialog_late", 1.4)])
        assert boxes == [], boxes
        # One range per chunk, from the first address of the image on.
        ranges = [t for t in texts if re.fullmatch(r"[0-9A-F]{8} - [0-9A-F]{8}", t)]
        assert ranges and ranges[0].startswith("00200000 - "), texts
        assert len(ranges) >= 3, texts
        d.wait_text(MAIN, STATUS, "loaded 6000 bytes at 00200000 - 0020176F", 5000)
        s.shot("ram_load_loaded")
        assert h.ui.EXIT_NOT_FOUND == d.run("box-text", h.BOX, 300)[0]

        d.ok("click", MAIN, GO)
        time.sleep(1.0)
        # Without the automatic disconnect the page stays connected after Go.
        assert d.text(MAIN, CONNECT) == T["disconnect"]
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
        d.wait_text(MAIN, STATUS, "disconnected from COM1", 5000)
        assert d.enabled(MAIN, TAB) and d.enabled(MAIN, PORT)
        assert not d.enabled(MAIN, LOAD) and not d.enabled(MAIN, GO)
    finally:
        s.close()
        s.cleanup()
    result = s.sim_result
    report = result.report
    assert report["go"] == [0x200000], report["go"]
    assert [l["ok"] for l in report["loads"]] == [True] * len(report["loads"])
    assert result.memory[:len(IMAGE)] == IMAGE, "the board's RAM differs from the image"


def case_automatic_steps(args):
    # Where the system's code page is 1252 the program runs from a folder with "é" in its
    # name and the application's path holds one too: help opens from there (the shell
    # opens the help document as any file; a program in its place shows the opening) and
    # the application starts from there. A path the code page cannot hold is refused at OK.
    english = h.ENGLISH
    accent = "é" if english else ""
    s = h.Session(args, folder="dist" + accent)
    image = s.file("auto.mot", h.srecords(0x200000, IMAGE[:2000]))
    ini = sections(image)
    app = None
    if args.target_app:
        # A path with a blank: the page hands it to the shell in double quotes.
        folder = os.path.join(s.tmp, "my app" + accent)
        os.makedirs(folder)
        app = os.path.join(folder, "target app.exe")
        shutil.copyfile(args.target_app, app)
        shutil.copyfile(args.target_app, os.path.join(s.dist, "help", "viewer.exe"))
        ini[0][1].append(("Help", "help\\viewer.exe"))
    code_page = "cp1252" if english else "cp932"
    s.write_ini(ini, code_page)
    try:
        d = s.start()
        s.start_sim("monitor")
        if app:
            d.ok("menu", MAIN, h.HELP_MENU)
            d.wait_window("uidriver target", 20000)
            d.ok("close", "uidriver target")
            d.wait_gone("uidriver target", 10000)
        d.ok("menu", MAIN, h.OPTION_MENU)
        d.wait_window(OPTIONS, 10000)
        for box in (AUTO_LOAD, AUTO_GO, AUTO_DISCONNECT):
            d.ok("click", OPTIONS, box)
        if app:
            d.ok("click", OPTIONS, RUN_APP)
            h.wait_until(lambda: d.enabled(OPTIONS, APP_NAME), 5, "the application name field")
            refused = "C:\\ツール\\端末.exe" if english else "C:\\café\\tool.exe"
            d.ok("set-text", OPTIONS, APP_NAME, refused)
            d.ok("click", OPTIONS, 1)
            assert d.dismiss_box(h.BOX, 10000) == T["name_refused"] + "\\n" + refused
            d.wait_window(OPTIONS, 0)
            d.ok("set-text", OPTIONS, APP_NAME, h.wine_path(app))
        d.ok("sleep", 200)
        d.ok("click", OPTIONS, 1)
        d.wait_gone(OPTIONS, 10000)

        d.ok("click", MAIN, CONNECT)
        texts, boxes = h.watch_dialog(d, DIALOG, 60, h.BOX)
        assert boxes == [], boxes
        # Go, the 1 s pause and the disconnect follow by themselves. The pause is the
        # page's own timer: the window keeps answering, with Connect held off until the
        # pause is over.
        seen = []
        for _ in range(40):
            seen.append(d.enabled(MAIN, CONNECT))
            if not seen[-1] and d.text(MAIN, CONNECT) == T["connect"]:
                break
            d.ok("sleep", 50)
        assert False in seen, "no pause after the automatic go: %r" % seen
        h.wait_until(lambda: d.enabled(MAIN, CONNECT), 5, "the end of the pause")
        d.wait_text(MAIN, STATUS, "loaded 2000 bytes at 00200000 - 002007CF, disconnected", 5000)
        d.wait_text(MAIN, CONNECT, T["connect"], 10000)
        assert d.enabled(MAIN, TAB)
        assert not d.enabled(MAIN, LOAD) and not d.enabled(MAIN, GO)
        if app:
            d.wait_window("uidriver target", 20000)
            d.ok("close", "uidriver target")
    finally:
        s.close()
        s.cleanup()
    result = s.sim_result
    assert result.report["go"] == [0x200000], result.report["go"]
    assert len(result.report["loads"]) == 2  # 2000 bytes: one chunk of 1024, one of 976
    assert result.memory[:2000] == IMAGE[:2000]


def case_update_mark(args):
    s = h.Session(args)
    image = s.file("watched.mot", h.srecords(0x200000, IMAGE))
    s.write_ini(sections(image, [("RloadUpdateCheck", 1)]))
    try:
        d = s.start()
        # At the line's pace, so that the RAM LOAD dialog is still up when the watch
        # begins and when the file is touched (a load without pacing can end before that).
        s.start_sim("monitor")
        # Seen for the first time after the check was switched on: green.
        h.wait_until(lambda: d.ok("pixel", MAIN, MARK)[0] == GREEN, 5, "the green mark")
        s.shot("ram_load_page_marked")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        texts, boxes = h.watch_dialog(d, DIALOG, 30, h.BOX)
        assert boxes == [], boxes
        # A successful load turns it off (the screen may show it a moment later), and it
        # stays off while the file is unchanged.
        seen = h.mark_colours(d, MAIN, MARK)
        assert GREEN not in seen[3:], "a load turns the mark off: %r" % seen
        os.utime(image, (time.time() + 5, time.time() + 5))
        started = time.monotonic()
        h.wait_until(lambda: d.ok("pixel", MAIN, MARK)[0] == GREEN, 5, "the mark after a touch")
        print("   mark green %.2f s after the touch" % (time.monotonic() - started))
        # Loaded again, and the file changes while the load runs: the board holds the old
        # image, so the mark is green afterwards.
        d.ok("click", MAIN, LOAD)
        d.wait_window(DIALOG, 10000)
        os.utime(image, (time.time() + 10, time.time() + 10))
        d.wait_gone(DIALOG, 30000)
        d.ok("sleep", 1500)
        seen = h.mark_colours(d, MAIN, MARK, looks=4)
        assert seen[-1] == GREEN, "a change during the load is not marked: %r" % seen
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
    finally:
        s.close()
        s.cleanup()


def case_failed_and_cancelled_loads_do_not_go(args):
    # An empty RAM load history, automatic go set: the job says the file is bad, the
    # dialog ends as failed and nothing goes.
    s = h.Session(args)
    s.write_ini([("System", [("Com", 1), ("Mode", 1)]),
                 ("RamLoad", [("address", "200000")]),
                 ("Option", [("AutoGo", 1)])])
    try:
        d = s.start()
        s.start_sim("monitor", "--no-pacing")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        texts, boxes = h.watch_dialog(d, DIALOG, 30, h.BOX)
        # The message, and below it why no file could be read.
        assert [b.split("\n")[0] for b in boxes] == [T["file_format_invalid"]], boxes
        assert len(boxes[0].split("\n")) == 2, boxes
        d.wait_text(MAIN, STATUS, "error ram load", 5000)
        assert d.text(MAIN, CONNECT) == T["disconnect"]
    finally:
        s.close()
        s.cleanup()
    assert s.sim_result.report["go"] == [], s.sim_result.report["go"]

    # A board that never acknowledges a chunk: Enter and Escape do not end the dialog,
    # Cancel does, without a message, and nothing goes.
    s = h.Session(args)
    image = s.file("stuck.mot", h.srecords(0x200000, IMAGE[:3000]))
    s.write_ini(sections(image, [("AutoGo", 1)]))
    try:
        d = s.start()
        s.start_sim("monitor", "--no-end")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        d.wait_window(DIALOG, 10000)
        d.ok("key", DIALOG, "RETURN")
        d.ok("key", DIALOG, "ESCAPE")
        d.ok("sleep", 1000)
        d.wait_window(DIALOG, 0)
        # No chunk is acknowledged: the line counts the wait, never a rate.
        waiting = r"0 B of 2\.9 KiB%swaiting for the board: [2-9] s" % re.escape(T["separator"])
        h.wait_until(lambda: re.fullmatch(waiting, d.text(DIALOG, PROGRESS_LINE)), 10, "the wait")
        s.shot("ram_load_waiting_for_board")
        h.expect_no_japanese(d, DIALOG)
        d.ok("click", DIALOG, CANCEL)
        # The cancel ends the wait for "end!" at once: the dialog may be gone before a
        # watch of it could begin, so wait for it to go and look for a box afterwards.
        d.wait_gone(DIALOG, 10000)
        assert h.ui.EXIT_NOT_FOUND == d.run("box-text", h.BOX, 300)[0]
        d.wait_text(MAIN, STATUS, "cancel ram load", 5000)
        assert d.text(MAIN, CONNECT) == T["disconnect"]
    finally:
        s.close()
        s.cleanup()
    assert s.sim_result.report["go"] == [], s.sim_result.report["go"]


def case_a_lost_port_ends_the_load_and_disconnects(args):
    # The board's adapter is unplugged during the third chunk: the dialog ends, the job's
    # message names the port, the page lets the port go and says why.
    s = h.Session(args)
    image = s.file("lost.mot", h.srecords(0x200000, IMAGE))
    s.write_ini(sections(image, [("AutoGo", 1)]))
    try:
        d = s.start()
        s.start_sim("monitor", "--drop-after", "2500")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        texts, boxes = h.watch_dialog(d, DIALOG, 30, h.BOX)
        assert boxes == [h.fill(T["port_lost"], "COM1")], boxes
        d.wait_text(MAIN, STATUS, h.fill(T["port_lost"], "COM1"), 5000)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
        assert d.enabled(MAIN, TAB)
        assert not d.enabled(MAIN, LOAD) and not d.enabled(MAIN, GO)
        s.shot("ram_load_port_lost")
    finally:
        s.close()
        s.cleanup()
    report = s.sim_result.report
    assert report["dropped"] and report["go"] == [], report


def case_typed_port_name(args):
    # The port box is editable: the name typed in is the port opened, not the list entry
    # still selected under it. COM9 is absent (connecting leaves the page disconnected and
    # the status line says why); "1" with blanks around it is COM1, where the board answers.
    s = h.Session(args)
    image = s.file("typed.mot", h.srecords(0x200000, IMAGE[:1024]))
    s.write_ini(sections(image))
    try:
        d = s.start()
        s.start_sim("monitor", "--no-pacing")
        assert d.ok("combo-items", MAIN, PORT)[0] == "COM1", d.ok("combo-items", MAIN, PORT)
        d.ok("set-text", MAIN, PORT, "COM9")
        d.ok("click", MAIN, CONNECT)
        d.ok("sleep", 1000)
        assert d.text(MAIN, CONNECT) == T["connect"], "connected to a port not typed"
        said = d.text(MAIN, STATUS)
        assert re.fullmatch(re.escape(h.fill(T["port_not_opened"], "COM9")) + r" \S.*", said), said
        s.shot("ram_load_connect_failed")
        d.ok("set-text", MAIN, PORT, " 1 ")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
        d.wait_text(MAIN, STATUS, "disconnected from COM1", 5000)
    finally:
        s.close()
        s.cleanup()


def case_file_names_in_the_system_code_page(args):
    # File names and INI values are in the code page Windows runs non-Unicode programs in:
    # 1252 where Wine runs with an English locale, 932 with a Japanese one. A name of that
    # code page comes from the INI file an earlier run wrote, from a drop and from the
    # open dialog, loads the file it names and goes back into the INI file in that code
    # page. A name the code page cannot hold and a folder are refused at the drop; a name
    # with ";" is used but not kept; a run-application that is not there is named in the
    # status line with the system's reason.
    english = h.ENGLISH
    code_page = "cp1252" if english else "cp932"
    name, foreign = ("café.mot", "テスト.mot") if english else ("テスト.mot", "café.mot")
    s = h.Session(args)
    image = s.file(name, h.srecords(0x200000, IMAGE))
    refused = [(s.file(foreign, h.srecords(0x200000, IMAGE)), T["name_refused"]),
               (os.path.join(s.tmp, "folder.mot"), T["file_format_invalid"])]
    os.makedirs(refused[1][0])
    semicolon = s.file("a;b.mot", h.srecords(0x200000, IMAGE[:1024]))
    missing_app = h.wine_path(os.path.join(s.tmp, "absent%s.exe" % ("é" if english else "")))
    s.write_ini(sections(image, [("RunApp", 1), ("RunAppName", missing_app)]), code_page)
    try:
        d = s.start()
        s.start_sim("monitor", "--no-pacing")
        assert d.ok("combo-items", MAIN, PAGE_FILE) == [h.wine_path(image)], "the list shows it"
        for path, text in refused:
            s.helper("drop", MAIN, h.wine_path(path))
            d.ok("box-text", h.BOX, 10000)
            s.shot("refused_drop_" + os.path.basename(path).split(".")[0])
            assert d.dismiss_box(h.BOX, 5000) == text + "\\n" + h.wine_path(path)
        assert d.ok("combo-items", MAIN, PAGE_FILE) == [h.wine_path(image)], "list changed"
        s.helper("drop", MAIN, h.wine_path(semicolon))
        d.wait_text(MAIN, PAGE_FILE, h.wine_path(semicolon), 5000)
        d.ok("menu", MAIN, h.OPEN_MENU)
        open_title = "Open" if english else "開く"
        d.wait_window(open_title, 10000)
        s.helper("focus-text", open_title, h.wine_path(image))
        d.ok("key", open_title, "RETURN")
        d.wait_gone(open_title, 10000)
        d.wait_text(MAIN, PAGE_FILE, h.wine_path(image), 5000)
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        texts, boxes = h.watch_dialog(d, DIALOG, 60, h.BOX)
        assert boxes == [], boxes
        d.ok("click", MAIN, GO)
        failed = h.fill(T["app_not_started"], missing_app) + " "
        h.wait_until(lambda: d.text(MAIN, STATUS).startswith(failed), 10, "the status line")
        assert len(d.text(MAIN, STATUS)) > len(failed), "no reason: " + d.text(MAIN, STATUS)
        s.shot("run_application_missing")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
        s.close()
        result = s.sim_result
        assert result.report["go"] == [0x200000], result.report["go"]
        assert result.memory[:len(IMAGE)] == IMAGE, "the board's RAM differs from the image"
        saved = s.ini(code_page)
        assert "name1=%s\r\n" % h.wine_path(image) in saved, saved
        assert "a;b" not in saved and "name2" not in saved, saved
        assert "RunAppName=%s\r\n" % missing_app in saved, saved
    finally:
        s.close()
        s.cleanup()


def case_bytes_left_out_are_told(args):
    # Data beyond the board's RAM (0x200000..0x23FFFF) is left out; the successful load
    # says so in a box and in the status line.
    s = h.Session(args)
    image = s.file("too big.mot", h.srecords(0x23FF00, IMAGE[:256 + 16]))
    s.write_ini(sections(image))
    try:
        d = s.start()
        s.start_sim("monitor", "--no-pacing")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "exist K470L", 10000)
        d.ok("click", MAIN, LOAD)
        texts, boxes = h.watch_dialog(d, DIALOG, 30)
        d.ok("box-text", h.BOX, 10000)
        s.shot("ram_load_bytes_left_out")
        box = d.dismiss_box(h.BOX, 5000).replace("\\n", "\n")
        # The job sends the image window from its start.
        loaded = "loaded 262144 bytes at 00200000 - 0023FFFF"
        note = "16 bytes outside 00200000-0023FFFF were not written (first at 00240000)"
        assert box == loaded + "\n" + note, box
        d.wait_text(MAIN, STATUS, loaded + ", " + note, 5000)
    finally:
        s.close()
        s.cleanup()


if __name__ == "__main__":
    h.run([case_connect_load_go, case_automatic_steps, case_update_mark,
           case_failed_and_cancelled_loads_do_not_go,
           case_typed_port_name, case_file_names_in_the_system_code_page,
           case_a_lost_port_ends_the_load_and_disconnects, case_bytes_left_out_are_told])
