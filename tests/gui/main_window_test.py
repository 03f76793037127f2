"""The main window of K470Loader.exe under Wine, worked as a user would: start-up state,
the tab shown from the settings, Enter and Escape, closing with the close box and with
Exit and the settings file this writes, the options and about dialogs, dropped files.

Usage: main_window_test.py DIST UIDRIVER GUI_HELPER OUTPUT_DIR CASE
Each case runs the program from a fresh copy of DIST, so the INI file beside it is the
case's own. A window or box that stays open fails the case at the driver's deadline."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "uidriver"))
import uidriver as ui  # noqa: E402
import program_texts as pt  # noqa: E402
from program_texts import T  # noqa: E402

TITLE = "K470Loader 2.00"
OPTION_TITLE = "K470Loader Option"
ABOUT_TITLE = "About K470Loader"
# The system's open-file dialog, titled in the Wine locale's language.
OPEN_TITLE = "Open" if pt.ENGLISH else "開く"
OPEN_LOOK_IN = 1137  # its folder list
EXIT_WAIT_S = 20

# Control and command ids of the window program.
ID_OK, ID_CANCEL = 1, 2
TAB, COM, STATUS = 1000, 1001, 1002
FILE_COMBO, ADDRESS, FLASH_WRITE_BUTTON, DEVICE_COMBO = 1003, 1009, 1010, 1021
UPDATE_MARK = 1005
MENU_OPEN, MENU_EXIT, MENU_HELP, MENU_ABOUT, MENU_OPTION = 32772, 32773, 32774, 32775, 65535
OPT_AUTO_LOAD, OPT_APP_NAME, OPT_AUTO_GO, OPT_RUN_APP = 1012, 1013, 1015, 1016
OPT_AUTO_DISCONNECT, OPT_FWRITE_UPDATE, OPT_RLOAD_UPDATE = 1017, 1020, 1021
ABOUT_VERSION, ABOUT_WEB, ABOUT_MAIL = 1011, 1013, 1014
OPT_BROWSE_APP, OPT_BOARD_OUTPUT, BROWSE, CONNECT = 1004, 1018, 1004, 1008
SS_NOPREFIX = 0x80


def settings_text(left, top, cpu_sel, mode=0, flash=(), ram=(), address="200000",
                  options=(0, 0, 0, 0, 0, 0), app_name="", show_output=1):
    """The settings file as a first close writes it (CR LF line ends)."""
    lines = ["[System]", "Com=1", "Mode=%d" % mode, "Help=help\\help.html",
             "CpuSel=%d" % cpu_sel, "Left=%d" % left, "Top=%d" % top]
    if flash:
        lines.append("[FlashWrite]")
        lines += ["name%d=%s" % (i + 1, p) for i, p in enumerate(flash)]
    lines.append("[RamLoad]")
    lines += ["name%d=%s" % (i + 1, p) for i, p in enumerate(ram)]
    lines.append("address=%s" % address)
    keys = ["FwriteUpdateCheck", "RloadUpdateCheck", "AutoLoad", "AutoGo", "AutoDisConnect",
            "RunApp"]
    lines.append("[Option]")
    lines += ["%s=%d" % (k, v) for k, v in zip(keys, options)]
    lines.append("RunAppName=%s" % app_name)
    lines.append("ShowBoardOutput=%d" % show_output)
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


class Session:
    """One run of the program from its own copy of the runnable folder."""

    def __init__(self, args, name, ini=None):
        self.args = args
        self.name = name
        self.dir = tempfile.mkdtemp(prefix="k470gui_")
        self.app = os.path.join(self.dir, "app")
        shutil.copytree(args.dist, self.app)
        self.ini = os.path.join(self.app, "K470Loader.ini")
        if ini is not None:
            with open(self.ini, "wb") as f:
                f.write(ini)
        self.proc = None
        ui.wait_wineserver_gone()
        self.driver = ui.UiDriver(args.uidriver)

    def start(self):
        self.proc = ui.start_windows_program(os.path.join(self.app, "K470Loader.exe"))
        self.driver.wait_window(TITLE, 30000)
        return self.driver

    def helper(self, *cmd):
        result = subprocess.run(["wine", self.args.helper] + [str(c) for c in cmd],
                                timeout=60, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            raise AssertionError("gui_helper %r failed with %d" % (cmd, result.returncode))
        return result.stdout.decode("utf-8", "replace")

    def shot(self, label):
        time.sleep(0.5)
        ui.screenshot(os.path.join(self.args.out, "%s.png" % label))

    def window_pos(self):
        left, top, _, _ = (int(v) for v in self.driver.ok("rect", TITLE)[0].split())
        return left, top

    def wait_exit(self):
        try:
            self.proc.wait(timeout=EXIT_WAIT_S)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after closing")

    def read_ini(self):
        with open(self.ini, "rb") as f:
            return f.read()

    def finish(self):
        if self.proc is not None:
            ui.stop_program(self.proc)
        self.driver.close()
        # The next case starts on a Wine of its own, not on one still ending this one.
        ui.stop_wineserver()
        shutil.rmtree(self.dir, ignore_errors=True)


def expect_equal(got, want, what):
    if got != want:
        raise AssertionError("%s:\n got  %r\n want %r" % (what, got, want))


def appdata_inis():
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    return glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                  "Velmora", "K470Loader", "K470Loader.ini"))


# --- cases ---------------------------------------------------------------------------------

def case_first_start(s):
    """No INI anywhere: flash write tab, title, address 00200000, empty lists; the settings
    go to the application-data folder, and a drop plus a close at 100,80 write exactly the
    documented first file."""
    for path in appdata_inis():
        os.remove(path)
    d = s.start()
    s.shot("main_flash_write")
    expect_equal(d.text(TITLE), TITLE, "title")
    expect_equal(d.ok("is-visible", TITLE, FLASH_WRITE_BUTTON)[0], "1", "flash page shown")
    expect_equal(d.ok("is-visible", TITLE, ADDRESS)[0], "0", "RAM load page hidden")
    expect_equal(d.text(TITLE, ADDRESS), "00200000", "address field")
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), [], "flash write files")
    expect_equal(d.text(TITLE, STATUS), "", "status line")
    s.helper("drop", TITLE, "C:\\work\\app.mot")
    d.wait_text(TITLE, FILE_COMBO, "C:\\work\\app.mot", 5000)
    s.helper("move", TITLE, 100, 80)
    cpu_sel = int(d.ok("combo-sel", TITLE, DEVICE_COMBO)[0])
    d.ok("close", TITLE)
    s.wait_exit()
    if os.path.exists(s.ini):
        raise AssertionError("an INI file appeared beside the program")
    found = appdata_inis()
    expect_equal(len(found), 1, "INI files in the application-data folder")
    with open(found[0], "rb") as f:
        got = f.read()
    os.remove(found[0])
    expect_equal(got, settings_text(100, 80, cpu_sel, flash=["C:\\work\\app.mot"]), "INI file")


def case_appdata_blocked(s):
    """No INI beside the program and the application-data folder cannot be made (a file
    stands where its first level should be): the message says so, the start goes on, and
    the settings go beside the program."""
    for path in appdata_inis():
        os.remove(path)
    roaming = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*",
                                     "AppData", "Roaming"))[0]
    blocker = os.path.join(roaming, "Velmora")
    moved = blocker + ".k470test"
    if os.path.exists(blocker):
        os.rename(blocker, moved)
    with open(blocker, "wb"):
        pass
    try:
        s.proc = ui.start_windows_program(os.path.join(s.app, "K470Loader.exe"))
        text = s.driver.dismiss_box("K470Loader", 30000)
        expect_equal(text, T["app_folder_not_made"], "message")
        d = s.driver
        d.wait_window(TITLE, 30000)
        d.ok("close", TITLE)
        s.wait_exit()
    finally:
        os.remove(blocker)
        if os.path.exists(moved):
            os.rename(moved, blocker)
    if not s.read_ini().startswith(b"[System]\r\nCom=1\r\nMode=0\r\n"):
        raise AssertionError("settings not beside the program: %r" % s.read_ini())


def case_mode_one(s):
    """Mode=1 starts on the RAM load page; a drop goes to its list only; Exit saves."""
    s_ini = b"[System]\r\nMode=1\r\n[RamLoad]\r\naddress=0\r\n"
    with open(s.ini, "wb") as f:
        f.write(s_ini)
    d = s.start()
    s.shot("main_ram_load")
    expect_equal(d.ok("is-visible", TITLE, ADDRESS)[0], "1", "RAM load page shown")
    expect_equal(d.ok("is-visible", TITLE, FLASH_WRITE_BUTTON)[0], "0", "flash page hidden")
    expect_equal(d.text(TITLE, ADDRESS), "00200000", "a stored address 0 reads as 200000")
    # Only the first of several dropped files is taken.
    s.helper("drop", TITLE, "C:\\ram\\one.mot", "C:\\ram\\two.mot")
    d.wait_text(TITLE, FILE_COMBO, "C:\\ram\\one.mot", 5000)
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), ["C:\\ram\\one.mot"], "RAM files")
    # Back on the flash write tab its list is still empty.
    s.helper("click-tab", TITLE, 0)
    d.wait_text(TITLE, FLASH_WRITE_BUTTON, "Flash Write(&W)", 5000)
    for _ in range(50):
        if d.ok("is-visible", TITLE, FLASH_WRITE_BUTTON)[0] == "1":
            break
        time.sleep(0.1)
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), [], "flash write files")
    # The update mark, off, paints its own button-face background on a page first shown
    # by a tab switch, and again on the page shown before.
    face = s.helper("button-face", TITLE).strip()
    time.sleep(0.5)
    expect_equal(d.ok("pixel", TITLE, UPDATE_MARK)[0], face, "flash write mark after a switch")
    s.helper("click-tab", TITLE, 1)
    for _ in range(50):
        if d.ok("is-visible", TITLE, ADDRESS)[0] == "1":
            break
        time.sleep(0.1)
    time.sleep(0.5)
    s.shot("main_ram_load_after_tab_switch")
    expect_equal(d.ok("pixel", TITLE, UPDATE_MARK)[0], face, "RAM load mark after a switch")
    left, top = s.window_pos()
    cpu_sel = int(d.ok("combo-sel", TITLE, DEVICE_COMBO)[0])
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()
    # Lines that were in the file keep their places; new keys join the end of their section.
    want = ("[System]\r\nMode=1\r\nCom=1\r\nHelp=help\\help.html\r\nCpuSel=%d\r\n"
            "Left=%d\r\nTop=%d\r\n[RamLoad]\r\naddress=200000\r\nname1=C:\\ram\\one.mot\r\n"
            "[Option]\r\nFwriteUpdateCheck=0\r\nRloadUpdateCheck=0\r\nAutoLoad=0\r\nAutoGo=0\r\n"
            "AutoDisConnect=0\r\nRunApp=0\r\nRunAppName=\r\nShowBoardOutput=1\r\n") % (cpu_sel, left, top)
    expect_equal(s.read_ini(), want.encode("cp932"), "INI file")


def case_enter_escape(s):
    """Enter and Escape leave the main window open; the close box then closes it."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    for key in ("RETURN", "ESCAPE", "RETURN", "ESCAPE"):
        d.ok("key", TITLE, key)
        status, _ = d.run("wait-gone", TITLE, 1500, timeout=20)
        expect_equal(status, ui.EXIT_NOT_FOUND, "window still open after %s" % key)
    left, top = s.window_pos()
    cpu_sel = int(d.ok("combo-sel", TITLE, DEVICE_COMBO)[0])
    d.ok("close", TITLE)
    s.wait_exit()
    expect_equal(s.read_ini(), settings_text(left, top, cpu_sel), "INI file")


