"""Takes the README's pictures of picking an area: tamblit95 under Wine on a
virtual display of its own. The preview: a colour pattern on the screen, the
hot key pressed and a rubber band held over the model; the preview window and
its surroundings are written as a PNG. With --picker, the picker on the
screen instead, over a desktop of Wine's own programs (the registry editor
and Notepad with a text), the pointer over Notepad so that its outline, the
crosshair and the magnifier show; the whole screen is written. With
--at-work, the preview over a desktop of ordinary windows (Notepad with a
note, a file manager, Minesweeper) with a band held over the model; the whole
screen is written. Run through tools/shoot-preview.sh."""

import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402
from preview import model_origin, wait_preview  # noqa: E402
from test_resident import SETTINGS, exit_program, fresh_settings, start_resident  # noqa: E402

MARGIN = 24  # screen pixels kept around the window in the picture


def shoot(out: Path) -> None:
    session = harness.Session()
    try:
        display = session.display(1024, 768, 24)
        wine = session.wine("shoot", display)
        fresh_settings(wine, source="Selected")
        proc = start_resident(wine)
        wine.start_pattern(40, 60, 200, 140, title="Pattern")
        wine.start_pattern(700, 560, 260, 150, cell=20, title="Pattern 2")
        wine.probe.keys("ctrl+shift+s")
        window = wait_preview(wine)
        mx, my = model_origin(window, wine.probe.screen())
        display.move_pointer(mx + 14, my + 24)
        display.xdotool("mousedown", 1)
        display.move_pointer(mx + 70, my + 60)
        display.move_pointer(mx + 128, my + 108)
        left, top, right, bottom = window["rect"]
        crop = f"{right - left + 2 * MARGIN}x{bottom - top + 2 * MARGIN}+{left - MARGIN}+{top - MARGIN}"
        subprocess.run(["import", "-display", display.name, "-window", "root", "-crop", crop,
                        "+repage", str(out)], check=True, timeout=60)
        release_and_cancel(wine, display, proc)
    finally:
        session.end_test()
        session.close()


def release_and_cancel(wine, display, proc):
    """Released over the model: the Save dialog comes, is cancelled, and the
    program ends."""
    display.xdotool("mouseup", 1)
    wine.probe.wait_window(caption="Save Snapshot", cls="#32770", visible=True, timeout=30)
    wine.probe.press(2, ctlclass="Button", caption="Save Snapshot", cls="#32770")
    wine.wait_for(lambda: not wine.probe.find_window(cls="tamblit95")["visible"], 30,
                  "the preview to close")
    exit_program(wine, proc)


NOTE = """Tamblit 95 picks the area on the frozen screen itself.

Move the pointer: the window under it is outlined,
and the magnifier shows the pixels around it.
Click to take that window, or drag out any area;
the arrow keys move the pointer by one pixel.
"""


def shoot_picker(out: Path) -> None:
    session = harness.Session()
    try:
        display = session.display(1024, 768, 24)
        wine = session.wine("shoot", display)
        fresh_settings(wine, source="Selected")
        wine.reg_set(SETTINGS + r"\Source", "Picker", "Screen")
        proc = start_resident(wine)
        note = wine.drive_c / "picking.txt"
        note.write_text(NOTE.replace("\n", "\r\n"))
        # Notepad opens where it was last closed: over the registry editor,
        # away from the screen's corner.
        for name, value in (("iWindowPosX", 150), ("iWindowPosY", 110), ("iWindowPosDX", 600), ("iWindowPosDY", 380)):
            wine.reg_set(r"HKCU\Software\Microsoft\Notepad", name, value, type="REG_DWORD")
        programs = [("regedit", None, "regedit.exe"), ("notepad", "C:\\picking.txt", "notepad.exe")]
        for exe, arg, image in programs:
            wine.start(exe, *([arg] if arg else []))
            wine.probe.wait_window(exe=image, visible=True, timeout=60)
        notepad = wine.probe.wait_window(exe="notepad.exe", visible=True, timeout=60)
        left, top, right, bottom = notepad["rect"]
        wine.probe.keys("ctrl+shift+s")
        wine.probe.wait_window(caption="Snapshot Area", visible=True, timeout=30)
        # Over the first line of the text, where the magnifier shows letters.
        display.move_pointer(left + 250, top + 52)
        time.sleep(1)  # Wine hands the window's pixels to X a moment later
        subprocess.run(["import", "-display", display.name, "-window", "root", str(out)], check=True, timeout=60)
        wine.probe.keys("esc", caption="Snapshot Area")
        wine.probe.wait_gone(caption="Snapshot Area", timeout=30)
        exit_program(wine, proc, by_message=True)  # the windows cover the tray
    finally:
        session.end_test()
        session.close()


