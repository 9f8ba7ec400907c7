"""Takes the README's pictures of the dialogs: the sign-on box, the Setup
dialog and the keys dialog of tamblit95, and the dialog of setup.exe, each under Wine on a virtual
display of its own, written as PNG files with a margin of the screen around
them. Run through tools/shoot-dialogs.sh. With ``--dpi N`` (under Wine 10,
which scales) it takes the Setup dialog alone on a display of N DPI, as
setup-<N>dpi.png."""

import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402
from settings_dialogs import ID_DELAY, ID_KEY_FULLSCREEN, ID_KEYS, ID_POINTER, SetupDialog  # noqa: E402
from test_resident import (ID_SETUP, exit_program, fresh_settings,  # noqa: E402
                           open_full_sign_on, start_resident)

MARGIN = 12  # screen pixels kept around each window in its picture
INSTALLER = "Tamblit 95 Installer"


def shoot(display, window, out: Path) -> None:
    left, top, right, bottom = window["rect"]
    crop = f"{right - left + 2 * MARGIN}x{bottom - top + 2 * MARGIN}+{left - MARGIN}+{top - MARGIN}"
    subprocess.run(["import", "-display", display.name, "-window", "root", "-crop", crop,
                    "+repage", str(out)], check=True, timeout=60)


def shoot_keys(wine, display, setup, out: Path) -> None:
    """The keys dialog with the keys of the settings, a delay and the pointer."""
    setup.press(ID_KEYS)
    keys = {"hwnd": wine.probe.wait_window(caption="Snapshot Keys", cls="#32770", visible=True,
                                           timeout=15)["hwnd"]}
    wine.probe.set_text(ID_DELAY, "3", **keys)
    wine.probe.press(ID_POINTER, bm_click=True, **keys)
    wine.probe.focus(ID_KEY_FULLSCREEN, **keys)
    shoot(display, wine.probe.find_window(**keys), out)
    wine.probe.press(2, **keys)
    wine.probe.wait_gone(**keys)


def shoot_program(session, folder: Path, dpi=None) -> None:
    display = session.display(*((800, 600) if dpi is None else (1200, 900)), 24)
    wine = session.wine("dialogs", display, dpi)
    # Keys for three kinds, which the sign-on box lists.
    fresh_settings(wine, destination="Printer", kind_keys=("FullScreen", "Area", "LastArea"))
    proc = start_resident(wine)
    box = open_full_sign_on(wine)
    if dpi is None:
        shoot(display, box, folder / "signon.png")
    wine.probe.press(ID_SETUP, ctlclass="Button", hwnd=box["hwnd"])
    setup = SetupDialog(wine)
    name = "setup.png" if dpi is None else f"setup-{dpi}dpi.png"
    shoot(display, wine.probe.find_window(**setup.sel), folder / name)
    if dpi is None:
        shoot_keys(wine, display, setup, folder / "keys.png")
    setup.press(2)
    wine.probe.wait_gone(**setup.sel)
    exit_program(wine, proc)


def shoot_installer(session, folder: Path) -> None:
    display = session.display(640, 480, 24)
    wine = session.wine("installer", display)
    (wine.appdata / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Accessories").mkdir(
        parents=True, exist_ok=True)
    dist = harness.build_dir() / "dist"
    proc = wine.start(dist / "setup.exe", cwd=dist)
    dlg = wine.probe.wait_window(caption=INSTALLER, cls="#32770", visible=True, timeout=30)
    wine.wait_for(lambda: wine.probe.control(1004, hwnd=dlg["hwnd"])["text"].startswith("Select"),
                  30, "the group list")
    shoot(display, wine.probe.find_window(hwnd=dlg["hwnd"]), folder / "installer.png")
    wine.probe.press(2, hwnd=dlg["hwnd"])
    proc.wait(30)


def main(folder: Path, dpi=None) -> None:
    session = harness.Session()
    try:
        shoot_program(session, folder, dpi)
        session.end_test()
        if dpi is None:
            shoot_installer(session, folder)
    finally:
        session.end_test()
        session.close()


if __name__ == "__main__":
    args = sys.argv[1:]
    dpi = None
    if args[:1] == ["--dpi"]:
        dpi, args = int(args[1]), args[2:]
    main(Path(args[0]) if args else REPO / "docs", dpi)
