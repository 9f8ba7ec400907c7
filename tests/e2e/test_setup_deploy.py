"""What administrators and deployment tools rely on: no DLL taken from the
folder setup.exe or tamblit95.exe runs from, silent runs with exit codes, a
running program ended before its files go, an install that fails leaving
nothing behind, an upgrade in place, and shortcuts for the whole machine."""

import shutil

import pytest

from harness import build_dir, exe_path
from harness_wine import WINE_DLL_OVERRIDES
from test_setup import (CAPTION, FILES, ID_LIST, ID_STARTUP, IDCANCEL, IDNO, IDOK, IDYES,
                        INSTALL_DIR, SETTINGS, UNINSTALL, dist, start_setup)  # noqa: F401

# Names Windows looks for beside a program before its system folder (none is
# a known system DLL); Wine prefers them there with the override "n,b".
PLANTED = ["shell32", "ole32", "oleaut32", "comctl32", "winmm", "version", "uxtheme", "propsys",
           "imm32", "msimg32"]
PLANT_ENV = {"WINEDLLOVERRIDES": f"{WINE_DLL_OVERRIDES};{','.join(PLANTED)}=n,b"}
DONE, CANCELLED, FAILED, BAD_SWITCH = 0, 1602, 1603, 1639
WM_ENDSESSION, WM_LBUTTONDOWN, WM_TRAYNOTIFY, TRAY_ICON_ID = 0x16, 0x201, 1224, 100


@pytest.fixture(scope="module")
def twine(e2e_session):
    wine = e2e_session.wine("winetrust-win10", e2e_session.display(800, 600, 24))
    wine.reg_set(r"HKCU\Software\Wine", "Version", "win10")
    wine.start_menu = wine.drive_c / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / \
        "Programs"
    return wine


def planted(tmp_path, names, *programs):
    """A folder holding the programs and the marker DLL under every name."""
    folder = tmp_path / "planted"
    folder.mkdir()
    for program in programs:
        shutil.copy(program, folder / program.name)
    for name in names:
        shutil.copy(build_dir() / "drivers" / "plant.dll", folder / f"{name}.dll")
    return folder


def loaded(folder):
    found = {p.name[:-len(".dll.loaded")] for p in folder.glob("*.dll.loaded")}
    for marker in folder.glob("*.loaded"):
        marker.unlink()
    return found


def setup_dialog_listed(wine, folder):
    """setup lists the Start menu's folders through the shell (shell32, ole32)."""
    proc, dlg = start_setup(wine, folder, env=PLANT_ENV)
    wine.probe.press(IDCANCEL, hwnd=dlg["hwnd"])
    proc.wait()


def program_resident(wine, folder):
    """The program loads its sound and common controls libraries before it
    takes the hot key."""
    proc = wine.start(folder / "tamblit95.exe", cwd=folder, env=PLANT_ENV)
    wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+shift+s"), 30, "the hot key taken")
    proc.kill()


# The program imports shell32 itself (a known DLL, always the system's on
# Windows): a DLL of that name is not planted beside it.
@pytest.mark.parametrize("program, bare, names, run", [
    ("setup", "bare", PLANTED, setup_dialog_listed),
    ("tamblit95", "bareprogram", [n for n in PLANTED if n != "shell32"], program_resident)])
def test_no_dll_is_taken_from_the_programs_folder(twine, dist, tmp_path, program, bare, names, run):
    folder = planted(tmp_path, names, exe_path(bare), dist / f"{program}.exe")
    # What Wine itself takes before any code of a program with the same
    # imports runs, and a load by bare name that shows the planted DLLs get in.
    assert twine.run(folder / f"{bare}.exe", cwd=folder, env=PLANT_ENV) == 0
    before_code = loaded(folder)
    assert twine.run(folder / f"{bare}.exe", "winmm.dll", "ole32.dll", cwd=folder,
                     env=PLANT_ENV) == 0
    assert loaded(folder) - before_code == {"winmm", "ole32"} - before_code
    run(twine, folder)
    assert loaded(folder) <= before_code, before_code


