"""The Setup and Page Setup dialogs driven through the UI probe, opened by
tests/drivers/settingsdriver.exe over the record that LoadSettings gives."""

import pytest

from dialog_keys import focused_id, ink_right_gap, keys_reach, press, tab_order
from settings_dialogs import (
    DEFAULTS, DIALOG, IDCANCEL, IDOK, ID_24BIT, ID_8BIT, ID_ACTIVEWINDOW, ID_BOTTOM, ID_DIRECTORY,
    ID_EDIT, ID_FULLSCREEN, ID_HOTKEY, ID_KEYS, ID_LEFT, ID_PAGESETUP, ID_PICKSCREEN, ID_RIGHT,
    ID_SAVE, ID_SELECTABLE, ID_SOUND, ID_TOCLIPBOARD, ID_TOFILE, ID_TOP, ID_TOPRINTER,
    KEYS_SAVED_UNSET, MARGINS_CAPTION, SETTINGS, SetupRun,
    margin_texts, parse_record, stored_values)


# ---------------------------------------------------------------- Setup dialog

def test_deep_display_checks_24_bit_disables_8_bit_and_keeps_it_after_cancel(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, bitsPerPixel=8)
    assert setup.checked(ID_24BIT) and not setup.checked(ID_8BIT)
    assert not setup.enabled(ID_8BIT) and setup.enabled(ID_24BIT)
    record = setup.finish(IDCANCEL)
    assert record["result"] == 0
    assert record["bitsPerPixel"] == 24


def test_palette_display_offers_both_depths(wine8):
    wine8.reg_delete_key(SETTINGS)
    setup = SetupRun(wine8)
    assert setup.checked(ID_8BIT) and not setup.checked(ID_24BIT)
    assert setup.enabled(ID_8BIT) and setup.enabled(ID_24BIT)
    setup.click(ID_24BIT)
    record = setup.finish(IDOK)
    assert (record["result"], record["bitsPerPixel"]) == (1, 24)

    setup = SetupRun(wine8, bitsPerPixel=16)  # anything but 24 shows as 8 bits
    assert setup.checked(ID_8BIT)
    assert setup.finish(IDOK)["bitsPerPixel"] == 8


def test_controls_show_the_record(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, snapshotDir="c:\\Snaps\\", source=2, destination=3, sound=1,
                     hotKeyCode=0x0653)
    assert setup.control(ID_DIRECTORY)["text"] == "c:\\Snaps\\"
    assert [setup.checked(i) for i in (ID_FULLSCREEN, ID_ACTIVEWINDOW, ID_SELECTABLE)] == [0, 1, 0]
    assert [setup.checked(i) for i in (ID_TOFILE, ID_TOPRINTER, ID_TOCLIPBOARD)] == [0, 0, 1]
    # The sound box lies among the destination ids and is still checked.
    assert setup.checked(ID_SOUND)
    assert setup.control(ID_HOTKEY)["hotkey"] == 0x0653
    setup.finish(IDCANCEL)

    setup = SetupRun(wine24, source=7, destination=9, sound=0)
    assert setup.checked(ID_SELECTABLE) and setup.checked(ID_TOCLIPBOARD)
    assert not setup.checked(ID_SOUND)
    setup.finish(IDCANCEL)


def test_ok_changes_the_record_but_not_the_registry(wine24):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    (wine.drive_c / "shots").mkdir(exist_ok=True)
    setup = SetupRun(wine)
    assert setup.probe.hotkey_free("ctrl+shift+s")  # unregistered while the dialog is open
    setup.set_directory("C:\\shots")
    setup.click(ID_SELECTABLE)
    setup.click(ID_TOPRINTER)
    setup.click(ID_SOUND)
    record = setup.finish(IDOK)
    assert record == dict(DEFAULTS, bitsPerPixel=24, snapshotDir="C:\\shots\\", source=3,
                          destination=2, sound=0, result=1, hotKeyBefore=1, hotKeyAfter=1)
    assert wine.reg_values(SETTINGS) is None