def expect_centred_over(d, title, owner):
    """The dialog's centre is its owner's (a dialog taller than the screen's room above
    may be held at the top of the work area)."""
    inner = [int(v) for v in d.ok("rect", title)[0].split()]
    outer = [int(v) for v in d.ok("rect", owner)[0].split()]
    dx = (inner[0] + inner[2]) - (outer[0] + outer[2])
    dy = (inner[1] + inner[3]) - (outer[1] + outer[3])
    if abs(dx) > 2 or (abs(dy) > 2 and inner[1] != 0):
        raise AssertionError("%s not centred over %s: %r in %r" % (title, owner, inner, outer))


def case_options(s):
    """Options: Cancel stores nothing, OK stores all seven values at once."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    s.helper("move", TITLE, 300, 300)
    time.sleep(0.3)
    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    expect_centred_over(d, OPTION_TITLE, TITLE)
    s.shot("options")
    expect_equal(d.enabled(OPTION_TITLE, OPT_APP_NAME), False, "name field with RunApp off")
    for box in (OPT_FWRITE_UPDATE, OPT_AUTO_GO, OPT_RUN_APP):
        d.ok("click", OPTION_TITLE, box)
    d.ok("click", OPTION_TITLE, ID_CANCEL)
    d.wait_gone(OPTION_TITLE)

    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    for box in (OPT_FWRITE_UPDATE, OPT_RLOAD_UPDATE, OPT_AUTO_LOAD, OPT_AUTO_GO,
                OPT_AUTO_DISCONNECT, OPT_RUN_APP):
        expect_equal(d.ok("get-check", OPTION_TITLE, box)[0], "0", "after Cancel, box %d" % box)
        d.ok("click", OPTION_TITLE, box)
    for _ in range(50):
        if d.enabled(OPTION_TITLE, OPT_APP_NAME):
            break
        time.sleep(0.1)
    expect_equal(d.ok("get-check", OPTION_TITLE, OPT_BOARD_OUTPUT)[0], "1", "board output box")
    d.ok("click", OPTION_TITLE, OPT_BOARD_OUTPUT)
    d.ok("set-text", OPTION_TITLE, OPT_APP_NAME, "C:\\tools\\term.exe")
    d.ok("click", OPTION_TITLE, ID_OK)
    d.wait_gone(OPTION_TITLE)

    # The dialog shows the stored record when opened again.
    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    expect_equal(d.ok("get-check", OPTION_TITLE, OPT_AUTO_DISCONNECT)[0], "1", "stored box")
    expect_equal(d.text(OPTION_TITLE, OPT_APP_NAME), "C:\\tools\\term.exe", "stored name")
    d.ok("click", OPTION_TITLE, ID_CANCEL)
    d.wait_gone(OPTION_TITLE)

    left, top = s.window_pos()
    cpu_sel = int(d.ok("combo-sel", TITLE, DEVICE_COMBO)[0])
    d.ok("close", TITLE)
    s.wait_exit()
    expect_equal(s.read_ini(), settings_text(left, top, cpu_sel, options=(1, 1, 1, 1, 1, 1),
                                             app_name="C:\\tools\\term.exe", show_output=0),
                 "INI file")


def case_about(s):
    """The about box: title, version line, the two links; OK closes it."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    d.ok("menu", TITLE, MENU_ABOUT)
    d.wait_window(ABOUT_TITLE)
    expect_centred_over(d, ABOUT_TITLE, TITLE)
    s.shot("about")
    pt.expect_no_japanese(d, ABOUT_TITLE)
    commit = subprocess.run(["git", "-C", HERE, "rev-parse", "--short=10", "HEAD"],
                            capture_output=True, text=True, timeout=60)
    version = "2.00 (commit %s)" % commit.stdout.strip() if commit.returncode == 0 else "2.00"
    expect_equal(d.text(ABOUT_TITLE, ABOUT_VERSION), "K470Loader Version " + version,
                 "version line")
    expect_equal(d.text(ABOUT_TITLE, ABOUT_WEB), "https://www.example.com/k470loader/", "web")
    expect_equal(d.text(ABOUT_TITLE, ABOUT_MAIL), "support@example.com", "mail")
    # The main window is disabled while the box is up.
    expect_equal(d.run("menu", TITLE, MENU_ABOUT)[0], ui.EXIT_REFUSED, "main window usable")
    d.ok("click", ABOUT_TITLE, ID_OK)
    d.wait_gone(ABOUT_TITLE)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_position(s):
    """A stored position off the work area is centred on that axis; the other axis stays."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nLeft=-5000\r\nTop=40\r\n")
    d = s.start()
    left, top = s.window_pos()
    expect_equal(top, 40, "top edge that fits")
    if not 0 <= left < 1280:
        raise AssertionError("left edge %d not moved into the work area" % left)
    d.ok("close", TITLE)
    s.wait_exit()
    ini = s.read_ini().decode("cp932")
    if "Left=%d\r\n" % left not in ini or "Top=40\r\n" not in ini:
        raise AssertionError("position not saved: %r" % ini)


def expect_texts(d, title, wanted, what):
    texts = pt.window_texts(d, title)
    missing = [t for t in wanted if t not in texts]
    if missing:
        raise AssertionError("%s: %r missing from %r" % (what, missing, texts))


def case_japanese_texts(s):
    """The labels of the main window, both pages and the options dialog read as the
    program's texts in its language (Japanese ones whatever code page Wine runs
    non-Unicode programs in; no Japanese character in an English run)."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    s.shot("texts_main_window")
    expect_texts(d, TITLE, [T[k] for k in ("port", "file_name", "browse", "settings", "address",
                                           "device", "connect")] + ["Flash Write(&W)", "Load(&L)", "Go(&G)"],
                 "main window")
    pt.expect_no_japanese(d, TITLE)
    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    s.shot("texts_options")
    expect_texts(d, OPTION_TITLE, [T[k] for k in ("auto_load", "auto_go", "run_app",
                                                  "auto_disconnect", "app_name", "browse_app",
                                                  "update_check", "update_check_ram")],
                 "options dialog")
    pt.expect_no_japanese(d, OPTION_TITLE)
    d.ok("click", OPTION_TITLE, OPT_RUN_APP)
    for _ in range(50):
        if d.enabled(OPTION_TITLE, OPT_APP_NAME):
            break
        time.sleep(0.1)
    d.ok("set-text", OPTION_TITLE, OPT_APP_NAME, "C:\\ツール\\端末.exe")
    expect_equal(d.text(OPTION_TITLE, OPT_APP_NAME), "C:\\ツール\\端末.exe", "typed name")
    d.ok("click", OPTION_TITLE, ID_CANCEL)
    d.wait_gone(OPTION_TITLE)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_japanese_path(s):
    """A dropped path with Japanese names goes to the INI file in the system's code page
    and comes back from it unchanged at the next start. Where that code page cannot hold
    it (1252), the drop is refused with the message that says so, the name below it, and
    the list stays as it was."""
    with open(s.ini, "wb"):
        pass
    path = "C:\\作業\\テスト.mot"
    d = s.start()
    if pt.ENGLISH:
        s.helper("drop", TITLE, path)
        d.ok("box-text", "K470Loader", 5000)
        s.shot("refused_drop_message")
        expect_equal(d.dismiss_box("K470Loader", 5000), T["name_refused"] + "\\n" + path,
                     "refused drop")
        expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), [], "flash write files")
        # A name in ASCII is taken as before.
        s.helper("drop", TITLE, "C:\\work\\app.mot")
        d.wait_text(TITLE, FILE_COMBO, "C:\\work\\app.mot", 5000)
        d.ok("menu", TITLE, MENU_EXIT)
        s.wait_exit()
        if b"name1=C:\\work\\app.mot\r\n" not in s.read_ini() or b"name2" in s.read_ini():
            raise AssertionError("file list not as taken: %r" % s.read_ini())
        return
    s.helper("drop", TITLE, path)
    d.wait_text(TITLE, FILE_COMBO, path, 5000)
    d.ok("close", TITLE)
    s.wait_exit()
    ini = s.read_ini()
    if ("name1=" + path + "\r\n").encode("cp932") not in ini:
        raise AssertionError("path not stored in code page 932: %r" % ini)
    d = s.start()
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), [path], "flash write files")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_address_field(s):
    """The address field takes hexadecimal texts of up to 32 bits and puts the last good
    text back otherwise; its value is what the close stores."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nMode=1\r\n")
    d = s.start()
    expect_equal(d.text(TITLE, ADDRESS), "00200000", "start text")
    for bad in ("123456789", "00000000001", "12Z4", "-"):
        d.ok("set-text", TITLE, ADDRESS, bad)
        expect_equal(d.text(TITLE, ADDRESS), "00200000", "after %r" % bad)
    d.ok("set-text", TITLE, ADDRESS, "00FFFFFFFF")
    expect_equal(d.text(TITLE, ADDRESS), "00FFFFFFFF", "ten characters")
    d.ok("set-text", TITLE, ADDRESS, "")
    # Typed characters: hexadecimal digits pass, anything else is dropped.
    d.ok("type", TITLE, ADDRESS, "2G 1x0f")
    expect_equal(d.text(TITLE, ADDRESS), "210f", "typed")
    # A refused key leaves the caret where it was: the next key does not land in front.
    d.ok("set-text", TITLE, ADDRESS, "")
    d.ok("type", TITLE, ADDRESS, "1fffff123")
    expect_equal(d.text(TITLE, ADDRESS), "1fffff12", "ninth digit refused")
    d.ok("type", TITLE, ADDRESS, "0")
    expect_equal(d.text(TITLE, ADDRESS), "1fffff12", "a further digit refused too")
    d.ok("set-text", TITLE, ADDRESS, "")
    d.ok("type", TITLE, ADDRESS, "210f")
    d.ok("close", TITLE)
    s.wait_exit()
    if b"address=210F\r\n" not in s.read_ini():
        raise AssertionError("address not stored: %r" % s.read_ini())


def case_port_list(s):
    """The port selector lists the machine's ports as COM<n> (with what the system says of
    each after a colon), ascending by number, with COM1 chosen when present."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    items = [t.split(": ")[0] for t in d.ok("combo-items", TITLE, COM)]
    numbers = [int(t[3:]) for t in items]
    if any(not t.startswith("COM") for t in items) or numbers != sorted(numbers):
        raise AssertionError("port list %r" % items)
    sel = int(d.ok("combo-sel", TITLE, COM)[0])
    expect_equal(sel, items.index("COM1") if "COM1" in items else (0 if items else -1),
                 "chosen port")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


