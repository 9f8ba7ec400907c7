"""The Setup dialog inside the resident tamblit95: opened from the sign-on box
that the tray icon brings up, with the program's own global hot key and a
restart that has to bring every saved choice back."""

import pytest

from dialog_keys import focused_id, ink_right_gap, press, tab_order
# The resident program's own helpers (starting it, the tray, the sign-on box).
pytest.importorskip("test_resident")
from test_resident import (CAPTION, DIALOG, ID_DESTINATION, ID_EXIT, ID_HELP,  # noqa: E402
                           ID_HOTKEY as ID_SIGNON_HOTKEY, ID_SETUP as ID_SIGNON_SETUP, IDOK,
                           control, exit_program, fresh_settings, full_sign_on,
                           holds_for, open_full_sign_on, post_tray_click, sign_on_boxes,
                           start_program, start_resident)
from settings_dialogs import (  # noqa: E402
    ID_8BIT, ID_24BIT, ID_ACTIVEWINDOW, ID_BOTTOM, ID_DELAY, ID_DIRECTORY, ID_HOTKEY, ID_KEYS,
    ID_KEY_AREA, ID_KEY_FULLSCREEN, ID_KEY_LASTAREA, ID_LEFT, ID_PICKSCREEN, ID_POINTER, ID_RIGHT,
    ID_SAVE, ID_SELECTABLE, ID_SOUND, ID_TOCLIPBOARD, ID_TOFILE, ID_TOP, ID_TOPRINTER, IDCANCEL, SETTINGS,
    SETUP_CAPTION, SetupDialog,
    margin_texts, stored_values)
from test_area_picker import PICKER, waiting_picker  # noqa: E402


def open_setup(wine, box):
    wine.probe.press(ID_SIGNON_SETUP, ctlclass="Button", hwnd=box["hwnd"])
    return SetupDialog(wine)


def close_setup(setup, button):
    setup.press(button)
    setup.probe.wait_gone(**setup.sel)


def sign_on_now(wine, box):
    return wine.probe.find_window(hwnd=box["hwnd"])


def test_ok_in_setup_takes_effect_at_once_and_writes_nothing(wine):
    fresh_settings(wine)
    before = stored_values(wine)
    new_dir = wine.drive_c / "new snaps"
    new_dir.mkdir(exist_ok=True)
    (new_dir / "snap001.bmp").write_bytes(b"taken")
    proc = start_resident(wine)
    box = open_full_sign_on(wine)

    setup = open_setup(wine, box)
    assert wine.probe.hotkey_free("ctrl+shift+s")  # not held while Setup is open
    setup.set_directory("C:\\new snaps")
    setup.click(ID_ACTIVEWINDOW)
    setup.click(ID_TOCLIPBOARD)
    setup.click(ID_SOUND)  # the fresh settings have it off: now on
    setup.type_keys("ctrl+alt+k")
    close_setup(setup, IDOK)

    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+alt+k"), 15, "the new hot key held")
    assert wine.probe.hotkey_free("ctrl+shift+s")
    box = sign_on_now(wine, box)
    assert control(box, ID_DESTINATION)["text"] == "Clipboard"
    assert control(box, ID_SIGNON_HOTKEY)["hotkey"] == 0x064B
    # OK alone writes nothing: the registry holds what it held before.
    assert stored_values(wine) == before

    # The record holds every choice: Setup opens with them, directory as typed.
    setup = open_setup(wine, box)
    assert setup.control(ID_DIRECTORY)["text"] == "C:\\new snaps\\"
    assert setup.checked(ID_ACTIVEWINDOW) and setup.checked(ID_TOCLIPBOARD) and setup.checked(ID_SOUND)
    assert setup.control(ID_HOTKEY)["hotkey"] == 0x064B
    # Back to the file destination, so that the next snapshot shows where it goes.
    setup.click(ID_TOFILE)
    close_setup(setup, IDOK)
    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+alt+k"), 15, "the new hot key held again")

    # The new key takes a snapshot, proposed in the new directory under its
    # first free name.
    wine.probe.press(IDOK, ctlclass="Button", hwnd=box["hwnd"])
    wine.probe.wait_gone(hwnd=box["hwnd"], timeout=30)
    wine.press_keys("ctrl+alt+k", window=wine.tray_window())
    wine.probe.wait_window(caption="Save Snapshot", cls=DIALOG, visible=True, timeout=30)
    name = wine.wait_for(lambda: wine.probe.control(id=1148, ctlclass="Edit", caption="Save Snapshot")["text"],
                         10, "the proposed name")
    assert name == "snap002.bmp"
    assert wine.probe.control(id=1137, ctlclass="ComboBox", caption="Save Snapshot")["text"] == "new snaps"
    wine.probe.press(IDCANCEL, ctlclass="Button", caption="Save Snapshot", cls=DIALOG)
    wine.probe.wait_gone(caption="Save Snapshot", cls=DIALOG, timeout=30)
    assert sorted(p.name for p in new_dir.iterdir()) == ["snap001.bmp"]
    exit_program(wine, proc)


