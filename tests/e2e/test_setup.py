"""setup.exe under Wine, in a prefix of its own for each Windows version the
prefix reports: "winxp", where setup talks to Wine's own Program Manager DDE
server, and "win10", where it writes shell links itself into the common Start
menu (the installation is for the machine) and holds no DDE conversation. The dialog's refusals, an installation that stops at a missing
file, a complete one (files, items, registry), the installed item starting the
program, and removal through Wine's own Add/Remove Programs tool and through
"setup /u"."""

import shutil

import pytest

from dialog_keys import focused_id, keys_reach, press, tab_order
from harness import build_dir
from test_manifests import project_version

CAPTION = "Tamblit 95 Installer"
ID_LIST, ID_STARTUP, ID_STATUS = 1002, 1003, 1004
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
# Exit codes as Wine hands them to Linux: the low 8 bits (the whole codes are
# read through the probe in test_setup_deploy.py).
DONE, CANCELLED, FAILED, ALREADY_RUNNING = (c & 0xFF for c in (0, 1602, 1603, 1618))
WS_EX_TOPMOST = 0x8
FILES = ["tamblit95.exe", "tamblit95.wav", "tamblit95.hlp", "setup.exe"]
READY = "Select a program group and choose Install."
INSTALL_DIR = "C:\\Program Files\\Tamblit95"
UNINSTALL = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tamblit95"
GROUP_MEMORY = r"HKLM\SOFTWARE\Tamblit\CurrentVersion\Uninstall\Program Group"
SETTINGS = r"HKCU\Software\Tamblit\Tamblit95"
SETTINGS_SUBKEYS = ["Directories", "Format", "Source", "Destination", "Preferences", "PageSetup",
                    "HotKey"]
COMPLETE = ("Installation of Tamblit 95 is complete. You will find the Tamblit 95 icon in your "
            "Accessories group in the Programs section of your Start menu.  ")
AUTOSTART = "The program will also start automatically each time Windows 95 is started.  "
PROGRAM_ITEMS = r"HKLM\SOFTWARE\Tamblit\CurrentVersion\Uninstall\Program Items"
# The Windows version each prefix reports, and the size of its display.
VERSIONS = {"win10": (800, 600), "winxp": (832, 624)}
# Wine's DDE library traces on this channel each conversation a program opens
# with a server ("DdeConnect Connected to Server window ...").
DDE_TRACE = {"WINEDEBUG": "+ddeml"}


@pytest.fixture(scope="module", params=sorted(VERSIONS))
def version(request):
    return request.param


@pytest.fixture(scope="module")
def swine(e2e_session, version):
    """A prefix of these tests' own, as installing changes its Start menu and
    registry, on a display of its own, as the folder windows Program Manager
    opens and the installed program's tray must not cover other tests' windows."""
    wine = e2e_session.wine(f"winesetup-{version}", e2e_session.display(*VERSIONS[version], 24))
    wine.reg_set(r"HKCU\Software\Wine", "Version", version)
    # Program Manager's items are the user's; the shell links the machine's.
    wine.start_menu = (wine.appdata if version == "winxp" else wine.drive_c / "ProgramData") / \
        "Microsoft" / "Windows" / "Start Menu" / "Programs"
    return wine


@pytest.fixture(scope="module")
def dist():
    d = build_dir() / "dist"
    if not (d / "setup.exe").is_file():
        pytest.skip(f"no distribution folder at {d}")
    return d


def programs(wine):
    return wine.start_menu


def install_dir(wine):
    return wine.linuxpath(INSTALL_DIR)


def dde_connections(proc):
    """How many DDE conversations a process started with DDE_TRACE opened."""
    return sum("DdeConnect Connected to Server" in line for line in proc.output().splitlines())


def start_setup(wine, folder, *args, env=None):
    """setup.exe from `folder`; returns (process, dialog) once the list is filled."""
    proc = wine.start(folder / "setup.exe", *args, cwd=folder, env=env)
    dlg = wine.probe.wait_window(caption=CAPTION, cls="#32770", visible=True, timeout=20)
    wine.wait_for(lambda: status(wine, dlg) == READY, 20, "the group list")
    return proc, dlg


def status(wine, dlg):
    return wine.probe.control(ID_STATUS, hwnd=dlg["hwnd"])["text"]