def setup_in(wine, folder, *args, answer=None, timeout=60):
    """setup.exe run through the probe; its whole exit code, after answering
    the one box `answer` (caption, button, text) when given."""
    job = wine.probe.execute(folder / "setup.exe", *args, timeout=timeout)
    if answer:
        caption, button, text = answer
        assert wine.probe.answer_message_box(caption, button, timeout=20) == text
    return job.result(timeout + 10)["code"]


def state(wine):
    """Which files, items and entry an installation left, by group."""
    install = wine.linuxpath(INSTALL_DIR)
    links = sorted(str(p.relative_to(wine.start_menu)) for p in wine.start_menu.rglob("*.lnk"))
    return dict(files=sorted(p.name for p in install.iterdir()) if install.is_dir() else None,
                links=links, entry=wine.reg_values(UNINSTALL) is not None)


INSTALLED_OWN = dict(files=sorted(FILES), links=["StartUp/Tamblit 95.lnk", "Tamblit 95/Tamblit 95.lnk"],
                     entry=True)
INSTALLED_ACCESSORIES = dict(INSTALLED_OWN, links=["Accessories/Tamblit 95.lnk",
                                                   "StartUp/Tamblit 95.lnk"])
REMOVED = dict(files=["setup.exe"], links=[], entry=False)
USAGE = ("Usage: setup [/u] [/S]\n\n(none)\tshows the installation dialog\n/u\tremoves Tamblit 95\n"
         "/S\tinstalls (or with /u removes) without any window or message")
REMOVE_QUESTION = "Are you sure you want to remove Tamblit 95 from your machine?"


@pytest.fixture
def clean(twine):
    """No installation and no Accessories group at the start."""
    shutil.rmtree(twine.linuxpath(INSTALL_DIR), ignore_errors=True)
    for group in ("Accessories", "Tamblit 95", "Tools", "StartUp"):
        shutil.rmtree(twine.start_menu / group, ignore_errors=True)
    (twine.start_menu / "StartUp").mkdir(parents=True)
    twine.reg_delete_key(UNINSTALL)
    return twine


def test_silent_runs_and_exit_codes(clean, dist):
    wine = clean
    # Each step: the switches, the box answered (none when silent), the exit
    # code and what is installed afterwards (None: nothing ever was).
    steps = [
        (["/x"], ("Tamblit 95 Setup", IDOK, USAGE), BAD_SWITCH, None),
        (["/S", "/x"], None, BAD_SWITCH, None),
        (["/u"], ("Tamblit 95", IDNO, REMOVE_QUESTION), CANCELLED, None),
        (["/S"], None, DONE, INSTALLED_OWN),
        (["/s", "/U"], None, DONE, REMOVED),
        (["/S"], None, DONE, INSTALLED_ACCESSORIES),  # once Accessories exists
        (["/U", "/S"], None, DONE, REMOVED),
    ]
    for args, box, code, expected in steps:
        if args == ["/S"] and expected is INSTALLED_ACCESSORIES:
            (wine.start_menu / "Accessories").mkdir()
        assert setup_in(wine, dist, *args, answer=box) == code, args
        assert state(wine) == (expected or dict(files=None, links=[], entry=False)), args


def program_pid(wine):
    procs = [p["pid"] for p in wine.probe.processes() if p["exe"].lower() == "tamblit95.exe"]
    return procs[-1] if len(procs) == 1 else None


def gone(wine, pid):
    return all(p["pid"] != pid for p in wine.probe.processes())