SERIALCOMM = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM"
DBT_DEVNODES_CHANGED = 0x0007


def serialcomm(port, present):
    value = "\\Device\\K470Test%d" % port
    args = (["add", SERIALCOMM, "/v", value, "/t", "REG_SZ", "/d", "COM%d" % port, "/f"]
            if present else ["delete", SERIALCOMM, "/v", value, "/f"])
    subprocess.run(["wine", "reg"] + args, timeout=60, check=present,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def poll(check, what, seconds=5):
    for _ in range(seconds * 10):
        if check():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def case_port_changes(s):
    """A port added while the program runs appears after a device change, the chosen port
    staying chosen; the port of a connect is chosen again at the next start."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nMode=1\r\n")
    master, slave = os.openpty()
    link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "com201")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)
    serialcomm(201, True)
    try:
        d = s.start()
        items = d.ok("combo-items", TITLE, COM)
        d.ok("select-combo", TITLE, COM, items.index("COM201"))
        serialcomm(203, True)
        s.helper("device-change", TITLE, DBT_DEVNODES_CHANGED)
        poll(lambda: "COM203" in d.ok("combo-items", TITLE, COM), "COM203 after a device change")
        expect_equal(d.text(TITLE, COM), "COM201", "chosen port after a device change")
        s.shot("port_box_after_changes")
        d.ok("click", TITLE, CONNECT)
        d.wait_text(TITLE, CONNECT, T["disconnect"], 5000)
        d.ok("click", TITLE, CONNECT)
        d.wait_text(TITLE, CONNECT, T["connect"], 5000)
        d.ok("menu", TITLE, MENU_EXIT)
        s.wait_exit()
        if b"LastPort=201\r\n" not in s.read_ini() or b"Com=1\r\n" not in s.read_ini():
            raise AssertionError("last port not stored beside Com: %r" % s.read_ini())
        serialcomm(201, True)
        d = s.start()
        expect_equal(d.text(TITLE, COM), "COM201", "chosen port at the next start")
        d.ok("menu", TITLE, MENU_EXIT)
        s.wait_exit()
    finally:
        for port in (201, 203):
            serialcomm(port, False)
        os.remove(link)
        os.close(master)
        os.close(slave)


def case_option_drop(s):
    """Files dropped on the options dialog: the first one's path becomes the application
    name, even while the field is disabled; OK stores it with RunApp off."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    s.helper("drop", OPTION_TITLE, "C:\\a\\first.exe", "C:\\b\\second.exe", "C:\\c.bat")
    d.wait_text(OPTION_TITLE, OPT_APP_NAME, "C:\\a\\first.exe", 5000)
    expect_equal(d.enabled(OPTION_TITLE, OPT_APP_NAME), False, "field still disabled")
    d.ok("click", OPTION_TITLE, ID_OK)
    d.wait_gone(OPTION_TITLE)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()
    ini = s.read_ini()
    if b"RunApp=0\r\nRunAppName=C:\\a\\first.exe\r\n" not in ini:
        raise AssertionError("application name not stored: %r" % ini)


def case_open_menu(s):
    """Open(O) acts as the browse button of the page shown: the file dialog starts in the
    newest entry's folder; Cancel changes nothing, OK makes the chosen file the newest."""
    open_title = OPEN_TITLE
    with open(s.ini, "wb") as f:
        f.write(b"[FlashWrite]\r\nname1=C:\\windows\\win.ini\r\n")
    d = s.start()
    d.ok("menu", TITLE, MENU_OPEN)
    d.wait_window(open_title)
    s.shot("open_dialog")
    expect_equal(d.text(open_title, OPEN_LOOK_IN), "windows", "folder the dialog starts in")
    d.ok("click", open_title, ID_CANCEL)
    d.wait_gone(open_title)
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), ["C:\\windows\\win.ini"], "after Cancel")
    d.ok("menu", TITLE, MENU_OPEN)
    d.wait_window(open_title)
    # The dialog opens with the keyboard in its file name field: "type" the name there.
    s.helper("focus-text", open_title, "C:\\windows\\system.ini")
    d.ok("key", open_title, "RETURN")
    d.wait_gone(open_title)
    d.wait_text(TITLE, FILE_COMBO, "C:\\windows\\system.ini", 5000)
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO),
                 ["C:\\windows\\system.ini", "C:\\windows\\win.ini"], "after OK")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_keyboard(s):
    """Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp the one
    before, from wherever the keyboard is; Tab goes round to the tab control too."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    for key, ram in (("CTRL+TAB", "1"), ("CTRL+TAB", "0"), ("CTRL+SHIFT+TAB", "1"),
                     ("CTRL+NEXT", "0"), ("CTRL+PRIOR", "1")):
        d.ok("key", TITLE, key)
        for _ in range(50):
            if d.ok("is-visible", TITLE, ADDRESS)[0] == ram:
                break
            time.sleep(0.1)
        expect_equal(d.ok("is-visible", TITLE, ADDRESS)[0], ram, "RAM load page after " + key)
    # Each "key" reports where the keyboard was when it was pressed.
    focused = []
    for _ in range(12):
        focused += d.ok("key", TITLE, "TAB")[:1]
        time.sleep(0.3)
    if not any(line.endswith(" SysTabControl32") for line in focused):
        raise AssertionError("Tab never reached the tab control: %r" % focused)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_lower_case_ini(s):
    """Section and key names spelled otherwise by a user are written back into those lines,
    with no second section, and the change is there at the next start."""
    with open(s.ini, "wb") as f:
        f.write(b"[system]\r\nmode=0\r\n[ramload]\r\nADDRESS=210000\r\n")
    d = s.start()
    d.ok("key", TITLE, "CTRL+TAB")
    poll(lambda: d.ok("is-visible", TITLE, ADDRESS)[0] == "1", "the RAM load page")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()
    ini = s.read_ini()
    for section in (b"[System]", b"[RamLoad]"):
        if ini.lower().count(section.lower()) != 1:
            raise AssertionError("%s twice: %r" % (section, ini))
    if not ini.startswith(b"[system]\r\nMode=1\r\n") or b"address=210000\r\n" not in ini:
        raise AssertionError("settings not written into the user's lines: %r" % ini)
    d = s.start()
    expect_equal(d.ok("is-visible", TITLE, ADDRESS)[0], "1", "RAM load page at the next start")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_long_path(s):
    """A path longer than 259 bytes in the code page is stored and comes back whole."""
    with open(s.ini, "wb"):
        pass
    name = "é" * 280 if pt.ENGLISH else "長い名前" * 40
    path = "C:\\" + name + "\\image.mot"
    code_page = "cp1252" if pt.ENGLISH else "cp932"
    if len(path.encode(code_page)) <= 260:
        raise AssertionError("the path is too short for the case")
    d = s.start()
    s.helper("drop", TITLE, path)
    d.wait_text(TITLE, FILE_COMBO, path, 5000)
    d.ok("close", TITLE)
    s.wait_exit()
    if ("name1=" + path + "\r\n").encode(code_page) not in s.read_ini():
        raise AssertionError("path not stored whole: %r" % s.read_ini())
    d = s.start()
    expect_equal(d.ok("combo-items", TITLE, FILE_COMBO), [path], "flash write files")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_far_position(s):
    """A stored position far off every screen puts the window on the work area; the place it
    is closed at comes back; a stored device choice outside the list selects the first."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nLeft=2147483600\r\nTop=2147483600\r\nCpuSel=7\r\n")
    d = s.start()
    left, top = s.window_pos()
    if not (0 <= left < 1280 and 0 <= top < 1024):
        raise AssertionError("window at %d,%d, off the screen" % (left, top))
    expect_equal(d.ok("combo-sel", TITLE, DEVICE_COMBO)[0], "0", "device type of CpuSel=7")
    s.helper("move", TITLE, 130, 90)
    time.sleep(0.3)
    d.ok("close", TITLE)
    s.wait_exit()
    d = s.start()
    expect_equal(s.window_pos(), (130, 90), "position at the next start")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_first_close(s):
    """A key a control takes (Escape closing the file list, Enter on a button) leaves
    nothing behind: the next close closes at once."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    s.helper("focus", TITLE, FILE_COMBO)
    time.sleep(0.3)
    d.ok("key", TITLE, "ALT+DOWN")
    time.sleep(0.5)
    d.ok("key", TITLE, "ESCAPE")
    time.sleep(0.5)
    d.ok("close", TITLE)
    s.wait_exit()
    d = s.start()
    s.helper("focus", TITLE, BROWSE)
    time.sleep(0.3)
    d.ok("key", TITLE, "RETURN")
    d.wait_window(OPEN_TITLE)
    d.ok("click", OPEN_TITLE, ID_CANCEL)
    d.wait_gone(OPEN_TITLE)
    d.ok("close", TITLE)
    s.wait_exit()


def case_session_end(s):
    """An idle program agrees to a session's end and stores its settings when it ends."""
    with open(s.ini, "wb"):
        pass
    d = s.start()
    s.helper("drop", TITLE, "C:\\work\\logoff.mot")
    d.wait_text(TITLE, FILE_COMBO, "C:\\work\\logoff.mot", 5000)
    expect_equal(s.helper("session", TITLE, "query").strip(), "1", "answer to the query")
    s.helper("session", TITLE, "end")
    ini = s.read_ini()
    if b"[FlashWrite]\r\nname1=C:\\work\\logoff.mot\r\n" not in ini or b"Left=" not in ini:
        raise AssertionError("settings not stored at the session end: %r" % ini)


