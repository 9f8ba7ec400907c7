"""tamblit95.exe as a resident program: one copy, the tray icon, the sign-on
box, the global hot key and a clean exit, driven through the real X input."""

import itertools
import time

import pytest

from harness import compare_to_pattern, read_bmp, read_file_when_stable

SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
CAPTION = "Tamblit 95"
DIALOG = "#32770"

# Controls of the sign-on box.
IDOK = 1
ID_DESTINATION = 1000
ID_SETUP = 1007
ID_EXIT = 1009
ID_HELP = 1010
ID_HOTKEY = 1018
BUTTONS = (IDOK, ID_SETUP, ID_HELP, ID_EXIT)

WM_LBUTTONDOWN = 0x0201
WM_TRAYNOTIFY = 0x0400 + 200
TRAY_ICON_ID = 100

_dirs = itertools.count(1)

# The keys of the kinds, as stored under HotKeys, and the keys pressed.
KIND_KEYS = {"FullScreen": ("ctrl+alt+f", 0x0646), "ActiveWindow": ("ctrl+alt+w", 0x0657),
             "Area": ("ctrl+alt+a", 0x0641), "LastArea": ("ctrl+alt+l", 0x064C)}
ID_KIND_KEYS = 1107


# ---------------------------------------------------------------- helpers

def fresh_settings(wine, source="Screen", destination="File", hot_key=None, kind_keys=(), **prefs):
    """Settings of a first start, snapshots going to an empty folder of their own.
    Returns (Linux folder, the Windows text stored for it)."""
    wine.reg_delete_key(SETTINGS)
    folder = wine.drive_c / f"resident-snaps-{next(_dirs)}"
    folder.mkdir()
    stored = wine.winpath(folder) + "\\"
    wine.reg_set(SETTINGS + r"\Directories", "SnapshotDir", stored.lower())
    wine.reg_set(SETTINGS + r"\Source", "Area", source)
    wine.reg_set(SETTINGS + r"\Destination", "Device", destination)
    wine.reg_set(SETTINGS + r"\Preferences", "Sound", "Off")
    if hot_key is not None:
        wine.reg_set(SETTINGS + r"\HotKey", "Code", f"0x{hot_key:04X}")
    for kind in kind_keys:
        wine.reg_set(SETTINGS + r"\HotKeys", kind, f"0x{KIND_KEYS[kind][1]:04X}")
    for name, value in prefs.items():  # Delay (a number) or Pointer (a word)
        wine.reg_set(SETTINGS + r"\Preferences", name, value,
                     "REG_DWORD" if isinstance(value, int) else "REG_SZ")
    return folder, stored


def sign_on_boxes(wine):
    return [w for w in wine.probe.list(caption=CAPTION, cls=DIALOG)]


def visible_buttons(box):
    return {c["id"] for c in box["children"] if c["class"].lower() == "button" and c["visible"]}


def start_program(wine, exe="tamblit95"):
    """Starts tamblit95 (or a build of it named ``exe``) and waits for its
    start-up sign-on box."""
    proc = wine.start(exe)
    wine.probe.wait_window(caption=CAPTION, cls=DIALOG, visible=True, timeout=30)
    return proc


def wait_resident(wine, keys="ctrl+shift+s"):
    """Waits until the start-up box has gone and the program holds its hot key."""
    wine.probe.wait_gone(caption=CAPTION, cls=DIALOG, timeout=30)
    wine.wait_for(lambda: not wine.probe.hotkey_free(keys), 15, f"the program to hold {keys}")


def start_resident(wine, keys="ctrl+shift+s", exe="tamblit95"):
    """Starts tamblit95 and waits until it is resident, holding its hot key."""
    proc = start_program(wine, exe)
    wait_resident(wine, keys)
    return proc


def full_sign_on(wine):
    return next((b for b in sign_on_boxes(wine) if b["visible"] and ID_EXIT in visible_buttons(b)),
                None)


def post_tray_click(wine):
    wine.probe.post(WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN, cls="tamblit95")


def open_full_sign_on(wine, by_message=False):
    if by_message:
        post_tray_click(wine)  # a Wine desktop window keeps the tray inside it
    else:
        wine.click_tray_icon(button=1)
    return wine.wait_for(lambda: full_sign_on(wine), 15, "the full sign-on box")


