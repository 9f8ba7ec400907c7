"""Snapshots to the printer, through the real CUPS scheduler to a PDF queue
(CUPS-PDF): the test answers the print dialog through the probe, reads the
PDF back with pdftoppm and checks where the picture is and what it shows."""

import time

import pytest

from harness import pattern_colour, wait_for
from procstats import process_stats
from printing import picture_box, print_server_fixture, spooler_reports_refusal
from test_resident import exit_program, fresh_settings, holds_for, wait_resident
from test_snapshot_file import ERROR_CAPTION, Snap

PRINTER = 2
PRINT_CAPTION = "Print"
IDOK, IDCANCEL = 1, 2
ID_SELECTION, ID_PAGES = 1057, 1058  # radio buttons of the print dialog
DPI, SCREEN_DPI = 300, 96
MARGINS_TEXT = ("The margins you specified in Page Setup are too wide. Please choose Page Setup from "
                "Tamblit's Setup dialog and change them to smaller numbers.")

print_server = pytest.fixture(scope="module")(print_server_fixture)


@pytest.fixture
def printer(print_server):
    print_server.clear()
    return print_server


def print_snap(wine, printer, rect, margins=(50, 50, 50, 50), bpp=24, owner=0):
    snap = Snap(wine, "C:\\", rect=rect, bpp=bpp, dest=PRINTER, owner=owner, env=printer.env,
                extra=("--resources", 1, "--margins", ",".join(map(str, margins))))
    dialog = wine.probe.wait_window(caption=PRINT_CAPTION, cls="#32770", visible=True, timeout=30)
    # No page numbers and no selection to print: one page, the whole snapshot.
    enabled = {c["id"]: c["enabled"] for c in dialog["children"]}
    assert (enabled[ID_PAGES], enabled[ID_SELECTION]) == (False, False)
    return snap


def assert_nothing_printed(printer):
    time.sleep(1)  # a PDF shows up about 0.3 s after a job
    assert printer.jobs() == [] and printer.pdfs() == []


