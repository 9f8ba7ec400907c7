"""Takes the README's pictures of picking an area: tamblit95 under Wine on a
virtual display of its own. The preview: a colour pattern on the screen, the
hot key pressed and a rubber band held over the model; the preview window and
its surroundings are written as a PNG. With --picker, the picker on the
screen instead, over a desktop of Wine's own programs (the registry editor
and Notepad with a text), the pointer over Notepad so that its outline, the
crosshair and the magnifier show; the whole screen is written. Run through
tools/shoot-preview.sh."""

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
        # Released over the model: the Save dialog comes, and is cancelled.
        display.xdotool("mouseup", 1)
        wine.probe.wait_window(caption="Save Snapshot", cls="#32770", visible=True, timeout=30)
        wine.probe.press(2, ctlclass="Button", caption="Save Snapshot", cls="#32770")
        wine.wait_for(lambda: not wine.probe.find_window(cls="tamblit95")["visible"], 30,
                      "the preview to close")
        exit_program(wine, proc)
    finally:
        session.end_test()
        session.close()


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


if __name__ == "__main__":
    args = sys.argv[1:]
    if args[:1] == ["--picker"]:
        shoot_picker(Path(args[1]) if len(args) > 1 else REPO / "docs" / "picker.png")
    else:
        shoot(Path(args[0]) if args else REPO / "docs" / "preview.png")
