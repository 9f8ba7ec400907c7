"""The settings store in the real Wine registry, and the Setup and Page Setup
dialogs driven through the UI probe, by way of tests/drivers/settingsdriver.exe
(LoadSettings, SaveSettings and RunSetupDialog on a stand-in main window).

The helpers that open the dialog and read the record are kept apart from the
driver, so that the same checks can run against the resident program opened
from its sign-on box."""

import itertools

import pytest

SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
DIALOG = "#32770"
SETUP_CAPTION = "Tamblit 95 Setup"
MARGINS_CAPTION = "Page Setup"

# Controls of the Setup dialog.
ID_DIRECTORY, ID_24BIT, ID_8BIT, ID_SAVE = 1001, 1002, 1003, 1004
ID_FULLSCREEN, ID_ACTIVEWINDOW, ID_SELECTABLE = 1008, 1009, 1010
ID_TOFILE, ID_TOPRINTER, ID_TOCLIPBOARD = 1011, 1012, 1015
ID_SOUND, ID_PAGESETUP, ID_HOTKEY = 1013, 1014, 1016
IDOK, IDCANCEL = 1, 2
# Edits of the Page Setup dialog, top to bottom.
ID_LEFT, ID_TOP, ID_RIGHT, ID_BOTTOM = 1015, 1016, 1018, 1017

DEFAULTS = {
    "snapshotDir": "C:\\", "source": 1, "destination": 1, "sound": 1,
    "leftMargin": 50, "topMargin": 50, "rightMargin": 50, "bottomMargin": 50,
    "hotKeyCode": 0x0353,
}

INT32_MAX = 2**31 - 1

_outs = itertools.count(1)


# ---------------------------------------------------------------- helpers

def parse_record(text):
    record = {}
    for line in text.splitlines():
        name, _, value = line.partition("=")
        record[name] = value if name == "snapshotDir" else int(value, 0)
    return record


def out_file(wine):
    return wine.tmp / f"settings-{next(_outs)}.txt"


def driver(wine, command, *fields):
    """Runs LoadSettings ("load") or SaveSettings ("save") and returns the record."""
    out = out_file(wine)
    code = wine.run("settingsdriver", command, wine.winpath(out), *fields, timeout=60)
    assert code == 0, wine.tmp
    return parse_record(out.read_text())


def field_args(**fields):
    return [f"{k}={v}" for k, v in fields.items()]


class SetupDialog:
    """A Setup dialog on the screen, however it was opened (by the driver here,
    from the sign-on box of the resident program elsewhere)."""

    def __init__(self, wine, timeout=30):
        self.wine, self.probe = wine, wine.probe
        self.window = self.probe.wait_window(caption=SETUP_CAPTION, cls=DIALOG, visible=True,
                                             timeout=timeout)
        self.sel = {"hwnd": self.window["hwnd"]}

    def control(self, id):
        return self.probe.control(id=id, **self.sel)

    def checked(self, id):
        return self.control(id)["check"] == 1

    def enabled(self, id):
        return self.control(id)["enabled"]

    def click(self, id):
        """A real button click: the button changes its own state and notifies."""
        self.probe.press(id, bm_click=True, **self.sel)

    def press(self, id):
        self.probe.press(id, **self.sel)

    def set_directory(self, text):
        self.probe.set_text(ID_DIRECTORY, text, **self.sel)

    def type_keys(self, keys, id=ID_HOTKEY):
        self.probe.keys(keys, id=id, **self.sel)

    def open_page_setup(self):
        self.press(ID_PAGESETUP)
        win = self.probe.wait_window(caption=MARGINS_CAPTION, cls=DIALOG, visible=True, timeout=15)
        return {"hwnd": win["hwnd"]}


class SetupRun(SetupDialog):
    """The Setup dialog opened by the driver over the record that LoadSettings
    gives plus the given fields; finish() returns the record afterwards."""

    def __init__(self, wine, **fields):
        self.out = out_file(wine)
        self.proc = wine.start("settingsdriver", "setup", wine.winpath(self.out), *field_args(**fields))
        super().__init__(wine)

    def finish(self, button):
        """Presses OK, Cancel or Save; returns the record and the dialog's result."""
        self.press(button)
        assert self.proc.wait(30) == 0, self.proc.output()
        return parse_record(self.out.read_text())


