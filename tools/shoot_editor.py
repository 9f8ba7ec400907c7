"""Takes the README's picture of the Edit Snapshot window, docs/editor.png:
a Notepad window of meeting notes snapped with the hot key and marked with a
box, an arrow, a highlight, text and a pixelated password, over a desktop of
document windows (tools/bench_screen.py), under Wine on a display of its own.
Run through tools/shoot-dialogs.sh."""

import subprocess
import sys
import tempfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(REPO / "tools"))

import bench_screen  # noqa: E402
from shoot_dialogs import shoot  # noqa: E402
from test_editor import EDITOR, IDYES  # noqa: E402
from test_resident import SETTINGS, exit_program, fresh_settings, start_resident  # noqa: E402

NOTES = ("Project meeting, Tuesday 14 March\r\n\r\n"
         "Present: Ann Baker, Carl Dunn, Eva Field\r\n"
         "Customer: Harbour Lane Books, 12 Harbour Lane, Port Ellis\r\n"
         "Shared drive password: tulip-4471-sky\r\n\r\n"
         "Decided: the new catalogue goes out on 1 April.\r\n"
         "To do: Carl sends the price list by Friday.\r\n")


def show_desktop(display, folder):
    picture = folder / "desktop.png"
    bench_screen.make(display.width, display.height).save(picture)
    subprocess.run(["display-im6.q16", "-window", "root", str(picture)], env=display.env,
                   stderr=subprocess.DEVNULL)


def mark(wine, origin, line):
    """Marks on the notes, by text line (line(n) gives the top pixel row of line n)."""
    d = wine.display

    def drag(a, b):
        d.move_pointer(origin[0] + a[0], origin[1] + a[1])
        d.xdotool("mousedown", 1)
        d.move_pointer(origin[0] + (a[0] + b[0]) // 2, origin[1] + (a[1] + b[1]) // 2)
        d.move_pointer(origin[0] + b[0], origin[1] + b[1])
        d.xdotool("mouseup", 1)

    def key(k):
        wine.press_keys(k, window=EDITOR)

    key("h")
    drag((3, line(6) - 2), (335, line(7) - 3))
    key("p")
    drag((160, line(4) - 2), (268, line(5) - 3))
    key("r")
    drag((1, line(2) - 4), (292, line(3) - 2))
    key("a")
    drag((360, line(8) + 30), (262, line(3) + 1))
    key("t")
    wine.click(origin[0] + 300, origin[1] + line(8) + 34)
    key("N a m e s space o f space c l i e n t s")
    key("Escape")


def main(folder: Path) -> None:
    import harness
    session = harness.Session()
    try:
        display = session.display(1024, 768, 24)
        wine = session.wine("editorshot", display)
        with tempfile.TemporaryDirectory() as tmp:
            show_desktop(display, Path(tmp))
        fresh_settings(wine, source="Window", destination="File")
        wine.reg_set(SETTINGS + r"\Preferences", "Edit", "On")
        proc = start_resident(wine)
        notes = wine.drive_c / "notes.txt"
        notes.write_bytes(NOTES.encode("ascii"))
        wine.start("notepad", "C:\\notes.txt")
        pad = wine.probe.wait_window(cls="Notepad", visible=True, timeout=30)
        wine.press_keys("ctrl+shift+s", window=pad["hwnd"])
        frame = wine.probe.wait_window(caption=EDITOR, cls="TamblitEditSnapshot", visible=True,
                                       timeout=30)
        canvas = next(c for c in frame["children"] if c["class"] == "TamblitEditCanvas")
        edit = next(c for c in pad["children"] if c["class"].lower() == "edit")
        # Picture pixels of the notes' lines: the snapshot is the Notepad
        # window, its text a line every 14 pixels from the edit's top.
        top = edit["rect"][1] - pad["rect"][1] + 4
        left = edit["rect"][0] - pad["rect"][0]
        origin = (canvas["rect"][0] + left, canvas["rect"][1])
        mark(wine, origin, lambda n: top + 14 * n)
        shoot(display, wine.probe.find_window(hwnd=frame["hwnd"]), folder / "editor.png")
        wine.press_keys("Escape", window=EDITOR)
        wine.probe.answer_message_box(EDITOR, button=IDYES, timeout=20)
        exit_program(wine, proc, by_message=True)  # Notepad covers the tray
    finally:
        session.end_test()
        session.close()


if __name__ == "__main__":
    main(Path(sys.argv[1]) if len(sys.argv) > 1 else REPO / "docs")