def test_pick_on_screen_chosen_builds_its_window_ahead_and_unchosen_drops_it(wine):
    fresh_settings(wine)
    proc = start_resident(wine)
    box = open_full_sign_on(wine)
    assert wine.probe.list(cls=PICKER["cls"]) == []
    setup = open_setup(wine, box)
    setup.click(ID_SELECTABLE)
    setup.click(ID_PICKSCREEN)
    close_setup(setup, IDOK)
    waiting_picker(wine, (0, 0, 1024, 768))
    setup = open_setup(wine, box)
    setup.click(ID_PICKSCREEN)
    close_setup(setup, IDOK)
    wine.wait_for(lambda: wine.probe.list(cls=PICKER["cls"]) == [], 10, "the waiting window gone")
    exit_program(wine, proc)


def test_cancel_in_setup_keeps_the_hot_key_and_the_sign_on(wine):
    _, stored = fresh_settings(wine)
    proc = start_resident(wine)
    box = open_full_sign_on(wine)

    setup = open_setup(wine, box)
    setup.set_directory("C:\\elsewhere")
    setup.click(ID_TOCLIPBOARD)
    setup.type_keys("ctrl+alt+k")
    close_setup(setup, IDCANCEL)

    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+shift+s"), 15, "the old hot key held again")
    assert wine.probe.hotkey_free("ctrl+alt+k")
    box = sign_on_now(wine, box)
    assert control(box, ID_DESTINATION)["text"] == stored.upper()
    assert control(box, ID_SIGNON_HOTKEY)["hotkey"] == 0x0353
    exit_program(wine, proc)


def test_save_in_setup_survives_a_restart(wine):
    fresh_settings(wine)
    (wine.drive_c / "Saved" / "Snaps").mkdir(parents=True, exist_ok=True)
    proc = start_resident(wine)
    box = open_full_sign_on(wine)

    setup = open_setup(wine, box)
    setup.set_directory("c:\\Saved\\Snaps")
    setup.click(ID_ACTIVEWINDOW)
    setup.click(ID_TOPRINTER)
    setup.click(ID_SOUND)  # the fresh settings have it off: now on
    setup.type_keys("ctrl+alt+k")
    page = setup.open_page_setup()
    for id, text in ((ID_LEFT, "1.25"), (ID_TOP, "0"), (ID_RIGHT, "2.05"), (ID_BOTTOM, "20")):
        wine.probe.set_text(id, text, **page)
    wine.probe.press(IDOK, **page)
    wine.probe.wait_gone(**page)
    close_setup(setup, ID_SAVE)
    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+alt+k"), 15, "the new hot key held")
    box = sign_on_now(wine, box)
    assert control(box, ID_DESTINATION)["text"] == "Printer"
    exit_program(wine, proc)

    proc = start_resident(wine, keys="ctrl+alt+k")
    assert wine.probe.hotkey_free("ctrl+shift+s")
    box = open_full_sign_on(wine)
    assert control(box, ID_DESTINATION)["text"] == "Printer"
    assert control(box, ID_SIGNON_HOTKEY)["hotkey"] == 0x064B

    setup = open_setup(wine, box)
    assert setup.control(ID_DIRECTORY)["text"] == "C:\\SAVED\\SNAPS\\"  # upper-cased on loading
    assert setup.checked(ID_24BIT) and not setup.enabled(ID_8BIT)
    assert setup.checked(ID_ACTIVEWINDOW) and setup.checked(ID_TOPRINTER) and setup.checked(ID_SOUND)
    assert setup.control(ID_HOTKEY)["hotkey"] == 0x064B
    page = setup.open_page_setup()
    assert margin_texts(wine.probe, page) == {ID_LEFT: "1.25", ID_TOP: "0.00", ID_RIGHT: "2.05",
                                              ID_BOTTOM: "20.00"}
    wine.probe.press(IDCANCEL, **page)
    wine.probe.wait_gone(**page)
    close_setup(setup, IDCANCEL)
    assert control(sign_on_now(wine, box), ID_DESTINATION)["text"] == "Printer"
    exit_program(wine, proc)


def foreground(wine):
    return wine.probe.run("list", "--caption", "no such window")[1]["foreground"]


def test_tray_clicks_bring_the_open_dialog_forward_and_our_own_key_is_not_in_use(wine):
    fresh_settings(wine)
    proc = start_program(wine)
    # During the start-up box, which then stays as the full one: the start-up
    # ends only when it closes, after Setup has taken the key already.
    post_tray_click(wine)
    box = wine.wait_for(lambda: full_sign_on(wine), 15, "the full sign-on box")
    setup = open_setup(wine, box)
    wine.start_pattern(600, 400, 60, 40, title="Other Window")
    for front in (setup.open_page_setup(), setup.sel):
        wine.probe.focus(caption="Other Window")
        wine.click_tray_icon(button=1)
        wine.wait_for(lambda: foreground(wine) == front["hwnd"], 15, "the dialog in front")
        holds_for(lambda: len(sign_on_boxes(wine)) == 1
                  and len(wine.probe.list(caption=SETUP_CAPTION, cls=DIALOG)) == 1,
                  "one sign-on box, one Setup")
        if front is not setup.sel:
            wine.probe.press(IDCANCEL, **front)
            wine.probe.wait_gone(**front)
    close_setup(setup, IDOK)
    wine.probe.press(IDOK, ctlclass="Button", hwnd=box["hwnd"])
    wine.probe.wait_gone(caption=CAPTION, cls=DIALOG, timeout=30)
    holds_for(lambda: wine.probe.find_window(caption="Error", cls=DIALOG) is None, "no error box")
    assert not wine.probe.hotkey_free("ctrl+shift+s")
    exit_program(wine, proc)


