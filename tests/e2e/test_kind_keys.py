"""A key for each kind of snapshot: each takes its own kind, and a key held
down takes one snapshot."""

import pytest

from harness import compare_to_pattern, read_bmp
from test_resident import (DIALOG, IDOK, ID_KIND_KEYS, KIND_KEYS, SETTINGS, control, exit_program,
                           fresh_settings, holds_for, open_full_sign_on, save_snapshot, start_resident,
                           visible_save_dialogs)


@pytest.mark.parametrize("kind", list(KIND_KEYS))
def test_each_kind_of_snapshot_has_a_key_of_its_own(wine, kind):
    from preview import drag, model_origin, wait_preview
    # Setup's source is the active window: none of the keys below takes it.
    folder, _ = fresh_settings(wine, source="Window", kind_keys=KIND_KEYS)
    wine.reg_set(SETTINGS + r"\Source", "LastArea", "50,70,171,133")
    proc = start_resident(wine)
    assert not any(wine.probe.hotkey_free(keys) for keys, _ in KIND_KEYS.values())
    box = open_full_sign_on(wine, by_message=True)
    assert control(box, ID_KIND_KEYS)["text"] == ("Full screen: Ctrl+Alt+F   Active window: Ctrl+Alt+W"
                                                  "\nArea: Ctrl+Alt+A   Last area: Ctrl+Alt+L")
    # The list made room for itself: what follows it moved down.
    below = [c["rect"][1] for c in box["children"] if c["text"] == "Snapshots will be saved to:"]
    assert below and control(box, ID_KIND_KEYS)["rect"][3] <= below[0]
    wine.probe.press(IDOK, ctlclass="Button", hwnd=box["hwnd"])
    wine.probe.wait_gone(hwnd=box["hwnd"], timeout=15)
    pattern = wine.start_pattern(40, 60, 200, 140, title="Kind Pattern")
    screen = wine.probe.screen()

    wine.press_keys(KIND_KEYS[kind][0], window="Kind Pattern")
    if kind == "Area":
        ox, oy = model_origin(wait_preview(wine), screen)
        drag(wine, (ox + 20, oy + 30), (ox + 60, oy + 70))
    bmp = read_bmp(save_snapshot(wine, folder))
    x, y, w, h = {"FullScreen": (0, 0, screen["width"], screen["height"]),
                  "ActiveWindow": pattern.rect, "Area": (40, 60, 80, 80),
                  "LastArea": (50, 70, 121, 63)}[kind]
    assert (bmp.width, bmp.height) == (w, h)
    assert compare_to_pattern(bmp, (x, y), pattern.rect) == []
    # The area taken is the last area from now on.
    assert wine.reg_query(SETTINGS + r"\Source", "LastArea") == (
        "REG_SZ", "40,60,120,140" if kind == "Area" else "50,70,171,133")
    exit_program(wine, proc, by_message=True)


def test_a_held_key_takes_one_snapshot_and_a_fresh_press_another(wine):
    folder, _ = fresh_settings(wine, source="Screen")
    proc = start_resident(wine)
    wine.start_pattern(300, 300, 60, 40, title="Held Pattern")
    wine.focus_window("Held Pattern")
    wine.display.xdotool("keydown", "ctrl+shift+s")
    try:
        wine.probe.wait_window(caption="Save Snapshot", cls=DIALOG, visible=True, timeout=30)
        holds_for(lambda: len(visible_save_dialogs(wine)) == 1, "one Save dialog while held", 3)
    finally:
        wine.display.xdotool("keyup", "ctrl+shift+s")
    holds_for(lambda: len(visible_save_dialogs(wine)) == 1, "one Save dialog after", 1)
    # Let go and pressed again, inside the open dialog: a nested snapshot.
    wine.press_keys("ctrl+shift+s")
    wine.wait_for(lambda: len(visible_save_dialogs(wine)) == 2, 30, "a second Save dialog")
    for left in (1, 0):
        wine.probe.press(2, ctlclass="Button", hwnd=visible_save_dialogs(wine)[-1]["hwnd"])
        wine.wait_for(lambda: len(visible_save_dialogs(wine)) == left, 30, f"{left} Save dialogs left")
    wine.wait_for(lambda: visible_save_dialogs(wine) == [], 30, "the Save dialogs gone")
    assert list(folder.iterdir()) == []
    exit_program(wine, proc)
