"""What administrators and deployment tools rely on: no DLL taken from the
folder setup.exe or tamblit95.exe runs from, silent runs with exit codes, a
running program ended before its files go, an install that fails leaving
nothing behind, an upgrade in place, and shortcuts for the whole machine."""

import shutil

import pytest

from harness import build_dir, exe_path
from harness_wine import WINE_DLL_OVERRIDES

# Names Windows looks for beside a program before its system folder (none is
# a known system DLL); Wine prefers them there with the override "n,b".
PLANTED = ["shell32", "ole32", "oleaut32", "comctl32", "winmm", "version", "uxtheme", "propsys",
           "imm32", "msimg32"]
PLANT_ENV = {"WINEDLLOVERRIDES": f"{WINE_DLL_OVERRIDES};{','.join(PLANTED)}=n,b"}
SETUP_CAPTION = "Tamblit 95 Installer"
READY = "Select a program group and choose Install."
ID_STATUS, IDCANCEL = 1004, 2


@pytest.fixture(scope="module")
def twine(e2e_session):
    wine = e2e_session.wine("winetrust-win10", e2e_session.display(800, 600, 24))
    wine.reg_set(r"HKCU\Software\Wine", "Version", "win10")
    return wine


@pytest.fixture(scope="module")
def dist():
    d = build_dir() / "dist"
    if not (d / "setup.exe").is_file():
        pytest.skip(f"no distribution folder at {d}")
    return d


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
    proc = wine.start(folder / "setup.exe", cwd=folder, env=PLANT_ENV)
    dlg = wine.probe.wait_window(caption=SETUP_CAPTION, cls="#32770", visible=True, timeout=20)
    wine.wait_for(lambda: wine.probe.control(ID_STATUS, hwnd=dlg["hwnd"])["text"] == READY, 20)
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
