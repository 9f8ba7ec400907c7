"""Snapshots on a scaled display. Wine 10 scales the windows of programs that
do not say they are DPI aware and hands them a shrunken screen (Wine 8 does
not scale at all, so these tests need Wine 10). tamblit95's manifest says it
is aware: at 192 DPI its snapshots of the full screen, the active window and
a dragged area hold exactly the physical pixels. The same program built
without the manifest is run through the same test, which must fail for it.
At 144 DPI every label and button of the dialogs shows its text in full."""

import pytest

from harness import compare_to_pattern, read_bmp, wine_generation
from preview import drag
from settings_dialogs import SetupDialog
from test_preview import open_preview, save_snapshot
from test_resident import (ID_SETUP, exit_program, fresh_settings, open_full_sign_on,
                           snapshot_through_hot_key, start_resident)
from test_setup import dist, start_setup  # noqa: F401 (dist is a fixture)

SCREEN = (1280, 1024)
# Clear of the tray (top left, twice its size at 192 DPI) and of the preview
# window in the middle of the screen.
PATTERN = (700, 640, 301, 201)
# A drag over the model, in model pixels from its top-left corner: half of
# the screen rectangle (760, 680)-(960, 800) inside the pattern.
DRAG = ((380, 340), (480, 400))

PROGRAMS = [
    pytest.param("tamblit95", id="with-manifest"),
    pytest.param("tamblit95-unmanifested", id="without-manifest", marks=pytest.mark.xfail(
        strict=True, raises=AssertionError,
        reason="without the manifest the program sees a shrunken screen")),
]


def scaled_wine(e2e_session, dpi, size):
    if wine_generation() < 10:
        pytest.skip("this Wine does not scale programs (Wine 10 does)")
    return e2e_session.wine(f"wine{dpi}", e2e_session.display(*size, 24), dpi=dpi)


@pytest.fixture(scope="module")
def wine192(e2e_session):
    return scaled_wine(e2e_session, 192, SCREEN)


@pytest.fixture(scope="module")
def wine144(e2e_session):
    return scaled_wine(e2e_session, 144, (1152, 864))


@pytest.mark.wine10
@pytest.mark.parametrize("exe", PROGRAMS)
@pytest.mark.parametrize("source", ["Screen", "Window", "Selected"])
def test_snapshots_at_192_dpi_hold_exactly_the_physical_pixels(wine192, source, exe):
    wine = wine192
    folder, _ = fresh_settings(wine, source=source)
    proc = start_resident(wine, exe=exe)
    pattern = wine.start_pattern(*PATTERN, title="Scaled Pattern")
    x, y, w, h = PATTERN
    if source == "Selected":
        _, (mx, my) = open_preview(wine)
        (sx, sy), (ex, ey) = DRAG
        drag(wine, (mx + sx, my + sy), (mx + ex, my + ey))
        data = save_snapshot(wine, folder, "area.bmp")
        origin, size = (2 * sx, 2 * sy), (2 * (ex - sx), 2 * (ey - sy))
    else:
        data = snapshot_through_hot_key(wine, folder, "Scaled Pattern")
        origin, size = ((0, 0), SCREEN) if source == "Screen" else ((x, y), (w, h))
    bmp = read_bmp(data)
    assert (bmp.width, bmp.height) == size
    assert compare_to_pattern(bmp, origin, pattern.rect) == []
    exit_program(wine, proc)


def cut_texts(wine, **sel):
    return [(c["text"], c["need"], c["have"]) for c in wine.probe.text_fit(**sel)
            if c["need"][0] > c["have"][0] or c["need"][1] > c["have"][1]]


@pytest.mark.wine10
def test_dialog_texts_are_shown_in_full_at_144_dpi(wine144, dist):  # noqa: F811
    wine = wine144
    fresh_settings(wine, destination="Printer")
    start_resident(wine)
    box = open_full_sign_on(wine)
    assert wine.probe.text_fit(hwnd=box["hwnd"])[0]["need"][1] > 13, "the font is not scaled"
    cut = {"sign-on": cut_texts(wine, hwnd=box["hwnd"])}
    wine.probe.press(ID_SETUP, ctlclass="Button", hwnd=box["hwnd"])
    setup = SetupDialog(wine)
    cut["setup"] = cut_texts(wine, **setup.sel)
    cut["page setup"] = cut_texts(wine, **setup.open_page_setup())
    _, installer = start_setup(wine, dist)
    cut["installer"] = cut_texts(wine, hwnd=installer["hwnd"])
    assert cut == {name: [] for name in cut}
