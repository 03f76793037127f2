"""The UI driver against a small window of its own: finding, reading, clicking, choosing,
keys and message boxes, with the exit statuses the window tests rely on."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import uidriver as ui  # noqa: E402

TITLE = "uidriver target"


def main():
    driver_exe, target_exe = sys.argv[1], sys.argv[2]
    target = ui.start_windows_program(target_exe)
    d = ui.UiDriver(driver_exe)
    try:
        d.wait_window(TITLE, 20000)
        assert d.text(TITLE, 100) == "start"

        # Keys go to the window that has the focus (here the main window itself).
        d.ok("key", TITLE, "ESCAPE")
        d.wait_text(TITLE, 100, "escaped", 5000)

        # Unknown windows and controls give status 2 at once; bad usage 1.
        assert d.run("get-text", "no such window", 100)[0] == ui.EXIT_NOT_FOUND
        assert d.run("get-text", TITLE, 999)[0] == ui.EXIT_NOT_FOUND
        assert d.run("click", TITLE)[0] == ui.EXIT_USAGE
        assert d.run("wait-window", "no such window", 200)[0] == ui.EXIT_NOT_FOUND

        # A click that opens a modal box returns at once; the box is found, read, dismissed.
        d.ok("click", TITLE, 101)
        d.wait_text(TITLE, 100, "clicked", 5000)
        # While the box is up the window is disabled: a user could not click it.
        assert d.run("click", TITLE, 101)[0] == ui.EXIT_REFUSED
        assert d.dismiss_box("box", 5000) == "書き込み終了"
        d.wait_text(TITLE, 100, "dismissed", 5000)
        assert d.no_box("box", 300)

        # Following a text: each new text once, a message box read and pressed on the way;
        # the window stays, so the watch ends by its time-out.
        d.ok("set-text", TITLE, 100, "watching")
        d.ok("click", TITLE, 101)
        status, lines = d.run("watch-text", TITLE, 100, 2000, "box")
        assert status == ui.EXIT_NOT_FOUND, (status, lines)
        assert lines[-1].startswith("timed out"), lines
        assert "box: 書き込み終了" in lines and lines[-2] == "dismissed", lines

        # Combo box: items read across processes, a choice notifies the parent.
        assert d.ok("combo-items", TITLE, 102) == ["9600", "19200", "設定"]
        d.ok("select-combo", TITLE, 102, 2)
        d.wait_text(TITLE, 100, "設定", 5000)
        assert d.ok("combo-sel", TITLE, 102) == ["2"]
        assert d.run("select-combo", TITLE, 102, 7)[0] == ui.EXIT_NOT_FOUND

        # Text set and typed; a check box toggles on a click.
        d.ok("set-text", TITLE, 100, "ＭＳ ゴシック")
        assert d.text(TITLE, 100) == "ＭＳ ゴシック"
        assert d.ok("get-check", TITLE, 103) == ["0"]
        d.ok("click", TITLE, 103)
        d.ok("sleep", 200)
        assert d.ok("get-check", TITLE, 103) == ["1"]
        assert d.enabled(TITLE, 101)

        d.ok("close", TITLE)
        d.wait_gone(TITLE, 10000)
        assert target.wait(timeout=10) == 0
        print("uidriver self-test passed")
    finally:
        d.close()
        ui.stop_program(target)
        ui.stop_wineserver()


if __name__ == "__main__":
    main()