@pytest.mark.parametrize("wine_name, bpp, owner, margins, size", [
    # 151 x 101 screen pixels at 96 dpi are 471 x 315 printer pixels.
    pytest.param("wine24", 24, 0, (50, 100, 50, 50), (471, 315), marks=pytest.mark.wine10),
    # The A4 page is 2479 pixels wide: 150 + 124 + 2205 leaves 124, so the
    # picture is shrunk to 124 x 82.
    ("wine8", 8, 1, (50, 50, 735, 50), (124, 82)),
])
def test_printed_page_shows_the_snapshot_inside_the_margins(request, printer, wine_name, bpp, owner,
                                                            margins, size):
    wine = request.getfixturevalue(wine_name)
    pattern = wine.start_pattern(30, 20, 240, 180, cell=10)
    # Corners of the rectangle fall on dark cells, so the picture's edges show on white paper.
    left, top, width, height = 41, 33, 151, 101
    snap = print_snap(wine, printer, (left, top, left + width, top + height), margins, bpp, owner)
    wine.probe.press(IDOK, caption=PRINT_CAPTION)
    assert snap.result() == 0

    pages = printer.render(printer.wait_pdf())
    assert len(pages) == 1
    x0, y0 = margins[0] * DPI // 100, margins[1] * DPI // 100
    w, h = size
    box = picture_box(pages[0])
    assert box is not None
    assert all(abs(a - b) <= 2 for a, b in zip(box, (x0, y0, x0 + w, y0 + h))), box

    # The middle of every cell of the pattern, where it lands on paper.
    for sy in range(top + 2, top + height, 10):
        for sx in range(left + 2, left + width, 10):
            cx, cy = (sx // 10) * 10 + 5, (sy // 10) * 10 + 5
            if not (left <= cx < left + width and top <= cy < top + height):
                continue
            want = pattern_colour(cx, cy, pattern.rect)
            px = x0 + (cx - left) * w // width
            py = y0 + (cy - top) * h // height
            got = pages[0].pixel(px, py)
            assert all(abs(a - b) <= 8 for a, b in zip(got, want)), ((cx, cy), (px, py), got, want)


def reject(wine, printer):
    printer.reject()


def remove_queue(wine, printer):
    printer.remove_queue()


@pytest.mark.parametrize("case, margins, when_dialog_shows, button, result, message", [
    ("cancelled", (50, 50, 50, 50), None, IDCANCEL, -1, None),
    ("margins too wide", (50, 50, 2000, 50), None, IDOK, 9, MARGINS_TEXT),
    ("margins past 32 bits", (50, 50, 2147483647, 2147483647), None, IDOK, 9, MARGINS_TEXT),
    pytest.param("queue rejects jobs", (50, 50, 50, 50), reject, IDOK, 5, "Cannot print snapshot.",
                 marks=pytest.mark.wine10),
    pytest.param("queue removed meanwhile", (50, 50, 50, 50), remove_queue, IDOK, 5,
                 "Cannot print snapshot.", marks=pytest.mark.wine10),
])
def test_print_that_sends_no_job(wine, printer, case, margins, when_dialog_shows, button, result,
                                 message):
    snap = print_snap(wine, printer, (0, 0, 64, 48), margins)
    if when_dialog_shows:
        when_dialog_shows(wine, printer)
        if not spooler_reports_refusal(wine):
            result, message = 0, None
    wine.probe.press(button, caption=PRINT_CAPTION)
    if message:
        assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == message
    assert snap.result() == result
    assert_nothing_printed(printer)


def test_abort_button_ends_the_job(wine, printer, tmp_path):
    """printwatch holds the program still from the moment the printing box is
    visible, until X shows it; then the Abort button is clicked with the mouse."""
    seen, go = tmp_path / "box", tmp_path / "go"
    wine.start("printwatch", wine.winpath(seen), wine.winpath(go))
    # Twice the screen each way (black beyond it): a page that takes a while
    # to send, so that the box is surely seen while it is up.
    snap = print_snap(wine, printer, (0, 0, 2 * wine.display.width, 2 * wine.display.height), owner=1)
    wine.probe.press(IDOK, caption=PRINT_CAPTION)

    def report(step):
        words = seen.is_file() and seen.read_text().split()
        return words if words and words[-1] == str(step) else None

    step = 1
    while True:
        words = wait_for(lambda: report(step), 30, f"the printing box (step {step})")
        if wine.display.xdotool("search", "--onlyvisible", "--name", "^Tamblit 95$", check=False).strip():
            break
        go.write_text("step")
        step += 1
    box = list(map(int, words[1:5]))
    abort = list(map(int, words[6:10]))
    # Centred on the screen, owned by the window the snapshot was taken for.
    bw, bh = box[2] - box[0], box[3] - box[1]
    assert box[:2] == [(wine.display.width - bw) // 2, (wine.display.height - bh) // 2]
    assert int(words[11]) == wine.probe.find_window(caption="snapdriver")["hwnd"]
    wine.click((abort[0] + abort[2]) // 2, (abort[1] + abort[3]) // 2)
    go.write_text("go")

    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == "Printing was aborted."
    assert snap.result() == 8
    assert wine.probe.find_window(caption="Tamblit 95", cls="#32770") is None
    assert_nothing_printed(printer)


def test_hot_key_prints_the_active_window_and_keeps_nothing(wine, printer):
    fresh_settings(wine, source="Window", destination="Printer")
    proc = wine.start("tamblit95", env=printer.env)
    wait_resident(wine)
    wine.start_pattern(123, 211, 301, 155, title="Printed Pattern")

    def print_through_hot_key(button, again=False):
        printer.clear()
        wine.press_keys("ctrl+shift+s", window="Printed Pattern")
        wine.probe.wait_window(caption=PRINT_CAPTION, cls="#32770", visible=True, timeout=30)
        if again:
            # Pressed inside the print dialog's loop, the key starts no second print.
            wine.probe.keys("ctrl+shift+s")
            holds_for(lambda: len(wine.probe.list(caption=PRINT_CAPTION, cls="#32770")) == 1,
                      "one print dialog")
        wine.probe.press(button, caption=PRINT_CAPTION)
        if button == IDCANCEL:
            wine.probe.wait_gone(caption=PRINT_CAPTION, timeout=30)
            return None
        return printer.wait_pdf()

    # Default margins of half an inch; 301 x 155 screen pixels are 940 x 484 on paper.
    pages = printer.render(print_through_hot_key(IDOK, again=True))
    assert len(pages) == 1
    box = picture_box(pages[0])
    assert box is not None
    assert all(abs(a - b) <= 2 for a, b in zip(box, (150, 150, 150 + 940, 150 + 484))), box

    # Printer contexts, the printing box and the dialog's records are all
    # given back, whether the print is cancelled or done.
    held = []
    for _ in range(2):
        print_through_hot_key(IDCANCEL)
        print_through_hot_key(IDOK)
        stats = process_stats(wine, proc.win_pid())
        held.append((stats["gdi"], stats["user"], stats["handles"]))
    assert held[0] == held[1]
    exit_program(wine, proc)