# How the running program is asked to end: by a second installation, by a
# removal (while its start-up box is still up: it ends once that closes), by
# a removal while its sign-on box stays open (setup gives up and removes
# nothing; the program ends when the box closes), and by the end of the
# Windows session.
@pytest.mark.parametrize("how", ["reinstall", "removal", "busy removal", "session end"])
def test_running_program_is_ended_before_its_files_go(clean, dist, how):
    wine = clean
    assert setup_in(wine, dist, "/S") == DONE
    installed = wine.linuxpath(INSTALL_DIR)
    wine.start(installed / "tamblit95.exe")
    pid = wine.wait_for(lambda: program_pid(wine), 20, "the program running")
    if how == "removal":
        wine.probe.wait_window(exe="tamblit95.exe", cls="#32770", visible=True, timeout=20)
        assert setup_in(wine, wine.linuxpath(INSTALL_DIR), "/u", "/S") == DONE
        assert sorted(p.name for p in installed.iterdir()) == ["setup.exe"]
    else:
        wine.wait_for(lambda: not wine.probe.hotkey_free("ctrl+shift+s"), 30, "the hot key taken")
        if how == "reinstall":
            (installed / "tamblit95.wav").write_bytes(b"old")
            assert setup_in(wine, dist, "/S") == DONE
            assert (installed / "tamblit95.wav").read_bytes() == (dist / "tamblit95.wav").read_bytes()
        elif how == "busy removal":
            wine.probe.post(WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN, cls="tamblit95")
            box = wine.probe.wait_window(exe="tamblit95.exe", cls="#32770", visible=True, timeout=20)
            assert setup_in(wine, installed, "/u", "/S") == FAILED
            assert sorted(p.name for p in installed.iterdir()) == sorted(FILES)
            assert not gone(wine, pid)
            wine.probe.close(hwnd=box["hwnd"])
        else:
            wine.probe.post(WM_ENDSESSION, 1, cls="tamblit95")
    wine.wait_for(lambda: gone(wine, pid), 20, "the program ended")
    # Its hot key is free again: it ended as Exit does.
    assert wine.probe.hotkey_free("ctrl+shift+s")


def test_upgrade_keeps_settings_and_one_entry_and_moves_the_item(clean, dist):
    wine = clean
    (wine.start_menu / "Accessories").mkdir()
    (wine.start_menu / "Tools").mkdir()
    assert setup_in(wine, dist, "/S") == DONE
    wine.reg_set(SETTINGS + r"\Source", "Source", "2", type="REG_DWORD")
    # A link an earlier version recorded in the user's own Start menu.
    earlier = wine.appdata / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Tamblit 95.lnk"
    earlier.parent.mkdir(parents=True, exist_ok=True)
    earlier.write_bytes(b"link")
    wine.reg_set(r"HKLM\SOFTWARE\Tamblit\CurrentVersion\Uninstall\Program Items",
                 wine.winpath(earlier), "link")

    proc, dlg = start_setup(wine, dist)
    wine.probe.keys("t", id=ID_LIST, hwnd=dlg["hwnd"])  # the first group with a T
    wine.probe.press(ID_STARTUP, bm_click=True, hwnd=dlg["hwnd"])
    wine.wait_for(lambda: wine.probe.control(ID_STARTUP, hwnd=dlg["hwnd"])["check"] == 0)
    wine.probe.press(IDOK, hwnd=dlg["hwnd"])
    assert wine.probe.answer_message_box("Tamblit 95", timeout=30).startswith(
        "Installation of Tamblit 95 is complete.")
    proc.wait()
    assert state(wine) == dict(INSTALLED_OWN, links=["Tools/Tamblit 95.lnk"])
    assert not earlier.exists()
    assert wine.reg_query(SETTINGS + r"\Source", "Source") == ("REG_DWORD", 2)
    listing = wine.start("uninstaller", "--list")
    listing.wait()
    assert [line for line in listing.output().splitlines() if "Tamblit" in line] == [
        "Tamblit95|||Tamblit 95"]


