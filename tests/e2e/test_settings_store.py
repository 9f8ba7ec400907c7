"""The settings store in the real Wine registry: LoadSettings and SaveSettings
run by tests/drivers/settingsdriver.exe, each value through its rules."""

import pytest

from settings_dialogs import (
    DEFAULTS, INT32_MAX, KEYS_SAVED_UNSET, SETTINGS, driver, field_args, store_unterminated,
    stored_values)


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
                                     rightMargin=INT32_MAX, bottomMargin=125, hotKeyCode=0x04A1,
                                     picker=2))
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
        "Format\\FileType": ("REG_SZ", "BMP"),  # the type saved last: none yet
        "Source\\Picker": ("REG_SZ", "Screen"),
        "Preferences\\Edit": ("REG_SZ", "Off"),
        **KEYS_SAVED_UNSET,
    }
    assert wine.reg_values(SETTINGS) == {}  # nothing in the settings key itself
    assert wine.reg_raw(SETTINGS + r"\HotKey", "Code") == b"0x04A1\0"
    assert wine.reg_raw(SETTINGS + r"\PageSetup", "LeftMargin") == b"\xe7\xff\xff\xff"

    # A fresh start restores every field; the directory comes back upper-cased.
    assert driver(wine, "load") == {
        "snapshotDir": "D:\\SHOTS\\", "bitsPerPixel": 24, "source": 3, "destination": 3,
        "sound": 0, "leftMargin": -25, "topMargin": 0, "rightMargin": INT32_MAX,
        "bottomMargin": 125, "hotKeyCode": 0x04A1, "picker": 2}

    driver(wine, "save", *field_args(source=1, destination=2, sound=1, hotKeyCode=0x0053))
    values = stored_values(wine)
    assert values["Source\\Area"] == ("REG_SZ", "Screen")
    assert values["Destination\\Device"] == ("REG_SZ", "Printer")
    assert values["Preferences\\Sound"] == ("REG_SZ", "On")
    assert values["HotKey\\Code"] == ("REG_SZ", "0x0053")