def case_prefix_texts(s):
    """The status line shows the "&" of a typed port name "R&D" as it is."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nMode=1\r\n")
    d = s.start()
    if int(s.helper("style", TITLE, STATUS).strip(), 16) & SS_NOPREFIX == 0:
        raise AssertionError("the status line turns & into an underline")
    d.ok("set-text", TITLE, COM, "R&D")
    d.ok("click", TITLE, CONNECT)
    d.wait_text(TITLE, STATUS, pt.fill(T["port_not_opened"], "R&D") + " " + T["no_such_port"],
                5000)
    s.shot("status_line_r_and_d")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_port_keys(s):
    """Down twice in the port box chooses the port two below; the file stays."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nMode=1\r\n[RamLoad]\r\nname1=C:\\a.mot\r\nname2=C:\\b.mot\r\n")
    for number in (3, 7):
        serialcomm(number, True)
    d = s.start()
    ports = d.ok("combo-items", TITLE, COM)
    if len(ports) < 3:
        raise AssertionError("the case needs three ports: %r" % ports)
    d.ok("select-combo", TITLE, COM, 0)
    s.helper("focus", TITLE, COM)
    time.sleep(0.3)
    for _ in range(2):
        d.ok("key", TITLE, "DOWN")
        time.sleep(0.5)
    expect_equal(d.ok("combo-sel", TITLE, COM)[0], "2", "port after Down twice")
    expect_equal(d.text(TITLE, FILE_COMBO), "C:\\b.mot", "file after Down twice")
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_tab_order(s):
    """The options dialog's Tab goes from the top down, OK and Cancel last; Ctrl+V into the
    address field is filtered as typed text is."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nMode=1\r\n")
    d = s.start()
    s.helper("set-clipboard", TITLE, " 0x21-00 00\r\n")
    d.ok("set-text", TITLE, ADDRESS, "")
    s.helper("focus", TITLE, ADDRESS)
    time.sleep(0.3)
    d.ok("key", TITLE, "CTRL+V")
    d.wait_text(TITLE, ADDRESS, "0210000", 5000)
    d.ok("menu", TITLE, MENU_OPTION)
    d.wait_window(OPTION_TITLE)
    ids = {line.split("\t")[0]: int(line.split("\t")[1])
           for line in d.ok("list-windows", OPTION_TITLE)}
    order = []
    for _ in range(10):
        order.append(ids.get(d.ok("key", OPTION_TITLE, "TAB")[0].split()[2], 0))
        time.sleep(0.2)
    want = [OPT_FWRITE_UPDATE, OPT_RLOAD_UPDATE, OPT_AUTO_LOAD, OPT_AUTO_GO, OPT_AUTO_DISCONNECT,
            OPT_BOARD_OUTPUT, OPT_RUN_APP, OPT_BROWSE_APP, ID_OK, ID_CANCEL]
    start = order.index(OPT_FWRITE_UPDATE) if OPT_FWRITE_UPDATE in order else 0
    expect_equal((order[start:] + order[:start]), want, "Tab order")
    d.ok("click", OPTION_TITLE, ID_CANCEL)
    d.wait_gone(OPTION_TITLE)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_help_missing(s):
    """Help without its document says so and names the file."""
    with open(s.ini, "wb"):
        pass
    shutil.rmtree(os.path.join(s.app, "help"))
    d = s.start()
    d.ok("menu", TITLE, MENU_HELP)
    d.ok("box-text", "K470Loader", 10000)
    s.shot("help_missing_message")
    text = d.dismiss_box("K470Loader", 5000)
    if not text.startswith(T["help_not_found"] + "\\n") or not text.endswith("help.html"):
        raise AssertionError("message %r" % text)
    d.ok("menu", TITLE, MENU_EXIT)
    s.wait_exit()


def case_not_saved(s):
    """Settings that cannot be written (a folder stands where the INI file belongs) are said
    once, with the file's path and the reason."""
    for path in appdata_inis():
        os.remove(path)
    roaming = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*",
                                     "AppData", "Roaming"))[0]
    blocker = os.path.join(roaming, "Velmora", "K470Loader", "K470Loader.ini")
    os.makedirs(blocker)
    try:
        d = s.start()
        d.ok("close", TITLE)
        d.ok("box-text", "K470Loader", 10000)
        s.shot("settings_not_saved_message")
        text = d.dismiss_box("K470Loader", 5000)
        s.wait_exit()
    finally:
        os.rmdir(blocker)
    if not text.startswith(T["settings_not_saved"] + "\\n") or "K470Loader.ini\\n" not in text:
        raise AssertionError("message %r" % text)


