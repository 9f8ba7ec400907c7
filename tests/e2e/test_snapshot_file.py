"""Snapshots to bitmap files, end to end: snapdriver.exe takes one snapshot
through the program's own pipeline under Wine, the test answers the Save
dialog and the message boxes through the probe and reads the file back."""

import itertools
import os
import shutil
import subprocess

import pytest

from harness import compare_to_pattern, exe_path, read_bmp, wait_for

_numbers = itertools.count(1)

SAVE_CAPTION = "Save Snapshot"
INFO_CAPTION = "Tamblit 95"
ERROR_CAPTION = "Error"
IDYES = 6
IDCANCEL = 2


class Snap:
    """One run of snapdriver.exe."""

    def __init__(self, wine, directory, rect=None, bpp=24, frozen="none", dest=1, owner=0, extra=(), env=None):
        self.wine = wine
        self.result_path = wine.tmp / f"snap-result-{next(_numbers)}.txt"
        args = ["--dir", directory, "--bpp", bpp, "--frozen", frozen, "--dest", dest,
                "--owner", owner, "--result", wine.winpath(self.result_path), *extra]
        if rect is not None:
            args += ["--rect", ",".join(map(str, rect))]
        self.proc = wine.start("snapdriver", *args, env=env)

    def result(self, timeout=30):
        """The SnapResult, once TakeSnapshot has returned (every box closed)."""
        text = wait_for(lambda: self.result_path.is_file() and self.result_path.read_text().strip(),
                        timeout, "the snapshot to end")
        self.proc.wait(timeout)
        return int(text)

    def save_as(self, path):
        self.wine.probe.save_dialog_answer(path, caption=SAVE_CAPTION, timeout=20)


@pytest.fixture
def new_snapdir():
    """Makes fresh, empty snapshot directories on C: of a prefix; removed
    when the test ends."""
    made = []

    def make(wine):
        d = wine.drive_c / f"snaps{next(_numbers)}"
        d.mkdir()
        made.append(d)
        return d

    yield make
    for d in made:
        shutil.rmtree(d, ignore_errors=True)


@pytest.fixture
def snapdir(wine24, new_snapdir):
    return new_snapdir(wine24)


def windir(wine, path):
    return wine.winpath(path).rstrip("\\") + "\\"


def file_names(d):
    return sorted(os.listdir(d))


@pytest.fixture
def small_drive(tmp_path):
    """Mounts tmpfs file systems that really fill up (or are read-only);
    each is unmounted when the test ends."""
    mounts = []

    def mount(size_kb, read_only=False):
        point = tmp_path / f"mnt{len(mounts)}"
        point.mkdir()
        options = f"size={size_kb}k" + (",ro" if read_only else "")
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", str(point)],
                           capture_output=True, text=True)
        if r.returncode != 0:
            pytest.skip(f"cannot mount a tmpfs here: {r.stderr.strip()}")
        mounts.append(point)
        return point

    yield mount
    for point in mounts:
        # Lazy: a Wine process of the test may still hold the folder until the
        # harness ends it.
        subprocess.run(["umount", "-l", str(point)], capture_output=True)


# ---------------------------------------------------------------- pictures

