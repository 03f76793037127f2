"""The board output window end to end under Wine, with k470sim's board monitor on COM1 and
a program started by Go that prints a line at once."""

import argparse
import contextlib
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "gui_pages"))

import harness as h  # noqa: E402
from harness import MAIN, STATUS  # noqa: E402

LOAD, GO, CONNECT = 1006, 1007, 1008
DIALOG = "RAM LOAD"
OUTPUT, LINE, SEND, CLEAR, SAVE_AS = 1030, 1032, 1033, 1034, 1035
WINDOW = "Board output" if h.ENGLISH else "ボード出力"
SAVE_TITLE = "Save As" if h.ENGLISH else "名前を付けて保存"
FIRST_LINE = "hello from the board"

IMAGE = h.pattern(3000, 5)


def arguments():
    p = argparse.ArgumentParser()
    p.add_argument("--dist", required=True)
    p.add_argument("--driver", required=True)
    p.add_argument("--helper", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--docs", help="folder for the README's screenshots")
    p.add_argument("case")
    return p.parse_args()


def sections(image_path, options=()):
    return [("System", [("Com", 1), ("Mode", 1)]),
            ("RamLoad", [("name1", h.wine_path(image_path)), ("address", "200000")]),
            ("Option", list(options))]


def load(d):
    d.ok("click", MAIN, LOAD)
    _, boxes = h.watch_dialog(d, DIALOG, 60, h.BOX)
    assert boxes == [], boxes
    d.wait_text(MAIN, STATUS, "loaded 3000 bytes at 00200000 - 00200BB7", 5000)


@contextlib.contextmanager
def session(args):
    """A session; its closing INI text is kept in s.closing_ini."""
    s = h.Session(args)
    try:
        yield s
    finally:
        try:
            s.close()
            s.closing_ini = s.ini()
        finally:
            s.cleanup()


def connect(s, sim_args, options=(), extra=(), loaded=True):
    s.write_ini(sections(s.file("board.mot", h.srecords(0x200000, IMAGE)), options) + list(extra))
    d = s.start()
    s.start_sim("monitor", *sim_args)
    d.ok("click", MAIN, CONNECT)
    d.wait_text(MAIN, STATUS, "exist K470L", 10000)
    if loaded:
        load(d)
    return d


def rect(d, control):
    args = ("rect", WINDOW) if control is None else ("rect", WINDOW, control)
    return [int(v) for v in d.ok(*args)[0].split()[:4]]


def size(r):
    return (r[2] - r[0], r[3] - r[1])


def output(d):
    return d.text(WINDOW, OUTPUT)


def wait_output(d, wanted, what):
    h.wait_until(lambda: wanted in output(d), 10, what)


def case_show_send_save(args):
    """Go opens the window with the program's first line; Enter sends the line to the
    board, which echoes it; Save as writes the text; the size and place go to the INI."""
    with session(args) as s:
        d = connect(s, ["--after-go", FIRST_LINE + "\r\n"])
        assert h.ui.EXIT_NOT_FOUND == d.run("wait-window", WINDOW, 300)[0], "open before Go"
        d.ok("click", MAIN, GO)
        d.wait_window(WINDOW, 10000)
        wait_output(d, FIRST_LINE, "the first line after Go")
        # Whole, right after the monitor's prompt that the go command answered.
        assert output(d).endswith(">" + FIRST_LINE + "\r\n"), repr(output(d))
        # The main window keeps the keyboard; the page stays connected.
        assert d.text(MAIN, CONNECT) == h.T["disconnect"]
        d.ok("set-text", WINDOW, LINE, "abc 1")
        d.ok("key", WINDOW, "RETURN")
        wait_output(d, "abc 1", "the board's echo of the line sent")
        assert d.text(WINDOW, LINE) == "", "the line stays after Send"
        if args.docs:
            s.shot_to(args.docs, "board-output-en" if h.ENGLISH else "board-output-ja",
                      rect(d, None))
        s.shot("board_output")
        saved = os.path.join(s.tmp, "board log.txt")
        d.ok("click", WINDOW, SAVE_AS)
        d.wait_window(SAVE_TITLE, 10000)
        s.helper("focus-text", SAVE_TITLE, h.wine_path(saved))
        d.ok("key", SAVE_TITLE, "RETURN")
        d.wait_gone(SAVE_TITLE, 10000)
        h.wait_until(lambda: os.path.exists(saved), 10, "the saved file")
        with open(saved, "rb") as f:
            text = f.read().decode("cp932")
        assert (FIRST_LINE + "\r\n") in text and "abc 1" in text, repr(text)
        d.ok("click", WINDOW, CLEAR)
        h.wait_until(lambda: output(d) == "", 5, "the cleared text")
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, STATUS, "disconnected from COM1", 5000)
        assert not d.enabled(WINDOW, SEND), "Send after the disconnect"
    ini = s.closing_ini
    assert s.sim_result.report["echoed_text"] == "abc 1\r", s.sim_result.report["echoed_text"]
    assert "[BoardOutput]" in ini and "Width=" in ini and "Height=" in ini, ini