def margin_texts(probe, sel):
    return {id: probe.control(id=id, **sel)["text"] for id in (ID_LEFT, ID_TOP, ID_RIGHT, ID_BOTTOM)}


def store_unterminated(wine, subkey, name, text):
    """Stores text as a REG_SZ without its terminating zero (the driver keeps
    RegSetValueExA from counting one on its own)."""
    code = wine.run("settingsdriver", "rawset", subkey, name, "1", text.encode().hex())
    assert code == 0
    assert wine.reg_raw(SETTINGS + "\\" + subkey, name) == text.encode()


def stored_values(wine):
    """Every value under the settings key as {subkey\\value: (type, data)}."""
    found = {}
    for sub in wine.reg_subkeys(SETTINGS) or []:
        for name, value in (wine.reg_values(SETTINGS + "\\" + sub) or {}).items():
            found[f"{sub}\\{name}"] = value
    return found


# ---------------------------------------------------------------- the store

@pytest.mark.parametrize("which,depth", [("wine24", 24), ("wine8", 8)])
def test_no_settings_key_gives_every_default(request, which, depth):
    wine = request.getfixturevalue(which)
    wine.reg_delete_key(SETTINGS)
    record = driver(wine, "load")
    assert record == dict(DEFAULTS, bitsPerPixel=depth)
    assert wine.reg_values(SETTINGS) is None  # loading writes nothing


