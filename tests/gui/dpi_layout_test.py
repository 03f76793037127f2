"""Every window of K470Loader.exe at 96, 144 and 192 DPI (set in the Wine prefix) and moved
to a monitor of another scale: texts fit their controls, controls lie inside their window
and over no other, the pages leave the tabs uncovered, the window is on the work area.

Usage: dpi_layout_test.py --dist DIST --driver UIDRIVER --helper GUI_HELPER --out DIR
                          --dpi 96|144|192|moved"""

import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "gui_pages"))
import harness as h  # noqa: E402
from harness import ENGLISH, T, fill, ui  # noqa: E402

MAIN = h.MAIN
OPTIONS, ABOUT = "K470Loader Option", "About K470Loader"
LOAD_DIALOG, WRITE_DIALOG = "RAM LOAD", "FLASH WRITE"
TAB = 1000
LOAD, CONNECT, WRITE, DEVICE, SETTINGS, CANCEL_JOB = 1006, 1008, 1010, 1021, 1022, 1019
MENU_ABOUT = 32775
DEVICE_NAME = "H8/3069F"

LANGUAGE = "en" if ENGLISH else "ja"
# (DPI moved to from 100 %, window).
MOVES = [(144, "main, flash write"), (192, "main, RAM load"), (192, "about")]

# The faces and sizes of the windows' templates, by language: the texts are measured in
# them at the scale looked at (a font of another process cannot be read under Wine).
FIXED_FACE = {"ja": ("ＭＳ ゴシック", 9), "en": ("MS Shell Dlg", 8)}[LANGUAGE]
PROPORTIONAL_FACE = {"ja": ("MS UI Gothic", 9), "en": ("MS Shell Dlg", 8)}[LANGUAGE]
FIXED_FACE_WINDOWS = ("options", "about")

WINDOW_CLASS = "#32770"
BS_TYPEMASK, BS_GROUPBOX, BS_CHECKBOX, BS_AUTOCHECKBOX = 0x0F, 7, 2, 3
SS_TYPEMASK, SS_ICON, SS_SUNKEN = 0x1F, 3, 0x1000
# Room a text needs inside its control beyond its own width, at 100 %: a push button's
# frame and focus mark, a group box's corner, a sunken static's edges.
BUTTON_PAD_PX, GROUP_PAD_PX, SUNKEN_PAD_PX, CHECK_GAP_PX = 4, 8, 4, 3


class Control:
    def __init__(self, fields):
        self.hwnd, self.parent, cid, self.cls, style, rect, size, font = fields[:8]
        self.id = int(cid)
        self.style = int(style, 16)
        self.rect = tuple(int(v) for v in rect.split())
        self.text_w, self.text_h = (int(v) for v in size.split())
        self.font_h = int(font)
        self.text = fields[8] if len(fields) > 8 else ""

    def __repr__(self):
        return "%s %d %r %r" % (self.cls, self.id, self.text, self.rect)


class Layout:
    """What `gui_helper layout` reports of one window."""

    def __init__(self, text):
        self.controls, self.tab_items, self.tab_area = [], [], None
        for line in text.splitlines():
            fields = line.split("\t")
            kind = fields[0]
            if kind == "control":
                self.controls.append(Control(fields[1:]))
            elif kind == "tab-item":
                self.tab_items.append(tuple(int(v) for v in fields[2].split()))
            elif kind == "tab-area":
                self.tab_area = tuple(int(v) for v in fields[2].split())
            elif kind in ("client", "window", "work", "dpi", "check"):
                setattr(self, kind, tuple(int(v) for v in fields[1].split()))