def answer(wine, caption, button=1, timeout=20, owner=None):
    """Text of the message box `caption`, after pressing `button` and seeing it
    gone. With an owner dialog: the box is owned by it and centred over it, and
    the dialog is disabled."""
    box = wine.probe.wait_window(caption=caption, cls="#32770", visible=True, timeout=timeout)
    if owner:
        dialog = wine.probe.find_window(hwnd=owner["hwnd"])
        assert box["owner"] == owner["hwnd"] and not dialog["enabled"]
        (bl, bt, br, bb), (dl, dt, dr, db) = box["rect"], dialog["rect"]
        assert abs((bl + br) - (dl + dr)) <= 2 and abs((bt + bb) - (dt + db)) <= 2
    text = wine.probe.message_box_text(caption, timeout)
    wine.probe.press(button, ctlclass="Button", hwnd=box["hwnd"])
    wine.probe.wait_gone(hwnd=box["hwnd"], timeout=timeout)
    return text


def installed_state(wine):
    """What an installation leaves behind, for before/after comparisons."""
    files = {n: (install_dir(wine) / n).is_file() for n in FILES}
    items = {g: (programs(wine) / g / "Tamblit 95.lnk").is_file() for g in ("Accessories", "StartUp")}
    folders = {g: (programs(wine) / g).is_dir() for g in ("Accessories", "StartUp")}
    return dict(files=files, items=items, folders=folders, settings=wine.reg_subkeys(SETTINGS),
                entry=wine.reg_values(UNINSTALL), group=wine.reg_query(GROUP_MEMORY, "Tamblit95"),
                made=wine.reg_values(PROGRAM_ITEMS))


def test_dialog_refuses_install_without_a_usable_group(swine, dist):
    # A fresh desktop lists no "Accessories", so nothing is preselected.
    long_group = programs(swine) / ("Z" * 60)
    long_group.mkdir(parents=True, exist_ok=True)
    try:
        proc, dlg = start_setup(swine, dist)
        lst = swine.probe.control(ID_LIST, hwnd=dlg["hwnd"])
        assert lst["items"] == sorted(lst["items"], key=str.lower)
        assert "StartUp" in lst["items"] and "Z" * 60 in lst["items"]
        assert swine.probe.control(ID_STARTUP, hwnd=dlg["hwnd"])["check"] == 1
        cases = [
            (None, -1, "Choose a program group first."),
            # Down past the end stops on the last entry, the long name.
            (" ".join(["down"] * (len(lst["items"]) + 1)), len(lst["items"]) - 1, "This group name is too long. Choose another group."),
        ]
        for keys, selected, refusal in cases:
            if keys:
                swine.probe.keys(keys, id=ID_LIST, hwnd=dlg["hwnd"])
                # The last refusal gives way as soon as a group is chosen.
                swine.wait_for(lambda: status(swine, dlg) == READY, 10, "the status line back")
            swine.wait_for(lambda: swine.probe.control(ID_LIST, hwnd=dlg["hwnd"])["cursel"]
                           == selected, 10, f"entry {selected} selected")
            swine.probe.press(IDOK, hwnd=dlg["hwnd"])
            swine.wait_for(lambda: status(swine, dlg) == refusal, 10, refusal)

        second = swine.start(dist / "setup.exe")
        assert answer(swine, "Error") == "Setup is already running."
        assert second.wait() == ALREADY_RUNNING

        swine.probe.press(IDCANCEL, hwnd=dlg["hwnd"])
        assert proc.wait() == CANCELLED
        assert not install_dir(swine).exists()
        assert swine.reg_values(UNINSTALL) is None
    finally:
        shutil.rmtree(long_group, ignore_errors=True)


def test_keyboard_reaches_every_control(swine, dist):
    proc, dlg = start_setup(swine, dist)
    hwnd = dlg["hwnd"]
    assert focused_id(swine.probe, hwnd) == ID_LIST
    tab_order(swine, hwnd, [ID_STARTUP, IDOK, IDCANCEL, ID_LIST])
    keys_reach(swine, hwnd, [("alt+l", ID_STARTUP), ("alt+g", ID_LIST)])
    assert swine.probe.control(ID_STARTUP, hwnd=hwnd)["check"] == 0
    press(swine, hwnd, "alt+c")
    assert proc.wait() == CANCELLED


