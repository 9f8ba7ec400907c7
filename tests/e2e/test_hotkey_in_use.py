"""A hot key that another program already holds: tamblit95 says so once, at
start-up and whenever Setup registers the key again, naming the key and what
it takes, leaves the other program its key and runs on with the others until
a free key is chosen."""

import time

import pytest

pytest.importorskip("test_resident")
from test_resident import (CAPTION, DIALOG, SETTINGS, exit_program, fresh_settings,  # noqa: E402
                           holds_for, open_full_sign_on, start_program)
from test_settings_resident import close_setup, open_setup  # noqa: E402
from settings_dialogs import IDCANCEL, IDOK  # noqa: E402

IN_USE = ("The hot key Ctrl+Shift+S is in use by another program. "
          "Choose another hot key in Setup.")


def error_boxes(wine):
    return [w for w in wine.probe.list(caption="Error", cls=DIALOG) if w["visible"]]


def answer_the_one_error_box(wine, key="Ctrl+Shift+S"):
    assert wine.probe.answer_message_box("Error", timeout=30) == IN_USE.replace("Ctrl+Shift+S", key)
    wine.probe.wait_gone(caption="Error", cls=DIALOG, timeout=15)
    # A second box would follow the first at once; watch for it a while.
    deadline = time.monotonic() + 2
    while time.monotonic() < deadline:
        assert error_boxes(wine) == []


def test_key_held_elsewhere_is_reported_once_and_setup_can_choose_another(wine):
    folder, _ = fresh_settings(wine)
    other = wine.probe.listen_hotkey("ctrl+shift+s", timeout=240)
    proc = start_program(wine)

    # After the start-up sign-on, one box naming the key.
    wine.probe.wait_gone(caption=CAPTION, cls=DIALOG, timeout=30)
    answer_the_one_error_box(wine)
    assert proc.alive and len(wine.tray_icons()) == 1

    # Setup registers the key again when it closes: Cancel keeps the taken key.
    setup = open_setup(wine, open_full_sign_on(wine))
    close_setup(setup, IDCANCEL)
    answer_the_one_error_box(wine)

    # A free key chosen in Setup is taken without a word and works.
    setup = open_setup(wine, open_full_sign_on(wine))
    setup.type_keys("ctrl+alt+k")
    close_setup(setup, IDOK)
    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+alt+k"), 15, "the new key held")
    assert error_boxes(wine) == []
    wine.probe.close(caption=CAPTION, cls=DIALOG)  # the full sign-on box
    wine.probe.keys("ctrl+alt+k")
    target = folder / "snap.bmp"
    wine.probe.save_dialog_answer(target, caption="Save Snapshot", timeout=30)
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot file created."
    assert target.exists()

    # The other program never lost its key.
    wine.probe.keys("ctrl+shift+s")
    assert other.result()["received"]
    exit_program(wine, proc)


def test_a_kind_key_held_elsewhere_is_named_with_its_kind_and_the_others_work(wine):
    fresh_settings(wine, kind_keys=("FullScreen", "Area", "LastArea"))
    # The last-area key is Print Screen alone, which Windows 11 keeps for its tool.
    wine.reg_set(SETTINGS + r"\HotKeys", "LastArea", "0x002C")
    wine.reg_set(r"HKCU\Control Panel\Keyboard", "PrintScreenKeyForSnippingEnabled", 1, "REG_DWORD")
    other = wine.probe.listen_hotkey("ctrl+alt+f", timeout=240)
    try:
        proc = start_program(wine)
        wine.probe.wait_gone(caption=CAPTION, cls=DIALOG, timeout=30)
        assert wine.probe.answer_message_box("Error", timeout=30) == (
            "The hot key Ctrl+Alt+F for the full screen is in use by another program. "
            "Choose another hot key in Setup.")
        note = wine.probe.answer_message_box(CAPTION, timeout=30)
        assert "Print Screen key to its own snipping tool" in note and "Accessibility" in note
        assert not wine.probe.hotkey_free("ctrl+shift+s") and not wine.probe.hotkey_free("ctrl+alt+a")
        # Setup takes the keys again: the taken one is told again, the note not.
        setup = open_setup(wine, open_full_sign_on(wine))
        close_setup(setup, IDCANCEL)
        answer_the_one_error_box(wine, "Ctrl+Alt+F for the full screen")
        holds_for(lambda: len([w for w in wine.probe.list(caption=CAPTION, cls=DIALOG) if w["visible"]]) == 1,
                  "the sign-on box and no second note", 2)
        wine.probe.keys("ctrl+alt+f")
        assert other.result()["received"]
        exit_program(wine, proc)
    finally:
        wine.reg_delete_value(r"HKCU\Control Panel\Keyboard", "PrintScreenKeyForSnippingEnabled")