def case_two_instances(s):
    """A second instance opens beside the first; both instances' history entries are kept."""
    with open(s.ini, "wb") as f:
        f.write(b"[System]\r\nLeft=100\r\nTop=80\r\n")
    d = s.start()
    s.helper("drop", TITLE, "C:\\one.mot")
    d.wait_text(TITLE, FILE_COMBO, "C:\\one.mot", 5000)
    second = ui.start_windows_program(os.path.join(s.app, "K470Loader.exe"))

    def mains():
        return [w.split("\t")[0] for w in d.ok("list-windows") if w.endswith("\t" + TITLE)]
    poll(lambda: len(mains()) == 2, "two main windows", 20)
    newer = [h for h in mains() if d.ok("rect", h)[0].split()[:2] != ["100", "80"]]
    expect_equal(len(newer), 1, "windows not at the first one's place")
    newer = newer[0]
    s.helper("drop", newer, "C:\\two.mot")
    d.wait_text(newer, FILE_COMBO, "C:\\two.mot", 5000)
    d.ok("close", newer)
    second.wait(timeout=EXIT_WAIT_S)
    d.ok("close", TITLE)
    s.wait_exit()
    ini = s.read_ini()
    if b"C:\\one.mot" not in ini or b"C:\\two.mot" not in ini:
        raise AssertionError("an instance's entry was lost: %r" % ini)


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


class Args:
    pass


def main():
    args = Args()
    args.dist, args.uidriver, args.helper, args.out, case = sys.argv[1:6]
    os.makedirs(args.out, exist_ok=True)
    s = Session(args, case)
    try:
        CASES[case](s)
    finally:
        s.finish()
    print("%s: passed" % case)


if __name__ == "__main__":
    main()