def test_missing_help_file_is_found_before_anything_is_made(swine, dist, tmp_path):
    (programs(swine) / "Accessories").mkdir(parents=True, exist_ok=True)
    shutil.rmtree(install_dir(swine), ignore_errors=True)
    source = tmp_path / "source"
    source.mkdir()
    for name in FILES:
        if name != "tamblit95.hlp":
            shutil.copy(dist / name, source / name)

    proc, dlg = start_setup(swine, source)
    swine.probe.press(IDOK, hwnd=dlg["hwnd"])
    assert answer(swine, "Error", owner=dlg) == (
        "Cannot find tamblit95.hlp beside Setup. Nothing was installed.")
    assert not install_dir(swine).exists()
    swine.wait_for(lambda: swine.probe.find_window(hwnd=dlg["hwnd"])["enabled"], 10,
                   "the dialog enabled again")
    assert swine.probe.find_window(hwnd=dlg["hwnd"])["visible"]
    assert proc.alive
    swine.probe.press(IDCANCEL, hwnd=dlg["hwnd"])
    assert proc.wait() == FAILED


@pytest.fixture(scope="module")
def installed(swine, version, dist):
    """A complete installation into "Accessories" with the StartUp item; its
    completion text and the DDE conversations setup opened. With shell links
    the StartUp folder is missing first, so that setup has to make it."""
    (programs(swine) / "Accessories").mkdir(parents=True, exist_ok=True)
    if version == "win10":
        shutil.rmtree(programs(swine) / "StartUp")
    shutil.rmtree(install_dir(swine), ignore_errors=True)
    proc, dlg = start_setup(swine, dist, env=DDE_TRACE)
    lst = swine.probe.control(ID_LIST, hwnd=dlg["hwnd"])
    assert lst["items"][lst["cursel"]] == "Accessories"
    assert swine.probe.control(ID_STARTUP, hwnd=dlg["hwnd"])["check"] == 1
    swine.probe.press(IDOK, hwnd=dlg["hwnd"])
    assert answer(swine, "Create Directory", IDYES).startswith(f"The directory {INSTALL_DIR} ")
    text = answer(swine, "Tamblit 95", timeout=30, owner=dlg)
    assert proc.wait() == 0
    return text, dde_connections(proc)