def inside(inner, outer):
    return (inner[0] >= outer[0] and inner[1] >= outer[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def text_room(c, scale, check_px):
    """The width a control's text may take, or None for controls whose text is the user's
    (entry fields, combo boxes) or that show none."""
    width = c.rect[2] - c.rect[0]
    if c.cls == "Button":
        kind = c.style & BS_TYPEMASK
        if kind == BS_GROUPBOX:
            return width - GROUP_PAD_PX * scale
        if kind in (BS_CHECKBOX, BS_AUTOCHECKBOX):
            return width - check_px - CHECK_GAP_PX * scale
        return width - BUTTON_PAD_PX * scale
    if c.cls == "Static" and (c.style & SS_TYPEMASK) != SS_ICON:
        return width - (SUNKEN_PAD_PX * scale if c.style & SS_SUNKEN else 0)
    return None


def problems(layout, dpi):
    """Everything wrong with one window's layout, as texts."""
    found = []
    scale = dpi / 96.0
    client = (0, 0) + layout.client
    if not inside(layout.window, layout.work):
        found.append("window %r outside the work area %r" % (layout.window, layout.work))
    dialogs = {c.hwnd for c in layout.controls if c.cls == WINDOW_CLASS}
    # The controls of the window and of its pages (a combo box's own field is its part).
    controls = [c for c in layout.controls
                if c.parent in dialogs or c.parent not in {x.hwnd for x in layout.controls}]
    by_handle = {c.hwnd: c for c in controls}
    for c in controls:
        if not inside(c.rect, client):
            found.append("%r outside the client area %r" % (c, client))
        holder = by_handle.get(c.parent)
        if holder is not None and not inside(c.rect, holder.rect):
            found.append("%r outside its page %r" % (c, holder.rect))
        room = text_room(c, scale, layout.check[0])
        if c.text and room is not None and c.text_w > room:
            found.append("%r: text %d wide, room for %d" % (c, c.text_w, room))
        measured = room is not None or c.cls == "Edit"
        if c.text and measured and c.text_h > c.rect[3] - c.rect[1] and \
                not (c.cls == "Button" and c.style & BS_TYPEMASK == BS_GROUPBOX):
            found.append("%r: text %d high" % (c, c.text_h))
    # Siblings: none over another, except what a group box frames wholly; the tab control
    # occupies its tabs and its display area, where only the pages go.
    for i, a in enumerate(controls):
        for b in controls[i + 1:]:
            if a.parent != b.parent:
                continue
            for x, y in ((a, b), (b, a)):
                if x.cls == "SysTabControl32":
                    taken = layout.tab_items + [layout.tab_area]
                    if y.cls == WINDOW_CLASS:
                        if not inside(y.rect, layout.tab_area):
                            found.append("page %r not in the display area %r"
                                         % (y.rect, layout.tab_area))
                        if any(overlap(y.rect, t) for t in layout.tab_items):
                            found.append("page %r covers a tab %r" % (y.rect, layout.tab_items))
                    elif any(overlap(y.rect, t) for t in taken):
                        found.append("%r over the tab control" % y)
                    break
            else:
                framed = any(x.cls == "Button" and x.style & BS_TYPEMASK == BS_GROUPBOX
                             and inside(y.rect, x.rect) for x, y in ((a, b), (b, a)))
                if overlap(a.rect, b.rect) and not framed:
                    found.append("%r over %r" % (a, b))
    return found


class Run:
    """One program session at the prefix's scale, with the simulated boards it needs."""

    def __init__(self, args):
        self.args = args
        self.s = h.Session(args)
        self.ram_image = self.s.file("ram.mot", h.srecords(0x200000, h.pattern(0x8000, 3)))
        self.flash_image = self.s.file("flash.mot", h.srecords(0, h.pattern(0x4000, 5), kind=1))
        self.s.write_ini([("System", [("Com", 1), ("Mode", 0), ("CpuSel", 0)]),
                          ("FlashWrite", [("name1", h.wine_path(self.flash_image))]),
                          ("RamLoad", [("name1", h.wine_path(self.ram_image)),
                                       ("address", "200000")])])
        self.d = None
        self.helper = self.s.helper_output

    def check(self, title, dpi, name):
        time.sleep(0.3)
        face, points = FIXED_FACE if name.split()[0] in FIXED_FACE_WINDOWS else PROPORTIONAL_FACE
        layout = Layout(self.helper("layout", title, face, points, dpi))
        found = problems(layout, dpi)
        # The fonts are those of the scale: a combo box, as high as its font makes it, is
        # higher than the font's characters.
        em = points * dpi / 72.0
        low = [c for c in layout.controls if c.cls == "ComboBox" and c.rect[3] - c.rect[1] < em]
        if low:
            found.append("combo boxes lower than a font of the scale (%d): %r" % (em, low))
        self.s.shot("%s_%d_%s" % (name.replace(", ", "_").replace(" ", "_"), dpi, LANGUAGE))
        return ["%d %s %s: %s" % (dpi, LANGUAGE, name, p) for p in found]

    def page(self, index):
        self.helper("click-tab", MAIN, index)
        h.wait_until(lambda: self.d.ok("is-visible", MAIN, (WRITE, LOAD)[index])[0] == "1",
                     10, "page %d" % index)

    def main_pages(self, dpi):
        found = []
        for index, name in enumerate(("main, flash write", "main, RAM load")):
            self.page(index)
            found += self.check(MAIN, dpi, name)
        return found

    def dialogs(self, dpi):
        d, found = self.d, []
        d.ok("menu", MAIN, h.OPTION_MENU)
        d.wait_window(OPTIONS)
        found += self.check(OPTIONS, dpi, "options")
        d.ok("click", OPTIONS, 2)
        d.wait_gone(OPTIONS)
        d.ok("menu", MAIN, MENU_ABOUT)
        d.wait_window(ABOUT)
        found += self.check(ABOUT, dpi, "about")
        d.ok("click", ABOUT, 1)
        d.wait_gone(ABOUT)
        self.helper("click-tab", MAIN, 0)
        h.wait_until(lambda: d.enabled(MAIN, SETTINGS), 10, "the settings button")
        d.ok("click", MAIN, SETTINGS)
        title = fill(T["settings_title"], DEVICE_NAME)
        d.wait_window(title)
        found += self.check(title, dpi, "settings")
        d.ok("click", title, 2)
        d.wait_gone(title)
        return found

    def progress(self, dpi):
        d, found = self.d, []
        # Slow blocks keep the dialog up while it is looked at.
        self.s.start_sim("h8-3069", "--program-ms", "300")
        self.helper("click-tab", MAIN, 0)
        h.wait_until(lambda: d.enabled(MAIN, WRITE), 10, "the write button")
        d.ok("click", MAIN, WRITE)
        d.wait_window(WRITE_DIALOG, 10000)
        h.wait_until(lambda: d.text(WRITE_DIALOG, 1002).startswith("writing "), 60,
                     "the first block")
        found += self.check(WRITE_DIALOG, dpi, "flash write progress")
        d.ok("click", WRITE_DIALOG, CANCEL_JOB)
        d.wait_gone(WRITE_DIALOG, 30000)
        self.s.sim.stop()
        self.s.sim = None
        self.s.start_sim("monitor")
        self.page(1)
        d.ok("click", MAIN, CONNECT)
        h.wait_until(lambda: d.enabled(MAIN, LOAD), 15, "the board")
        d.ok("click", MAIN, LOAD)
        d.wait_window(LOAD_DIALOG, 10000)
        found += self.check(LOAD_DIALOG, dpi, "RAM load progress")
        d.ok("click", LOAD_DIALOG, CANCEL_JOB)
        d.wait_gone(LOAD_DIALOG, 30000)
        d.ok("click", MAIN, CONNECT)
        d.wait_text(MAIN, CONNECT, T["connect"], 5000)
        return found

    def moved(self):
        d, found = self.d, []
        for dpi, name in MOVES:
            if name == "about":
                d.ok("menu", MAIN, MENU_ABOUT)
                d.wait_window(ABOUT)
                self.helper("dpi-changed", ABOUT, dpi)
                found += self.check(ABOUT, dpi, "about moved")
                d.ok("click", ABOUT, 1)
                d.wait_gone(ABOUT)
                continue
            self.page(0 if name == "main, flash write" else 1)
            self.helper("dpi-changed", MAIN, dpi)
            found += self.check(MAIN, dpi, name + " moved")
        # And back to 100 %: the window as it started.
        self.helper("dpi-changed", MAIN, 96)
        found += self.check(MAIN, 96, "main moved back")
        return found


def set_screen_dpi(dpi):
    """The scale Wine gives the programs it starts from now on."""
    ui.wait_wineserver_gone()
    subprocess.run(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ui.stop_wineserver()


def main():
    p = argparse.ArgumentParser()
    for name in ("--dist", "--driver", "--helper", "--out", "--dpi"):
        p.add_argument(name, required=True)
    args = p.parse_args()
    moved = args.dpi == "moved"
    dpi = 96 if moved else int(args.dpi)
    set_screen_dpi(dpi)
    run = Run(args)
    found = []
    try:
        run.d = run.s.start()
        if moved:
            found += run.moved()
        else:
            found += run.main_pages(dpi)
            found += run.dialogs(dpi)
            found += run.progress(dpi)
    finally:
        try:
            run.s.close()
        finally:
            run.s.cleanup()
            set_screen_dpi(96)
    if found:
        raise AssertionError("\n".join(found))
    print("layout at %s DPI (%s): passed" % (args.dpi, LANGUAGE))


if __name__ == "__main__":
    main()