def test_sign_on_keyboard_and_the_longest_hot_key(wine):
    fresh_settings(wine, hot_key=0x0791)  # Ctrl + Shift + Alt + Scroll Lock
    proc = start_resident(wine, keys="ctrl+shift+alt+vk0x91")
    box = open_full_sign_on(wine)
    hwnd = box["hwnd"]
    assert ink_right_gap(wine, control(box, ID_SIGNON_HOTKEY)) >= 2
    # The focus starts on OK, so that Enter closes the box; Tab goes in reading order.
    assert focused_id(wine.probe, hwnd) == IDOK
    tab_order(wine, hwnd, [ID_EXIT, ID_SIGNON_SETUP, ID_HELP, IDOK])
    press(wine, hwnd, "alt+s")
    setup = SetupDialog(wine)
    press(wine, setup.window["hwnd"], "Escape")
    wine.probe.wait_gone(**setup.sel)
    press(wine, hwnd, "Return")
    wine.probe.wait_gone(hwnd=hwnd)

    box = open_full_sign_on(wine)
    press(wine, box["hwnd"], "alt+x")
    assert proc.wait(60) == 0



def test_keys_dialog_refuses_one_key_twice_and_save_keeps_every_choice(wine):
    fresh_settings(wine)
    proc = start_resident(wine)
    box = open_full_sign_on(wine)
    setup = open_setup(wine, box)
    setup.press(ID_KEYS)
    keys = {"hwnd": wine.probe.wait_window(caption="Snapshot Keys", cls=DIALOG, visible=True,
                                           timeout=15)["hwnd"]}
    assert [c["text"] for c in wine.probe.text_fit(**keys)
            if c["need"][0] > c["have"][0] or c["need"][1] > c["have"][1]] == []
    for id, typed in ((ID_KEY_FULLSCREEN, "ctrl+alt+k"), (ID_KEY_AREA, "ctrl+alt+k"),
                      (ID_KEY_LASTAREA, "ctrl+shift+s")):
        wine.probe.keys(typed, id=id, **keys)
    wine.probe.set_text(ID_DELAY, "31", **keys)
    # Each refusal names what to put right, and the dialog stays for it.
    for expected, (id, fix) in (
            ("The delay is 0 to 30 seconds.", (ID_DELAY, "3")),
            ("Ctrl+Shift+S is set both for the source chosen in Setup and for the last area. "
             "Choose another key for one of them.", (ID_KEY_LASTAREA, "ctrl+alt+l")),
            ("Ctrl+Alt+K is set both for the full screen and for an area. "
             "Choose another key for one of them.", (ID_KEY_AREA, "ctrl+alt+j"))):
        wine.probe.press(IDOK, **keys)
        assert wine.probe.answer_message_box("Error", timeout=15) == expected
        assert wine.probe.find_window(**keys)["visible"]
        if id == ID_DELAY:
            wine.probe.set_text(id, fix, **keys)
        else:
            wine.probe.keys(fix, id=id, **keys)
    wine.probe.press(ID_POINTER, bm_click=True, **keys)
    wine.probe.press(IDOK, **keys)
    wine.probe.wait_gone(**keys)
    close_setup(setup, ID_SAVE)

    for held in ("ctrl+shift+s", "ctrl+alt+k", "ctrl+alt+j", "ctrl+alt+l"):
        wine.wait_for(lambda: not wine.probe.hotkey_free(held), 15, f"{held} held")
    values = stored_values(wine)
    assert {k: v for k, v in values.items() if k.startswith("HotKeys\\")} == {
        "HotKeys\\FullScreen": ("REG_SZ", "0x064B"), "HotKeys\\ActiveWindow": ("REG_SZ", "0x0000"),
        "HotKeys\\Area": ("REG_SZ", "0x064A"), "HotKeys\\LastArea": ("REG_SZ", "0x064C")}
    assert values["Preferences\\Delay"] == ("REG_DWORD", 3)
    assert values["Preferences\\Pointer"] == ("REG_SZ", "On")
    # The sign-on box lists the keys of the kinds.
    assert control(sign_on_now(wine, box), 1107)["text"] == (
        "Full screen: Ctrl+Alt+K   Area: Ctrl+Alt+J\nLast area: Ctrl+Alt+L")
    exit_program(wine, proc)