def case_load_pauses(args):
    """A Load pauses the window (its line takes nothing meanwhile) and the next Go resumes
    it; what the board printed before the Load stays."""
    with session(args) as s:
        d = connect(s, ["--after-go", FIRST_LINE + "\r\n", "--reset-after-s", "2"])
        d.ok("click", MAIN, GO)
        d.wait_window(WINDOW, 10000)
        wait_output(d, FIRST_LINE, "the first line after Go")
        # The reset: the monitor's prompt shows in the window, the board takes a load.
        h.wait_until(lambda: output(d).endswith(FIRST_LINE + "\r\n\r\nk470l>"), 10,
                     "the monitor's prompt after the reset in " + repr(output(d)))
        assert d.enabled(WINDOW, SEND)
        load(d)
        assert not d.enabled(WINDOW, SEND), "the window takes lines while paused"
        assert output(d).count(FIRST_LINE) == 1, repr(output(d))
        d.ok("click", MAIN, GO)
        h.wait_until(lambda: output(d).count(FIRST_LINE) == 2, 10,
                     "the second run's line in " + repr(output(d)))
        assert d.enabled(WINDOW, SEND)
    assert s.sim_result.report["go"] == [0x200000, 0x200000], s.sim_result.report["go"]


def case_no_window(args):
    """The option off, or the automatic disconnect after Go: Go opens no window."""
    for options in ([("ShowBoardOutput", 0)], [("AutoDisConnect", 1)]):
        with session(args) as s:
            d = connect(s, ["--after-go", FIRST_LINE + "\r\n"], options)
            d.ok("click", MAIN, GO)
            time.sleep(2)
            assert h.ui.EXIT_NOT_FOUND == d.run("wait-window", WINDOW, 500)[0], options


def case_place_kept(args):
    """A stored place far off the screen and a stored size come back on the screen, at
    that size; a move to a monitor of another scale keeps the size and lays it out again."""
    with session(args) as s:
        d = connect(s, ["--after-go", FIRST_LINE + "\r\n"], loaded=False,
                    extra=[("BoardOutput", [("Left", 2147483600), ("Top", 40), ("Width", 700),
                                            ("Height", 420)])])
        d.ok("click", MAIN, GO)
        d.wait_window(WINDOW, 10000)
        left, top, right, bottom = rect(d, None)
        assert (right - left, bottom - top) == (700, 420), (left, top, right, bottom)
        screen = (1280, 1024)
        assert 0 <= left and right <= screen[0] and 0 <= top and bottom <= screen[1], \
            (left, top, right, bottom)
        # At 150 %: the suggested size stays, the controls grow and are laid out again.
        send_before = rect(d, SEND)
        s.helper("dpi-changed", WINDOW, 144)
        h.wait_until(lambda: size(rect(d, None)) == (1050, 630), 5,
                     "the suggested size, not " + repr(size(rect(d, None))))
        text, send, save_as = rect(d, OUTPUT), rect(d, SEND), rect(d, SAVE_AS)
        assert abs(size(send)[1] - size(send_before)[1] * 3 // 2) <= 3, (send_before, send)
        assert text[3] < send[1] and save_as[2] == text[2], (text, send, save_as)
    text = s.closing_ini
    assert "Width=1050" in text and "Height=630" in text, text


CASES = {f.__name__[5:]: f for f in (case_show_send_save, case_load_pauses, case_no_window,
                                     case_place_kept)}


def main():
    args = arguments()
    if args.case not in CASES:
        print("no case " + args.case)
        sys.exit(2)
    try:
        CASES[args.case](args)
    finally:
        h.ui.stop_wineserver()
    print("passed: " + args.case)


def shot_to(self, folder, name, rect):
    """A screenshot cropped to `rect` into `folder` (the README's pictures)."""
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    if h.ui.screenshot(path):
        left, top, right, bottom = rect
        subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top,
                                                                   left, top),
                        "+repage", path], timeout=30, check=True)


h.Session.shot_to = shot_to

if __name__ == "__main__":
    main()