@pytest.mark.parametrize("wine_name, bpp", [("wine24", 24), ("wine8", 8), ("wine8", 24)])
def test_pattern_on_screen_is_saved_pixel_for_pixel(request, new_snapdir, wine_name, bpp):
    wine = request.getfixturevalue(wine_name)
    d = new_snapdir(wine)
    pattern = wine.start_pattern(30, 20, 240, 180, cell=10)
    # An odd width, so that rows carry padding at both depths.
    left, top, right, bottom = 41, 33, 41 + 151, 33 + 101
    snap = Snap(wine, windir(wine, d), rect=(left, top, right, bottom), bpp=bpp)
    snap.save_as(d / "snap001.bmp")
    assert wine.probe.answer_message_box(INFO_CAPTION, timeout=20) == "Snapshot file created."
    assert snap.result() == 0

    data = (d / "snap001.bmp").read_bytes()
    bmp = read_bmp(data)
    row = (151 * bpp // 8 + 3) // 4 * 4
    table = 1024 if bpp == 8 else 0
    assert (bmp.width, bmp.height, bmp.bpp, bmp.top_down) == (151, 101, bpp, False)
    assert bmp.offbits == 54 + table
    assert bmp.file_size == len(data) == 54 + table + row * 101
    assert (bmp.header_size, bmp.compression, bmp.image_size) == (40, 0, 0)
    assert (bmp.xppm, bmp.yppm, bmp.clr_important) == (0, 0, 0)
    assert bmp.clr_used == (256 if bpp == 8 else 0)
    assert data[6:10] == b"\0\0\0\0"
    # Bottom-up rows, each padded with zero bytes.
    assert compare_to_pattern(bmp, (left, top), pattern.rect) == []
    used = 151 * bpp // 8
    for y in range(101):
        start = bmp.offbits + y * row
        assert data[start + used:start + row] == b"\0" * (row - used)


@pytest.mark.parametrize("wine_name", ["wine24", "wine8"])
def test_frozen_snapshot_copies_from_the_bitmap_not_the_screen(request, new_snapdir, wine_name):
    wine = request.getfixturevalue(wine_name)
    d = new_snapdir(wine)
    # The live screen shows the pattern where the frozen picture has its
    # blue, red and green blocks.
    wine.start_pattern(80, 40, 260, 230, cell=10)
    snap = Snap(wine, windir(wine, d), rect=(100, 50, 300, 250), frozen="picture")
    snap.save_as(d / "snap001.bmp")
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0

    bmp = read_bmp(d / "snap001.bmp")
    assert (bmp.width, bmp.height) == (200, 200)

    # The driver's picture: blue, red over (0,0)-(150,100), green over
    # (250,200)-(400,400), in screen coordinates.
    def expected(x, y):
        sx, sy = 100 + x, 50 + y
        if sx < 150 and sy < 100:
            return (255, 0, 0)
        if 250 <= sx < 400 and 200 <= sy < 400:
            return (0, 255, 0)
        return (0, 0, 255)

    bad = [((x, y), got, expected(x, y)) for y in range(200)
           for x, got in enumerate(bmp.row(y)) if got != expected(x, y)]
    assert bad[:10] == []


# A step that makes the picture fails: the error box and the result say so,
# never a Save dialog for a picture that was not read.
CAPTURE_FAILURES = [
    ("the frozen bitmap is gone", dict(rect=(0, 0, 100, 100), frozen="gone"), 12,
     "Cannot copy the screen for snapshot."),
    ("no memory for the captured bitmap", dict(rect=(0, 0, 30000, 30000), bpp=8), 2,
     "Cannot allocate memory for snapshot."),
]


@pytest.mark.parametrize("what, args, code, text", CAPTURE_FAILURES, ids=[c[0] for c in CAPTURE_FAILURES])
def test_failed_capture_step_is_reported_instead_of_saved(wine, snapdir, what, args, code, text):
    snap = Snap(wine, windir(wine, snapdir), **args)
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == text
    assert snap.result() == code
    assert list(snapdir.iterdir()) == []


# ---------------------------------------------------------------- the dialog

def test_cancel_writes_nothing_and_shows_nothing(wine, snapdir):
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 64, 48))
    wine.probe.wait_window(caption=SAVE_CAPTION, cls="#32770", visible=True, timeout=20)
    wine.probe.press(IDCANCEL, ctlclass="Button", caption=SAVE_CAPTION, cls="#32770")
    # The driver only gets its result once every box has been closed, and
    # nobody closes any: so none was shown.
    assert snap.result() == -1
    assert file_names(snapdir) == []


def test_first_free_name_is_proposed_and_saved_in_the_snapshot_directory(wine, snapdir):
    (snapdir / "snap001.bmp").write_bytes(b"one")
    (snapdir / "snap003.bmp").write_bytes(b"three")
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 32, 16))
    wine.probe.wait_window(caption=SAVE_CAPTION, cls="#32770", visible=True, timeout=20)
    name = wait_for(lambda: wine.probe.control(id=1148, ctlclass="Edit", caption=SAVE_CAPTION)["text"],
                    10, "the proposed name")
    assert name == "snap002.bmp"
    # The dialog opened in the snapshot directory ("Save in"), and saving
    # without touching the name puts the file there.
    assert wine.probe.control(id=1137, ctlclass="ComboBox", caption=SAVE_CAPTION)["text"] == snapdir.name
    wine.probe.press(1, ctlclass="Button", caption=SAVE_CAPTION, cls="#32770")
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    assert file_names(snapdir) == ["snap001.bmp", "snap002.bmp", "snap003.bmp"]
    assert (snapdir / "snap001.bmp").read_bytes() == b"one"
    assert read_bmp(snapdir / "snap002.bmp").width == 32


@pytest.mark.parametrize("taken, rect", [
    (999, (0, 0, 8, 8)),
    # Nothing to take is no lack of memory.
    (0, (10, 10, 10, 50)),
    (0, (10, 50, 60, 50)),
])
def test_all_names_taken_or_empty_rectangle_ends_silently_without_a_dialog(wine, snapdir, taken, rect):
    for n in range(1, taken + 1):
        (snapdir / f"snap{n:03d}.bmp").write_bytes(b"")
    snap = Snap(wine, windir(wine, snapdir), rect=rect)
    assert snap.result() == -1
    assert len(file_names(snapdir)) == taken


def test_name_typed_without_extension_gets_bmp(wine, snapdir):
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 20, 10))
    snap.save_as(snapdir / "shot")
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    assert file_names(snapdir) == ["shot.bmp"]


def confirm_overwrite(wine):
    """Answers Yes to the dialog's own question before it replaces a file.

    The question is a second window captioned like the dialog and above it;
    its Yes button is pressed without listing the windows' contents (listing
    them while the question is up makes the probe crash under Wine 8)."""
    def press_yes():
        try:
            return wine.probe.press(IDYES, ctlclass="Button", caption=SAVE_CAPTION, cls="#32770")
        except AssertionError:  # not up yet: the dialog itself has no Yes button
            return None

    wait_for(press_yes, 20, "the question whether to replace the file")