def test_save_writes_every_value_and_closes_with_one(wine24):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    setup = SetupRun(wine, leftMargin=125)
    setup.set_directory("")
    setup.click(ID_ACTIVEWINDOW)
    setup.click(ID_TOCLIPBOARD)
    setup.type_keys("ctrl+alt+p")
    record = setup.finish(ID_SAVE)
    assert record["result"] == 1
    assert record["snapshotDir"] == "\\"
    assert record["hotKeyCode"] == 0x0650
    assert stored_values(wine) == {
        "Directories\\SnapshotDir": ("REG_SZ", "\\"),
        "Format\\BitsPerPixel": ("REG_DWORD", 24),
        "Format\\FileType": ("REG_SZ", "BMP"),
        "Source\\Area": ("REG_SZ", "Window"),
        "Source\\Picker": ("REG_SZ", "Model"),
        "Destination\\Device": ("REG_SZ", "Clipboard"),
        "Preferences\\Sound": ("REG_SZ", "On"),
        "Preferences\\Edit": ("REG_SZ", "Off"),
        "PageSetup\\LeftMargin": ("REG_DWORD", 125),
        "PageSetup\\TopMargin": ("REG_DWORD", 50),
        "PageSetup\\RightMargin": ("REG_DWORD", 50),
        "PageSetup\\BottomMargin": ("REG_DWORD", 50),
        "HotKey\\Code": ("REG_SZ", "0x0650"),
        **KEYS_SAVED_UNSET,
    }


def test_cancel_leaves_the_record_and_registers_the_old_hot_key_again(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, source=2, destination=2, sound=1)
    setup.set_directory("E:\\elsewhere")
    setup.click(ID_FULLSCREEN)
    setup.click(ID_TOFILE)
    setup.click(ID_SOUND)
    setup.type_keys("ctrl+alt+q")
    record = setup.finish(IDCANCEL)
    assert record == dict(DEFAULTS, bitsPerPixel=24, source=2, destination=2, result=0,
                          hotKeyBefore=1, hotKeyAfter=1)


def test_close_box_ends_the_dialog_like_cancel(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24)
    setup.click(ID_TOCLIPBOARD)
    setup.probe.close(**setup.sel)
    assert setup.proc.wait(30) == 0
    record = parse_record(setup.out.read_text())
    assert (record["result"], record["destination"]) == (0, 1)


def refusal(probe, hwnd, button, focus):
    """Presses button in dialog hwnd, and returns the text of the box, owned by
    the dialog, that refuses it; the dialog stays open with the focus on the
    entry to mend."""
    probe.press(button, hwnd=hwnd)
    box = probe.wait_window(caption="Error", cls=DIALOG, visible=True, timeout=15)
    assert box["owner"] == hwnd
    text = probe.answer_message_box("Error")
    probe.wait_gone(hwnd=box["hwnd"])
    assert focused_id(probe, hwnd) == focus
    return text


TOO_LONG = ("The snapshot directory is too long: at most 99 characters, the backslash at its end "
            "included.")


@pytest.mark.parametrize("button", [IDOK, ID_SAVE])
def test_unusable_directory_or_no_hot_key_keeps_the_dialog_open(wine24, button):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    setup = SetupRun(wine, snapshotDir="C:\\OLD\\")
    setup.set_directory("C:\\" + "a" * 96)  # 99 characters: no room for the backslash
    setup.type_keys("a", id=ID_DIRECTORY)  # the box takes no more
    assert setup.control(ID_DIRECTORY)["text"] == "C:\\" + "a" * 96
    assert refusal(setup.probe, setup.window["hwnd"], button, ID_DIRECTORY) == TOO_LONG
    setup.set_directory("C:\\no such folder")
    assert refusal(setup.probe, setup.window["hwnd"], button, ID_DIRECTORY) == (
        "The directory C:\\no such folder\\ does not exist. Type the name of an existing "
        "directory for the snapshots.")
    setup.set_directory("C:\\")
    setup.type_keys("backspace")
    assert refusal(setup.probe, setup.window["hwnd"], button, ID_HOTKEY) == (
        "Choose a hot key: without one, no snapshot can be taken.")
    record = setup.finish(IDCANCEL)
    assert (record["snapshotDir"], record["hotKeyCode"]) == ("C:\\OLD\\", 0x0353)
    assert wine.reg_values(SETTINGS) is None

    (wine.drive_c / ("b" * 95)).mkdir(exist_ok=True)
    setup = SetupRun(wine)
    setup.set_directory("C:\\" + "b" * 95)  # 98: room for the backslash
    assert setup.finish(button)["snapshotDir"] == "C:\\" + "b" * 95 + "\\"