def exit_program(wine, proc, by_message=False):
    open_full_sign_on(wine, by_message)
    wine.probe.press(ID_EXIT, ctlclass="Button", caption=CAPTION, cls=DIALOG)
    # Wine spends a few seconds unmapping windows without a window manager.
    assert proc.wait(60) == 0


def holds_for(predicate, what, seconds=3):
    """Watches predicate a while: what a click or key would open comes at once,
    but no message tells when the program has handled it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        assert predicate(), what


def control(box, id):
    return next(c for c in box["children"] if c["id"] == id)


def save_snapshot(wine, folder, name="snap.bmp"):
    """Answers the Save dialog with folder/name and returns the file's bytes."""
    target = folder / name
    wine.probe.save_dialog_answer(target, caption="Save Snapshot", timeout=30)
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot file created."
    return read_file_when_stable(target, timeout=30)


def snapshot_through_hot_key(wine, folder, focus_window, name="snap.bmp", keys="ctrl+shift+s"):
    """Presses the hot key over focus_window, saves the file and returns its bytes."""
    wine.press_keys(keys, window=focus_window)
    return save_snapshot(wine, folder, name)


def visible_save_dialogs(wine):
    return [w for w in wine.probe.list(caption="Save Snapshot", cls=DIALOG) if w["visible"]]


# ---------------------------------------------------------------- tests

@pytest.mark.wine10
def test_second_copy_is_refused_and_leaves_one_tray_icon(wine):
    fresh_settings(wine)
    first = start_resident(wine)
    assert len(wine.tray_icons()) == 1

    second = wine.start("tamblit95")
    assert wine.probe.message_box_text("Error", timeout=30) == "Tamblit 95 is already loaded."
    assert len(wine.tray_icons()) == 1
    wine.probe.answer_message_box("Error")
    assert second.wait(30) == 0

    # The first copy is untouched: still one icon, still the hot key, still answering.
    assert len(wine.tray_icons()) == 1
    assert not wine.probe.hotkey_free("ctrl+shift+s")
    exit_program(wine, first)


def test_hot_key_is_taken_only_after_the_start_up_sign_on(wine):
    folder, stored = fresh_settings(wine)
    proc = start_program(wine)

    # The start-up form: no buttons, but the key and the destination are shown.
    box = wine.probe.find_window(caption=CAPTION, cls=DIALOG)
    assert visible_buttons(box) == set()
    assert control(box, ID_DESTINATION)["text"] == stored.upper()
    assert control(box, ID_HOTKEY)["hotkey"] == 0x0353

    # Pressed while the box is up, the key belongs to nobody and does nothing.
    assert wine.probe.hotkey_free("ctrl+shift+s")
    wine.press_keys("ctrl+shift+s", window=wine.tray_window())
    assert wine.probe.find_window(caption=CAPTION, cls=DIALOG)["visible"], \
        "the start-up box closed before the key was pressed; the test proves nothing"

    # It closes by itself, and then the key takes a snapshot.
    wait_resident(wine)
    wine.press_keys("ctrl+shift+s", window=wine.tray_window())
    wine.probe.wait_window(caption="Save Snapshot", cls=DIALOG, visible=True, timeout=30)
    # One dialog: the press during the start-up box left nothing queued.
    assert len([w for w in wine.probe.list(caption="Save Snapshot") if w["visible"]]) == 1
    wine.probe.press(2, ctlclass="Button", caption="Save Snapshot", cls=DIALOG)
    wine.probe.wait_gone(caption="Save Snapshot", timeout=30)
    assert list(folder.iterdir()) == []
    exit_program(wine, proc)


@pytest.mark.wine10
def test_full_screen_snapshot_through_the_hot_key(wine):
    folder, _ = fresh_settings(wine, source="Screen")
    proc = start_resident(wine)
    pattern = wine.start_pattern(700, 480, 210, 130, title="Resident Pattern")

    bmp = read_bmp(snapshot_through_hot_key(wine, folder, "Resident Pattern"))
    screen = wine.probe.screen()
    assert (bmp.width, bmp.height, bmp.bpp) == (screen["width"], screen["height"], 24)
    assert bmp.file_size == 14 + 40 + screen["width"] * screen["height"] * 3
    assert compare_to_pattern(bmp, (0, 0), pattern.rect) == []
    exit_program(wine, proc)