def test_confirmed_overwrite_replaces_the_file_completely(wine, snapdir):
    old = snapdir / "old.bmp"
    old.write_bytes(b"x" * 200000)
    snap = Snap(wine, windir(wine, snapdir), rect=(0, 0, 20, 10))
    snap.save_as(old)
    confirm_overwrite(wine)
    wine.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    data = old.read_bytes()
    assert len(data) == 54 + 60 * 10
    assert read_bmp(data).width == 20
    assert file_names(snapdir) == ["old.bmp"]


# ---------------------------------------------------------------- failures

def test_disk_full_reports_and_leaves_no_partial_file(wine, small_drive):
    mnt = small_drive(256)
    drive = wine.map_drive("t", mnt)
    snap = Snap(wine, drive)  # the whole screen: 2.3 MB, the drive holds 256 KB
    snap.save_as(drive + "snap001.bmp")
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == \
        "Cannot create file: out of disk space?"
    assert snap.result() == 3
    assert file_names(mnt) == []


def test_disk_full_while_replacing_keeps_the_old_file(wine, small_drive):
    mnt = small_drive(256)
    old = mnt / "keep.bmp"
    content = os.urandom(100000)
    old.write_bytes(content)
    drive = wine.map_drive("t", mnt)
    snap = Snap(wine, drive)
    snap.save_as(drive + "keep.bmp")
    confirm_overwrite(wine)
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == \
        "Cannot create file: out of disk space?"
    assert snap.result() == 3
    assert file_names(mnt) == ["keep.bmp"]
    assert old.read_bytes() == content


def test_file_that_cannot_be_created_is_reported(wine, small_drive):
    mnt = small_drive(64, read_only=True)
    drive = wine.map_drive("r", mnt)
    snap = Snap(wine, drive, rect=(0, 0, 16, 16))
    snap.save_as(drive + "snap001.bmp")
    assert wine.probe.answer_message_box(ERROR_CAPTION, timeout=30) == "Cannot create snapshot file."
    assert snap.result() == 4
    assert file_names(mnt) == []


# ---------------------------------------------------------------- helpers

def test_gdi_guards_give_back_what_they_selected(wine):
    out = wine.tmp / f"guards-{next(_numbers)}.txt"
    assert wine.run("snapdriver", "--check-guards", wine.winpath(out), timeout=60) == 0
    assert out.read_text() == "ok"


def test_program_file_path_refuses_a_cut_module_name(wine):
    """The program's own path is read into 150 characters; a longer one would
    come back cut and name a different folder, so no path is made."""
    src = exe_path("snapdriver")

    def run_from(folder):
        folder.mkdir(parents=True, exist_ok=True)
        target = folder / "snapdriver.exe"
        shutil.copy(src, target)
        out = wine.tmp / f"progpath-{next(_numbers)}.txt"
        assert wine.run(target, "--program-path", "tamblit95.wav", wine.winpath(out), timeout=60) == 0
        return out.read_text(), wine.winpath(folder)

    base = wine.drive_c / f"progpath{next(_numbers)}"
    try:
        text, folder = run_from(base / "short")
        assert text == f"1 {folder}\\tamblit95.wav"

        # C:\progpathN\ + 170 characters + \snapdriver.exe is well over 150.
        text, _ = run_from(base / ("d" * 170))
        assert text.strip() == "0"
    finally:
        shutil.rmtree(base, ignore_errors=True)


# The driver's pointer window (white, 40 x 40 around the pointer) inside the
# snapshot, and its cursor: a black square of 16 with the hot spot at 8,8.
POINTER = (300, 200)
SNAP_RECT = (200, 100, 400, 300)


@pytest.mark.parametrize("bpp, frozen, pointer", [(24, "none", 1), (8, "none", 1), (24, "freeze", 1),
                                                  (24, "none", 0)])
def test_the_pointer_is_drawn_at_its_hot_spot_only_when_asked_for(wine24, snapdir, bpp, frozen, pointer):
    snap = Snap(wine24, windir(wine24, snapdir), rect=SNAP_RECT, bpp=bpp, frozen=frozen,
                extra=["--pointer", pointer, "--pointer-at", ",".join(map(str, POINTER))])
    snap.save_as(snapdir / "pointer.bmp")
    wine24.probe.answer_message_box(INFO_CAPTION, timeout=20)
    assert snap.result() == 0
    bmp = read_bmp(snapdir / "pointer.bmp")
    px, py = POINTER[0] - SNAP_RECT[0], POINTER[1] - SNAP_RECT[1]
    for y in range(py - 20, py + 20):
        for x in range(px - 20, px + 20):
            in_square = px - 8 <= x < px + 8 and py - 8 <= y < py + 8
            expected = (0, 0, 0) if pointer and in_square else (255, 255, 255)
            assert bmp.pixel(x, y) == expected, (x, y)