def test_failed_install_leaves_everything_as_it_was(clean, dist):
    wine = clean
    installed = wine.linuxpath(INSTALL_DIR)
    # A fresh installation whose group folder turns into a file once listed:
    # the item cannot be made, and nothing stays.
    (wine.start_menu / "Accessories").mkdir()
    proc, dlg = start_setup(wine, dist)
    (wine.start_menu / "Accessories").rmdir()
    (wine.start_menu / "Accessories").write_bytes(b"")
    wine.probe.press(IDOK, hwnd=dlg["hwnd"])
    wine.probe.answer_message_box("Create Directory", IDYES, timeout=20)
    assert wine.probe.answer_message_box("Error", timeout=30) == (
        "Cannot add Tamblit 95 to the Accessories group.")
    wine.probe.press(IDCANCEL, hwnd=dlg["hwnd"])
    assert proc.wait() == FAILED & 0xFF
    assert not installed.exists() and state(wine) == dict(files=None, links=[], entry=False)
    (wine.start_menu / "Accessories").unlink()

    # Over an installation, a file that cannot be copied: the old files stay.
    assert setup_in(wine, dist, "/S") == DONE
    (installed / "tamblit95.wav").write_bytes(b"old")
    before = state(wine)
    (installed / "tamblit95.hlp.new").mkdir()
    assert setup_in(wine, dist, "/S") == FAILED
    (installed / "tamblit95.hlp.new").rmdir()
    assert state(wine) == before and (installed / "tamblit95.wav").read_bytes() == b"old"

    # A removal that cannot delete a file names it and keeps the entry.
    (installed / "tamblit95.hlp").chmod(0o444)
    try:
        box = ("Error", IDOK, f"Tamblit 95 is not removed: {INSTALL_DIR}\\tamblit95.hlp cannot be "
               "deleted. End any program that uses it, then remove Tamblit 95 again.")
        job = wine.probe.execute(installed / "setup.exe", "/u")
        wine.probe.answer_message_box("Tamblit 95", IDYES, timeout=20)
        assert wine.probe.answer_message_box(box[0], timeout=20) == box[2]
        assert job.result()["code"] == FAILED
        assert state(wine)["entry"] and (installed / "tamblit95.hlp").exists()
    finally:
        (installed / "tamblit95.hlp").chmod(0o644)


def test_program_manager_refusing_an_item_fails_the_install_and_silent_makes_a_group(
        e2e_session, dist):
    wine = e2e_session.wine("winetrust-winxp", e2e_session.display(832, 624, 24))
    wine.reg_set(r"HKCU\Software\Wine", "Version", "winxp")
    group = wine.appdata / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Accessories"
    group.mkdir(parents=True, exist_ok=True)
    proc, dlg = start_setup(wine, dist)
    # Listed, then gone: Program Manager refuses to show the group.
    shutil.rmtree(group)
    wine.probe.press(IDOK, hwnd=dlg["hwnd"])
    wine.probe.answer_message_box("Create Directory", IDYES, timeout=20)
    assert wine.probe.answer_message_box("Error", timeout=30).startswith(
        "Program Manager did not add Tamblit 95 to the Accessories group (")
    wine.probe.press(IDCANCEL, hwnd=dlg["hwnd"])
    assert proc.wait() == FAILED & 0xFF
    assert not wine.linuxpath(INSTALL_DIR).exists() and wine.reg_values(UNINSTALL) is None
    # Without Accessories, a silent installation makes a group of its own,
    # and takes it away again when it fails.
    blocked = wine.linuxpath(INSTALL_DIR) / "tamblit95.hlp.new"
    blocked.mkdir(parents=True)
    assert setup_in(wine, dist, "/S") == FAILED
    assert not (group.parent / "Tamblit 95").exists()
    blocked.rmdir()
    assert setup_in(wine, dist, "/S") == DONE
    assert (group.parent / "Tamblit 95" / "Tamblit 95.lnk").is_file()
    assert setup_in(wine, dist, "/u", "/S") == DONE
    assert not (group.parent / "Tamblit 95" / "Tamblit 95.lnk").exists()