@pytest.mark.parametrize("keys,codes", [
    ("s", {0x0453}),             # no modifier: Alt is added
    # Windows' control adds Alt to the Shift typed (Shift+Alt+S); Wine's puts
    # Alt in its place (Alt+S). Either way the combination carries Alt.
    ("shift+s", {0x0553, 0x0453}),
    ("ctrl+s", {0x0253}),
    ("ctrl+alt+s", {0x0653}),
    ("ctrl+shift+f5", {0x0374}),
])
def test_hot_key_control_rules(wine24, keys, codes):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24)
    setup.type_keys(keys)
    code = setup.control(ID_HOTKEY)["hotkey"]
    assert code in codes
    assert setup.finish(IDOK)["hotKeyCode"] == code


def test_hot_key_typed_through_real_x_input(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24)
    setup.probe.focus(id=ID_HOTKEY, **setup.sel)
    wine24.press_keys("ctrl+alt+k", window=setup.window["hwnd"])
    wine24.wait_for(lambda: setup.control(ID_HOTKEY)["hotkey"] == 0x064B, 10, "Ctrl+Alt+K in the control")
    assert setup.finish(IDOK)["hotKeyCode"] == 0x064B


def test_page_setup_is_enabled_only_while_printer_is_chosen(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=1)
    assert not setup.enabled(ID_PAGESETUP)
    setup.click(ID_TOPRINTER)
    assert setup.enabled(ID_PAGESETUP)
    setup.click(ID_TOCLIPBOARD)
    assert not setup.enabled(ID_PAGESETUP)
    setup.click(ID_TOPRINTER)
    setup.click(ID_TOFILE)
    assert not setup.enabled(ID_PAGESETUP)
    setup.finish(IDCANCEL)

    setup = SetupRun(wine24, destination=2)
    assert setup.enabled(ID_PAGESETUP)
    setup.finish(IDCANCEL)


def test_pick_on_screen_is_offered_with_the_selectable_area_only_and_saved(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, source=1, picker=2)
    assert setup.checked(ID_PICKSCREEN) and not setup.enabled(ID_PICKSCREEN)
    setup.click(ID_SELECTABLE)
    assert setup.enabled(ID_PICKSCREEN)
    setup.click(ID_PICKSCREEN)
    assert not setup.checked(ID_PICKSCREEN)
    setup.click(ID_PICKSCREEN)
    record = setup.finish(ID_SAVE)
    assert (record["source"], record["picker"]) == (3, 2)
    assert wine24.reg_query(SETTINGS + r"\Source", "Picker") == ("REG_SZ", "Screen")


def test_keyboard_reaches_every_control_in_reading_order(wine24):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    setup = SetupRun(wine, destination=2, sound=1)
    hwnd = setup.window["hwnd"]
    assert focused_id(setup.probe, hwnd) == ID_DIRECTORY
    # 8-Bit is disabled on this display; a radio group is entered at its checked button.
    tab_order(wine, hwnd, [IDOK, IDCANCEL, ID_SAVE, ID_KEYS, ID_24BIT, ID_FULLSCREEN, ID_SOUND, ID_EDIT,
                           ID_HOTKEY, ID_TOPRINTER, ID_PAGESETUP, ID_DIRECTORY])
    # Each underlined letter leads to its own control (the hot key box takes
    # every key it gets, so Tab leaves it first).
    keys_reach(wine, hwnd, [("alt+h", ID_HOTKEY), ("Tab", ID_TOPRINTER), ("alt+d", ID_DIRECTORY),
                            ("alt+w", ID_ACTIVEWINDOW), ("alt+a", ID_SELECTABLE),
                            ("alt+l", ID_TOCLIPBOARD), ("alt+k", ID_TOFILE), ("alt+p", ID_TOPRINTER),
                            ("alt+n", ID_SOUND), ("alt+b", ID_EDIT), ("alt+2", ID_24BIT),
                            ("alt+f", ID_FULLSCREEN)])

    press(wine, hwnd, "alt+g")
    page = setup.probe.wait_window(caption=MARGINS_CAPTION, cls=DIALOG, visible=True, timeout=15)
    assert focused_id(setup.probe, page["hwnd"]) == ID_LEFT
    tab_order(wine, page["hwnd"], [ID_TOP, ID_RIGHT, ID_BOTTOM, IDOK, IDCANCEL, ID_LEFT])
    keys_reach(wine, page["hwnd"], [("alt+b", ID_BOTTOM), ("alt+r", ID_RIGHT), ("alt+t", ID_TOP),
                                    ("alt+l", ID_LEFT)])
    press(wine, page["hwnd"], "alt+c")
    setup.probe.wait_gone(hwnd=page["hwnd"])

    press(wine, hwnd, "alt+o")
    assert setup.proc.wait(30) == 0
    record = parse_record(setup.out.read_text())
    assert (record["result"], record["source"], record["destination"], record["sound"]) == (1, 1, 2, 0)