AT_WORK_NOTE = ("Monday\r\n\r\n- send the printed plan to Anna\r\n- paste the chart into the report\r\n"
        "- snap the error box for the help desk\r\n- order paper for the printer\r\n")
DESKTOP_COLOUR = "#3a6ea5"
# Where the ordinary windows go, as (class, x, y, width, height); a window
# that keeps its own size is given None for the size.
DESKTOP_WINDOWS = [("Notepad", 30, 40, 420, 300),
                   ("WFS_Frame", 520, 60, 470, 330),
                   ("WineMine", 80, 420, None, None)]


def arrange(wine, display) -> None:
    """A desktop colour, then the ordinary windows, each moved to its place."""
    subprocess.run(["xsetroot", "-solid", DESKTOP_COLOUR], env=display.env, check=True, timeout=30)
    note = wine.drive_c / "note.txt"
    note.write_bytes(AT_WORK_NOTE.encode("ascii"))
    wine.start("notepad", "C:\\note.txt")
    wine.start("winefile", cwd=wine.drive_c)
    wine.start("winemine")
    for cls, x, y, w, h in DESKTOP_WINDOWS:
        hwnd = wine.probe.wait_window(cls=cls, visible=True, timeout=30)["hwnd"]
        xid = wine.wait_for(lambda: wine.xwindow_id(hwnd), 30, f"X window of {cls}")
        # Moved as X windows: with no window manager, X places them.
        if w is not None:
            display.xdotool("windowsize", "--sync", xid, w, h)
        display.xdotool("windowmove", "--sync", xid, x, y)


def shoot_at_work(out: Path) -> None:
    session = harness.Session()
    try:
        display = session.display(1024, 768, 24)
        wine = session.wine("shoot", display)
        fresh_settings(wine, source="Selected")
        proc = start_resident(wine)
        arrange(wine, display)
        wine.probe.keys("ctrl+shift+s")
        window = wait_preview(wine)
        mx, my = model_origin(window, wine.probe.screen())
        # A band over the model's picture of the note.
        display.move_pointer(mx + 12, my + 18)
        display.xdotool("mousedown", 1)
        display.move_pointer(mx + 228, my + 172)
        # Once the program has drawn the band for the last move, and Wine has
        # handed the window's pixels to X.
        wine.wait_for(lambda: tuple(wine.probe.screen()["cursor"]) == (mx + 228, my + 172), 10,
                      "the pointer at the band's corner")
        wine.probe.find_window(cls="tamblit95")
        time.sleep(1)
        subprocess.run(["import", "-display", display.name, "-window", "root", str(out)],
                       check=True, timeout=60)
        release_and_cancel(wine, display, proc)
    finally:
        session.end_test()
        session.close()


if __name__ == "__main__":
    args = sys.argv[1:]
    if args[:1] == ["--picker"]:
        shoot_picker(Path(args[1]) if len(args) > 1 else REPO / "docs" / "picker.png")
    elif args[:1] == ["--at-work"]:
        shoot_at_work(Path(args[1]) if len(args) > 1 else REPO / "docs" / "at-work.png")
    else:
        shoot(Path(args[0]) if args else REPO / "docs" / "preview.png")
