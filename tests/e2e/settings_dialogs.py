"""Helpers of the settings tests: the control ids of the Setup and Page Setup
dialogs, the record as tests/drivers/settingsdriver.exe reports it (LoadSettings,
SaveSettings and RunSetupDialog on a stand-in main window), and a Setup dialog
on the screen however it was opened, so that the same checks run against the
driver and against the resident program opened from its sign-on box."""

import itertools


SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
DIALOG = "#32770"
SETUP_CAPTION = "Tamblit 95 Setup"
MARGINS_CAPTION = "Page Setup"

# Controls of the Setup dialog.
ID_DIRECTORY, ID_24BIT, ID_8BIT, ID_SAVE = 1001, 1002, 1003, 1004
ID_FULLSCREEN, ID_ACTIVEWINDOW, ID_SELECTABLE = 1008, 1009, 1010
ID_TOFILE, ID_TOPRINTER, ID_TOCLIPBOARD = 1011, 1012, 1015
ID_SOUND, ID_PAGESETUP, ID_HOTKEY = 1013, 1014, 1016
ID_PICKSCREEN = 1200
ID_EDIT = 1300
IDOK, IDCANCEL = 1, 2
ID_KEYS = 1100
# Controls of the keys dialog opened from Setup.
ID_KEY_FULLSCREEN, ID_KEY_ACTIVEWINDOW, ID_KEY_AREA, ID_KEY_LASTAREA = 1101, 1102, 1103, 1104
ID_DELAY, ID_POINTER = 1105, 1106
# Edits of the Page Setup dialog, top to bottom.
ID_LEFT, ID_TOP, ID_RIGHT, ID_BOTTOM = 1015, 1016, 1018, 1017

DEFAULTS = {
    "snapshotDir": "C:\\", "source": 1, "destination": 1, "sound": 1,
    "leftMargin": 50, "topMargin": 50, "rightMargin": 50, "bottomMargin": 50,
    "hotKeyCode": 0x0353, "picker": 1,
}

# What Save writes for the keys dialog's choices when none was made.
KEYS_SAVED_UNSET = {
    "HotKeys\\FullScreen": ("REG_SZ", "0x0000"), "HotKeys\\ActiveWindow": ("REG_SZ", "0x0000"),
    "HotKeys\\Area": ("REG_SZ", "0x0000"), "HotKeys\\LastArea": ("REG_SZ", "0x0000"),
    "Preferences\\Delay": ("REG_DWORD", 0), "Preferences\\Pointer": ("REG_SZ", "Off"),
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