@pytest.mark.wine10
def test_active_window_snapshot_takes_the_foreground_window(wine):
    folder, _ = fresh_settings(wine, source="Window")
    proc = start_resident(wine)
    # An odd size, so that a row padding mistake would show in the file size.
    pattern = wine.start_pattern(123, 211, 301, 155, title="Active Pattern")

    data = snapshot_through_hot_key(wine, folder, "Active Pattern")
    bmp = read_bmp(data)
    assert (bmp.width, bmp.height, bmp.bpp) == (301, 155, 24)
    assert len(data) == 14 + 40 + ((301 * 3 + 3) // 4 * 4) * 155
    assert compare_to_pattern(bmp, (123, 211), pattern.rect) == []
    exit_program(wine, proc)


def test_active_window_without_a_foreground_window_takes_nothing(wine):
    folder, _ = fresh_settings(wine, source="Window")
    proc = start_resident(wine)

    # Leave the desktop without a foreground window: activate a window, then
    # end its process (closing it would activate another window instead).
    pattern = wine.start_pattern(50, 300, 80, 60, title="Vanishing Pattern")
    wine.probe.focus(caption="Vanishing Pattern")
    pattern.proc.kill()
    wine.probe.wait_gone(caption="Vanishing Pattern", timeout=15)
    assert wine.probe.run("list", "--caption", "no such window")[1]["foreground"] == 0

    # SendInput reaches the hot key without any X focus.
    wine.probe.keys("ctrl+shift+s")

    # A second press with a window in front snaps just that window. Had the
    # first press done anything, its box or Save dialog would be up first.
    wine.start_pattern(400, 300, 90, 70, title="Front Pattern")
    data = snapshot_through_hot_key(wine, folder, "Front Pattern")
    assert wine.probe.find_window(caption="Error", cls=DIALOG) is None
    assert (read_bmp(data).width, read_bmp(data).height) == (90, 70)
    assert [p.name for p in folder.iterdir()] == ["snap.bmp"]
    exit_program(wine, proc)


@pytest.mark.parametrize("destination, hot_key, keys, shown", [
    pytest.param("File", 0x0353, "ctrl+shift+s", None, marks=pytest.mark.wine10),
    # The extended-key flag is shown by the control but not given to RegisterHotKey.
    ("Printer", 0x0B70, "ctrl+shift+f1", "Printer"),
])
def test_tray_left_click_opens_the_full_sign_on_and_right_click_nothing(
        wine, destination, hot_key, keys, shown):
    _, stored = fresh_settings(wine, destination=destination, hot_key=hot_key)
    proc = start_resident(wine, keys)

    wine.click_tray_icon(button=3)
    box = open_full_sign_on(wine)
    # Only the left press opened a box, and a second one opens no other.
    wine.click_tray_icon(button=1)
    holds_for(lambda: [b["hwnd"] for b in sign_on_boxes(wine)] == [box["hwnd"]], "one sign-on box")
    assert visible_buttons(box) == set(BUTTONS)
    assert control(box, ID_DESTINATION)["text"] == (shown or stored.upper())
    assert control(box, ID_HOTKEY)["hotkey"] == hot_key
    assert not control(box, ID_HOTKEY)["enabled"]

    wine.probe.press(IDOK, ctlclass="Button", caption=CAPTION, cls=DIALOG)
    wine.probe.wait_gone(caption=CAPTION, cls=DIALOG, timeout=15)
    assert proc.alive
    exit_program(wine, proc)


def test_sign_on_dismissed_under_a_nested_save_dialog_comes_back_visible(wine):
    folder, _ = fresh_settings(wine)
    proc = start_resident(wine)
    box = open_full_sign_on(wine)
    # The key is handled inside the box's loop; its Save dialog has no owner,
    # so the box can still be closed while the dialog runs.
    wine.probe.keys("ctrl+shift+s")
    wine.probe.wait_window(caption="Save Snapshot", cls=DIALOG, visible=True, timeout=30)
    wine.probe.press(IDOK, ctlclass="Button", hwnd=box["hwnd"])
    wine.wait_for(lambda: not wine.probe.find_window(hwnd=box["hwnd"])["visible"], 15, "the box hidden")

    again = open_full_sign_on(wine, by_message=True)
    assert again["hwnd"] != box["hwnd"]
    wine.probe.press(IDOK, ctlclass="Button", hwnd=again["hwnd"])
    wine.probe.save_dialog_answer(folder / "nested.bmp", caption="Save Snapshot", timeout=30)
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot file created."
    exit_program(wine, proc)


def test_exit_frees_the_hot_key_and_ends_with_code_zero(wine):
    fresh_settings(wine)
    proc = start_resident(wine)
    assert not wine.probe.hotkey_free("ctrl+shift+s")

    exit_program(wine, proc)
    # Another program can have the key now.
    assert wine.probe.hotkey_free("ctrl+shift+s")
    assert wine.probe.find_window(cls="tamblit95") is None
    assert wine.tray_icons() == []


def test_exit_from_a_sign_on_opened_during_start_up_ends_the_program(wine):
    fresh_settings(wine)
    proc = start_program(wine)

    # The tray answers while the start-up box is still up, before the main
    # window creation has returned: that box takes its buttons and stays. The
    # left-button notification is posted straight to the main window: Wine's
    # tray window may still be busy appearing, and the box lasts three seconds.
    start_up_box = sign_on_boxes(wine)
    post_tray_click(wine)
    box = wine.wait_for(lambda: full_sign_on(wine), 15, "the full sign-on box")
    assert [b["hwnd"] for b in sign_on_boxes(wine)] == [b["hwnd"] for b in start_up_box] == [box["hwnd"]]
    holds_for(lambda: full_sign_on(wine), "the box past its three seconds", seconds=3.5)
    wine.probe.press(ID_EXIT, ctlclass="Button", hwnd=box["hwnd"])

    assert proc.wait(60) == 0
    assert wine.probe.hotkey_free("ctrl+shift+s")
    assert wine.tray_icons() == []


def test_remove_tray_icon_while_the_window_still_lives(wine, build_dir):
    # The driver owns a live window throughout, so a missing NIM_DELETE would
    # leave its icon behind (Wine only cleans up after destroyed windows).
    result = wine.tmp / "traydriver.txt"
    result.unlink(missing_ok=True)
    proc = wine.start("traydriver", "--exe", wine.winpath(build_dir / "tamblit95.exe"),
                      "--result", wine.winpath(result))
    wine.wait_for(lambda: result.exists() and "added" in result.read_text(), 30, "the icon")
    assert result.read_text().split() == ["added", "1"]
    assert len(wine.wait_for(lambda: wine.tray_icons(), 15, "the icon on screen")) == 1

    wine.probe.command(1, caption="Tray Driver")
    wine.wait_for(lambda: "removed" in result.read_text(), 30, "the removal")
    assert result.read_text().split()[2:] == ["removed", "1"]
    wine.wait_for(lambda: wine.tray_icons() == [], 15, "the icon to go")
    assert proc.alive

    wine.probe.command(2, caption="Tray Driver")
    assert proc.wait(30) == 0


def test_tray_icon_comes_back_when_the_shell_restarts(wine):
    fresh_settings(wine)
    proc = start_resident(wine)
    assert len(wine.tray_icons()) == 1
    # Under Wine the windows already there get no new notification area when
    # the shell ends, so a driver does what a restarting shell does.
    assert wine.run("traydriver", "--shell", "take") == 0
    wine.wait_for(lambda: wine.tray_icons() == [], 15, "the icon taken away")
    assert wine.run("traydriver", "--shell", "restarted") == 0
    wine.wait_for(lambda: len(wine.tray_icons()) == 1, 15, "the icon back")
    # The icon is the program's again: it answers a click.
    open_full_sign_on(wine)
    wine.probe.press(IDOK, ctlclass="Button", caption=CAPTION, cls=DIALOG)
    exit_program(wine, proc)
