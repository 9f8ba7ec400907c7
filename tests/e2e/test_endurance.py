"""Hundreds of hot key snapshots in a row leave the resident program as lean as
they found it: GDI objects, windows, handles and private memory read before
and after. TAMBLIT_ENDURANCE sets the count (30 here, 200 in the benchmark)."""

import os

import pytest

pytest.importorskip("test_resident")
from test_resident import CAPTION, exit_program, fresh_settings, wait_resident  # noqa: E402

from printing import print_server_fixture  # noqa: E402
from procstats import process_stats  # noqa: E402

COUNT = int(os.environ.get("TAMBLIT_ENDURANCE", "30"))
# What may come and go between two idle moments (Wine's own caches, a font).
ALLOWANCE = {"gdi": 4, "user": 0, "handles": 4, "private": 2 << 20}
# Wine 8's file dialog keeps one kernel handle each time it closes with OK
# (a program of nothing but GetSaveFileNameA does the same); one more a
# snapshot would still show.
PLATFORM_HANDLES_PER_SAVE = 1


print_server = pytest.fixture(scope="module")(print_server_fixture)


def to_file(wine, folder, printer):
    target = folder / "endurance.bmp"
    wine.probe.save_dialog_answer(target, caption="Save Snapshot", timeout=30)
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot file created."
    assert target.stat().st_size > 0
    target.unlink()


def to_clipboard(wine, folder, printer):
    assert wine.probe.answer_message_box(CAPTION, timeout=30) == "Snapshot copied to Clipboard."


def to_printer(wine, folder, printer):
    wine.probe.wait_window(caption="Print", cls="#32770", visible=True, timeout=30)
    wine.probe.press(1, caption="Print")  # OK
    printer.wait_pdf()
    printer.clear()


# destination: (deliver, handles the platform keeps per snapshot)
DESTINATIONS = {"File": (to_file, PLATFORM_HANDLES_PER_SAVE), "Clipboard": (to_clipboard, 0),
                "Printer": (to_printer, 0)}


@pytest.mark.parametrize("destination", DESTINATIONS)
def test_many_snapshots_in_a_row_hold_no_more_than_one(request, wine, destination):
    folder, _ = fresh_settings(wine, source="Screen", destination=destination)
    printer = request.getfixturevalue("print_server") if destination == "Printer" else None
    if printer:
        printer.clear()
    proc = wine.start("tamblit95", env=printer.env if printer else None)
    wait_resident(wine)
    win_pid = proc.win_pid()
    deliver, platform_handles = DESTINATIONS[destination]

    def snapshot():
        wine.probe.keys("ctrl+shift+s")
        deliver(wine, folder, printer)

    # The first snapshot may keep what the platform keeps once (the hidden
    # Save dialog that Wine holds until the next one).
    snapshot()
    before = process_stats(wine, win_pid)
    for _ in range(COUNT):
        snapshot()
    after = process_stats(wine, win_pid)

    # The benchmark shows this line (pytest -s).
    print(f"\nendurance {destination} x{COUNT}: " + ", ".join(
        f"{k} {before[k]} -> {after[k]}" for k in ("gdi", "user", "handles", "private", "peakprivate")))
    allowed = dict(ALLOWANCE, handles=ALLOWANCE["handles"] + COUNT * platform_handles)
    grown = {k: after[k] - before[k] for k in allowed}
    assert all(before[k] >= 0 for k in allowed), before
    assert all(grown[k] <= allowed[k] for k in allowed), (grown, before, after)
    exit_program(wine, proc)