# Ctrl + Shift + Alt with Insert, and with Scroll Lock, the longest key name.
@pytest.mark.parametrize("code", [0x0F2D, 0x0791])
def test_hot_key_and_margins_show_in_full(wine24, code):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2, hotKeyCode=code, leftMargin=9999, rightMargin=2000)
    assert ink_right_gap(wine24, setup.control(ID_HOTKEY)) >= 2
    page = setup.open_page_setup()
    setup.probe.focus(id=IDOK, **page)  # no caret beside the texts
    for id in (ID_LEFT, ID_RIGHT):
        assert ink_right_gap(wine24, setup.probe.control(id=id, **page)) >= 2
    setup.probe.press(IDCANCEL, **page)
    setup.probe.wait_gone(**page)
    setup.finish(IDCANCEL)


# ---------------------------------------------------------------- Page Setup dialog

def test_page_setup_shows_inches_and_ok_unchanged_keeps_the_margins(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2, leftMargin=100, topMargin=0, rightMargin=205,
                     bottomMargin=2000)
    page = setup.open_page_setup()
    assert margin_texts(setup.probe, page) == {ID_LEFT: "1.00", ID_TOP: "0.00",
                                               ID_RIGHT: "2.05", ID_BOTTOM: "20.00"}
    # Centred over Setup.
    setup_rect = setup.probe.find_window(**setup.sel)["rect"]
    page_rect = setup.probe.find_window(**page)["rect"]
    for a in (0, 1):
        assert abs((page_rect[a] + page_rect[a + 2]) - (setup_rect[a] + setup_rect[a + 2])) <= 2
    setup.probe.press(IDOK, **page)
    setup.probe.wait_gone(**page)
    record = setup.finish(IDOK)
    assert [record[k] for k in ("leftMargin", "topMargin", "rightMargin", "bottomMargin")] == \
        [100, 0, 205, 2000]


def test_page_setup_margins_survive_a_cancel_of_setup(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2)
    page = setup.open_page_setup()
    assert set(margin_texts(setup.probe, page).values()) == {"0.50"}
    for id, text in ((ID_LEFT, "1"), (ID_TOP, " 1.5"), (ID_RIGHT, "0.755"), (ID_BOTTOM, "0.50000001")):
        setup.probe.set_text(id, text, **page)
    setup.probe.press(IDOK, **page)
    setup.probe.wait_gone(**page)
    setup.click(ID_TOFILE)
    record = setup.finish(IDCANCEL)
    assert record["result"] == 0 and record["destination"] == 2
    assert [record[k] for k in ("leftMargin", "topMargin", "rightMargin", "bottomMargin")] == \
        [100, 150, 75, 50]
    assert wine24.reg_values(SETTINGS) is None


def test_page_setup_cancel_and_refused_entries(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2)
    page = setup.open_page_setup()
    setup.probe.set_text(ID_LEFT, "9", **page)
    setup.probe.press(IDCANCEL, **page)
    setup.probe.wait_gone(**page)

    page = setup.open_page_setup()
    assert margin_texts(setup.probe, page)[ID_LEFT] == "0.50"
    setup.probe.set_text(ID_LEFT, "1.25", **page)
    for id, text, why in (
            (ID_TOP, "abc", "The Top margin must be a number of inches, such as 0.50."),
            (ID_TOP, "1,5", "The Top margin must be a number of inches, such as 0.50."),
            (ID_RIGHT, "-0.25", "The Right margin cannot be negative."),
            (ID_BOTTOM, "20.01", "The Bottom margin can be at most 20.00 inches."),
            (ID_BOTTOM, "1e9", "The Bottom margin must be a number of inches, such as 0.50.")):
        setup.probe.set_text(id, text, **page)
        assert refusal(setup.probe, page["hwnd"], IDOK, id) == why
        setup.probe.set_text(id, "20", **page)
    setup.probe.press(IDOK, **page)
    setup.probe.wait_gone(**page)
    record = setup.finish(ID_SAVE)
    assert [record[k] for k in ("leftMargin", "topMargin", "rightMargin", "bottomMargin")] == \
        [125, 2000, 2000, 2000]
    assert wine24.reg_query(SETTINGS + r"\PageSetup", "RightMargin") == ("REG_DWORD", 2000)