def test_stored_values_load_through_their_rules(wine8):
    wine = wine8
    wine.reg_delete_key(SETTINGS)
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", "d:\\Pics")
    wine.reg_set(SETTINGS + r"\Format", "BitsPerPixel", 24, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\Source", "Area", "window")
    wine.reg_set(SETTINGS + r"\Destination", "Device", "PRINTER")
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", "Off")
    wine.reg_set(SETTINGS + r"\PageSetup", "LeftMargin", 0xFFFFFFE7, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\PageSetup", "BottomMargin", 125, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\HotKey", "Code", "0x10353")
    record = driver(wine, "load")
    assert record["snapshotDir"] == "D:\\PICS\\"
    assert record["bitsPerPixel"] == 24  # stays 24 on a palette display
    assert (record["source"], record["destination"], record["sound"]) == (2, 2, 0)
    assert (record["leftMargin"], record["topMargin"], record["bottomMargin"]) == (-25, 50, 125)
    assert record["hotKeyCode"] == 0x0353

    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", "")
    wine.reg_set(SETTINGS + r"\Format", "BitsPerPixel", 16, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\Source", "Area", "Area")
    wine.reg_set(SETTINGS + r"\Destination", "Device", "Disk")
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", "ON")
    wine.reg_set(SETTINGS + r"\HotKey", "Code", "no digits")
    record = driver(wine, "load")
    assert record["snapshotDir"] == "\\"
    assert record["bitsPerPixel"] == 8  # neither 8 nor 24: read as 8
    assert (record["source"], record["destination"], record["sound"]) == (3, 3, 1)
    assert record["hotKeyCode"] == 0  # no number: the zero-filled start value stays


def test_stored_depth_8_loads_as_24_on_a_deep_display(wine24):
    wine24.reg_delete_key(SETTINGS)
    wine24.reg_set(SETTINGS + r"\Format", "BitsPerPixel", 8, type="REG_DWORD")
    assert driver(wine24, "load")["bitsPerPixel"] == 24


def test_values_of_the_wrong_type_count_as_missing(wine8):
    wine = wine8
    wine.reg_delete_key(SETTINGS)
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", (0x4B3A5C).to_bytes(4, "little"),
                 type="REG_BINARY")
    wine.reg_set(SETTINGS + r"\Format", "BitsPerPixel", (24).to_bytes(4, "little"), type="REG_BINARY")
    wine.reg_set(SETTINGS + r"\Source", "Area", 2, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\Destination", "Device", b"Printer\0", type="REG_EXPAND_SZ")
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", 0, type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\PageSetup", "LeftMargin", "75")
    wine.reg_set(SETTINGS + r"\PageSetup", "TopMargin", (75).to_bytes(8, "little"), type="REG_QWORD")
    wine.reg_set(SETTINGS + r"\PageSetup", "RightMargin", (75).to_bytes(2, "little"), type="REG_DWORD")
    wine.reg_set(SETTINGS + r"\HotKey", "Code", 0x0653, type="REG_DWORD")
    assert driver(wine, "load") == dict(DEFAULTS, bitsPerPixel=8)


def test_texts_without_terminator_or_too_long_count_as_missing(wine8):
    wine = wine8
    wine.reg_delete_key(SETTINGS)
    # Exactly the read buffer's size with no room for the terminator.
    store_unterminated(wine, "Directories", "SnapshotDir", "D:\\" + "x" * 97)
    store_unterminated(wine, "Source", "Area", "Window" + " " * 44)
    store_unterminated(wine, "HotKey", "Code", "0x0653    ")
    # Short, but unterminated.
    store_unterminated(wine, "Destination", "Device", "Printer")
    # One byte more than the buffer.
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", "Off" + " " * 47)
    assert driver(wine, "load") == dict(DEFAULTS, bitsPerPixel=8)

    # Texts that fill the buffer exactly, terminator included, are read.
    wine.reg_set(SETTINGS + r"\HotKey", "Code", "0x0000653")
    wine.reg_set(SETTINGS + r"\Source", "Area", "x" * 49)
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", "d:\\" + "y" * 95 + "\\")
    record = driver(wine, "load")
    assert record["hotKeyCode"] == 0x0653
    assert record["source"] == 3
    assert record["snapshotDir"] == "D:\\" + "Y" * 95 + "\\"


def test_directory_without_room_for_its_backslash_is_refused(wine8):
    wine = wine8
    wine.reg_delete_key(SETTINGS)
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", "d:\\" + "a" * 96)  # 99 characters
    assert driver(wine, "load")["snapshotDir"] == "C:\\"
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", "d:\\" + "a" * 95)  # 98 characters
    assert driver(wine, "load")["snapshotDir"] == "D:\\" + "A" * 95 + "\\"


def test_save_writes_every_value_in_its_form(wine24):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    driver(wine, "save", *field_args(snapshotDir="d:\\Shots\\", bitsPerPixel=24, source=3,
                                     destination=3, sound=0, leftMargin=-25, topMargin=0,
                                     rightMargin=INT32_MAX, bottomMargin=125, hotKeyCode=0x04A1))
    assert stored_values(wine) == {
        "Directories\\SnapshotDir": ("REG_SZ", "d:\\Shots\\"),
        "Format\\BitsPerPixel": ("REG_DWORD", 24),
        "Source\\Area": ("REG_SZ", "Selected"),
        "Destination\\Device": ("REG_SZ", "Clipboard"),
        "Preferences\\Sound": ("REG_SZ", "Off"),
        "PageSetup\\LeftMargin": ("REG_DWORD", 0xFFFFFFE7),
        "PageSetup\\TopMargin": ("REG_DWORD", 0),
        "PageSetup\\RightMargin": ("REG_DWORD", INT32_MAX),
        "PageSetup\\BottomMargin": ("REG_DWORD", 125),
        "HotKey\\Code": ("REG_SZ", "0x04A1"),
    }
    assert wine.reg_values(SETTINGS) == {}  # nothing in the settings key itself
    assert wine.reg_raw(SETTINGS + r"\HotKey", "Code") == b"0x04A1\0"
    assert wine.reg_raw(SETTINGS + r"\PageSetup", "LeftMargin") == b"\xe7\xff\xff\xff"

    # A fresh start restores every field; the directory comes back upper-cased.
    assert driver(wine, "load") == {
        "snapshotDir": "D:\\SHOTS\\", "bitsPerPixel": 24, "source": 3, "destination": 3,
        "sound": 0, "leftMargin": -25, "topMargin": 0, "rightMargin": INT32_MAX,
        "bottomMargin": 125, "hotKeyCode": 0x04A1}

    driver(wine, "save", *field_args(source=1, destination=2, sound=1, hotKeyCode=0x0053))
    values = stored_values(wine)
    assert values["Source\\Area"] == ("REG_SZ", "Screen")
    assert values["Destination\\Device"] == ("REG_SZ", "Printer")
    assert values["Preferences\\Sound"] == ("REG_SZ", "On")
    assert values["HotKey\\Code"] == ("REG_SZ", "0x0053")


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
    setup = SetupRun(wine)
    assert setup.probe.hotkey_free("ctrl+shift+s")  # unregistered while the dialog is open
    setup.set_directory("D:\\shots")
    setup.click(ID_SELECTABLE)
    setup.click(ID_TOPRINTER)
    setup.click(ID_SOUND)
    record = setup.finish(IDOK)
    assert record == dict(DEFAULTS, bitsPerPixel=24, snapshotDir="D:\\shots\\", source=3,
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
        "Source\\Area": ("REG_SZ", "Window"),
        "Destination\\Device": ("REG_SZ", "Clipboard"),
        "Preferences\\Sound": ("REG_SZ", "On"),
        "PageSetup\\LeftMargin": ("REG_DWORD", 125),
        "PageSetup\\TopMargin": ("REG_DWORD", 50),
        "PageSetup\\RightMargin": ("REG_DWORD", 50),
        "PageSetup\\BottomMargin": ("REG_DWORD", 50),
        "HotKey\\Code": ("REG_SZ", "0x0650"),
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


def test_clearing_the_hot_key_saves_0x0000(wine24):
    wine = wine24
    wine.reg_delete_key(SETTINGS)
    setup = SetupRun(wine)
    setup.type_keys("backspace")
    assert setup.control(ID_HOTKEY)["hotkey"] == 0
    record = setup.finish(ID_SAVE)
    assert record["hotKeyCode"] == 0
    assert wine.reg_query(SETTINGS + r"\HotKey", "Code") == ("REG_SZ", "0x0000")


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


def test_directory_too_long_for_its_backslash_keeps_the_old_one(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, snapshotDir="C:\\OLD\\")
    setup.set_directory("D:\\" + "a" * 96)  # 99 characters
    assert setup.finish(IDOK)["snapshotDir"] == "C:\\OLD\\"

    setup = SetupRun(wine24)
    setup.set_directory("D:\\" + "b" * 95)  # 98: room for the backslash
    assert setup.finish(IDOK)["snapshotDir"] == "D:\\" + "b" * 95 + "\\"


# ---------------------------------------------------------------- Page Setup dialog

def test_page_setup_shows_inches_and_ok_unchanged_keeps_the_margins(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2, leftMargin=100, topMargin=0, rightMargin=205,
                     bottomMargin=-25)
    page = setup.open_page_setup()
    assert margin_texts(setup.probe, page) == {ID_LEFT: "1.00", ID_TOP: "0.00",
                                               ID_RIGHT: "2.05", ID_BOTTOM: "-0.25"}
    setup.probe.press(IDOK, **page)
    setup.probe.wait_gone(**page)
    record = setup.finish(IDOK)
    assert [record[k] for k in ("leftMargin", "topMargin", "rightMargin", "bottomMargin")] == \
        [100, 0, 205, -25]


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


def test_page_setup_cancel_and_odd_entries(wine24):
    wine24.reg_delete_key(SETTINGS)
    setup = SetupRun(wine24, destination=2)
    page = setup.open_page_setup()
    setup.probe.set_text(ID_LEFT, "9", **page)
    setup.probe.press(IDCANCEL, **page)
    setup.probe.wait_gone(**page)

    page = setup.open_page_setup()
    assert margin_texts(setup.probe, page)[ID_LEFT] == "0.50"
    for id, text in ((ID_LEFT, "abc"), (ID_TOP, "1,5"), (ID_RIGHT, "-0.25"), (ID_BOTTOM, "999999999")):
        setup.probe.set_text(id, text, **page)
    setup.probe.press(IDOK, **page)
    setup.probe.wait_gone(**page)
    record = setup.finish(ID_SAVE)
    assert [record[k] for k in ("leftMargin", "topMargin", "rightMargin", "bottomMargin")] == \
        [0, 100, -25, INT32_MAX]
    assert wine24.reg_query(SETTINGS + r"\PageSetup", "RightMargin") == ("REG_DWORD", 0xFFFFFFE7)
    assert wine24.reg_query(SETTINGS + r"\PageSetup", "BottomMargin") == ("REG_DWORD", INT32_MAX)