@pytest.mark.wine10
def test_install_copies_files_adds_items_and_writes_the_entries(swine, version, dist, installed):
    text, conversations = installed
    assert text == COMPLETE + AUTOSTART
    # The list, the group item and the StartUp item: one conversation each.
    assert conversations == (3 if version == "winxp" else 0)
    for name in FILES:
        assert (install_dir(swine) / name).read_bytes() == (dist / name).read_bytes(), name
    target = f"{INSTALL_DIR}\\tamblit95.exe"
    for group in ("Accessories", "StartUp"):
        link = swine.probe.link(programs(swine) / group / "Tamblit 95.lnk")
        assert link and link["target"].lower() == target.lower(), group
        if version == "win10":
            assert link == dict(target=target, workdir=INSTALL_DIR, description="Tamblit 95")
    made = {swine.linuxpath(path): data for path, (_, data) in
            (swine.reg_values(PROGRAM_ITEMS) or {}).items()}
    assert made == ({} if version == "winxp" else {
        programs(swine) / "Accessories" / "Tamblit 95.lnk": "link",
        programs(swine) / "StartUp": "folder",
        programs(swine) / "StartUp" / "Tamblit 95.lnk": "link"})
    entry = swine.reg_values(UNINSTALL)
    size = entry.pop("EstimatedSize")
    assert size == ("REG_DWORD", -(-sum((dist / n).stat().st_size for n in FILES) // 1024))
    assert entry == {
        "DisplayName": ("REG_SZ", "Tamblit 95"),
        "UninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\setup.exe" /u'),
        "QuietUninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\setup.exe" /u /S'),
        "DisplayIcon": ("REG_SZ", f"{INSTALL_DIR}\\tamblit95.exe"),
        "DisplayVersion": ("REG_SZ", project_version()),
        "Publisher": ("REG_SZ", "Tamblit"),
        "InstallLocation": ("REG_SZ", f"{INSTALL_DIR}\\"),
        "NoModify": ("REG_DWORD", 1), "NoRepair": ("REG_DWORD", 1),
    }
    assert swine.reg_query(GROUP_MEMORY, "Tamblit95") == ("REG_SZ", "Accessories")


def test_installed_item_starts_the_program(swine, installed):
    swine.start("start", "/unix", programs(swine) / "Accessories" / "Tamblit 95.lnk")
    box = swine.probe.wait_window(exe="tamblit95.exe", cls="#32770", visible=True, timeout=20)
    assert box["caption"] == "Tamblit 95"


# Through another drive that shows the same folder (as SUBST makes one), the
# files are the same ones too.
@pytest.mark.parametrize("drive", [None, "P"])
def test_setup_in_the_install_folder_copies_nothing_and_completes(swine, installed, drive):
    before = {n: (install_dir(swine) / n).stat().st_ctime_ns for n in FILES}
    if drive:
        root = swine.map_drive(drive, install_dir(swine))
        proc = swine.start("cmd", "/c", root + "setup.exe")
        dlg = swine.probe.wait_window(caption=CAPTION, cls="#32770", visible=True, timeout=20)
        swine.wait_for(lambda: status(swine, dlg) == READY, 20, "the group list")
    else:
        proc, dlg = start_setup(swine, install_dir(swine))
    swine.probe.press(ID_STARTUP, bm_click=True, hwnd=dlg["hwnd"])
    swine.wait_for(lambda: swine.probe.control(ID_STARTUP, hwnd=dlg["hwnd"])["check"] == 0)
    swine.probe.press(IDOK, hwnd=dlg["hwnd"])
    assert answer(swine, "Tamblit 95", timeout=30) == COMPLETE
    assert proc.wait() == 0
    swine.probe.wait_gone(hwnd=dlg["hwnd"])
    assert {n: (install_dir(swine) / n).stat().st_ctime_ns for n in FILES} == before


@pytest.mark.wine10
def test_removal_through_add_remove_programs_and_setup_u(swine, version, installed):
    # Every subkey goes, those the settings of a later version may add too.
    for sub in SETTINGS_SUBKEYS + ["Later\\Deeper"]:
        swine.reg_set(f"{SETTINGS}\\{sub}", "Value", "1")
    listing = swine.start("uninstaller", "--list")
    listing.wait()
    assert "Tamblit95|||Tamblit 95" in listing.output()

    setup_u = [install_dir(swine) / "setup.exe", "/u"]
    # The links go, and the folder setup made when it is empty; the group
    # folder that was there before stays.
    gone = dict(files={n: n == "setup.exe" for n in FILES},
                items={"Accessories": False, "StartUp": False},
                folders={"Accessories": True, "StartUp": version == "winxp"}, settings=None,
                entry=None, group=("REG_SZ", "Accessories"), made=None)
    # An item of the remembered group whose name cannot be read as a text: kept.
    unreadable = dict(gone, items={"Accessories": True, "StartUp": False},
                      group=("REG_BINARY", b"Accessories\0"))

    def unreadable_group():
        (programs(swine) / "Accessories" / "Tamblit 95.lnk").write_bytes(b"kept")
        swine.reg_set(GROUP_MEMORY, "Tamblit95", b"Accessories\0", type="REG_BINARY")

    # The last column: DDE conversations below NT 6.0, for the group's item
    # and the StartUp item (none from NT 6.0 on).
    steps = [
        (["uninstaller", "--remove", "Tamblit95"], IDNO, None, None, 0),
        (["uninstaller", "--remove", "Tamblit95"], IDYES, gone, None, 2),
        (setup_u, IDYES, gone, None, 2),  # a second removal finds nothing and says the same
        (setup_u, IDYES, unreadable, unreadable_group, 1),
    ]
    for command, button, expected, prepare, conversations in steps:
        if prepare:
            prepare()
        before = installed_state(swine)
        proc = swine.start(*command, env=DDE_TRACE)
        assert answer(swine, "Tamblit 95", button) == (
            "Are you sure you want to remove Tamblit 95 from your machine?")
        if button == IDYES:
            # In front of the folder windows the shell opened meanwhile.
            box = swine.probe.wait_window(caption="Tamblit 95", cls="#32770", visible=True,
                                          timeout=20)
            assert box["exstyle"] & WS_EX_TOPMOST
            assert answer(swine, "Tamblit 95") == "Tamblit 95 is removed."
        # Wine's tool answers for itself; setup's own code is setup's.
        assert proc.wait() == DONE or command[0] == "uninstaller"
        assert installed_state(swine) == (expected or before), (command, button)
        assert dde_connections(proc) == (conversations if version == "winxp" else 0), command
    assert install_dir(swine).is_dir()
