"""Takes the README's picture of the area preview: tamblit95 under Wine on a
virtual display of its own, a colour pattern on the screen, the hot key
pressed and a rubber band held over the model; the preview window and its
surroundings are written as a PNG. Run through tools/shoot-preview.sh."""

import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402
from preview import model_origin, wait_preview  # noqa: E402
from test_resident import exit_program, fresh_settings, start_resident  # noqa: E402

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


if __name__ == "__main__":
    shoot(Path(sys.argv[1]) if len(sys.argv) > 1 else REPO / "docs" / "preview.png")
