"""The "Edit Snapshot" window between the hot key and the destination, driven
with real X keys and drags over a pattern whose every pixel is known; the
sent picture is checked pixel by pixel against the marks it must carry."""

import pytest

from harness import pattern_colour, read_bmp, read_file_when_stable
from preview import drag as preview_drag
from test_preview import open_preview
from test_resident import SETTINGS, exit_program, fresh_settings, holds_for, start_resident

EDITOR = "Edit Snapshot"
PATTERN = (300, 200, 230, 170)
RED, YELLOW = (255, 0, 0), (255, 255, 0)
IDYES, IDNO = 6, 7
WM_SYSCOMMAND, SC_MINIMIZE, SC_RESTORE = 0x0112, 0xF020, 0xF120


def captured(x, y):
    return pattern_colour(PATTERN[0] + x, PATTERN[1] + y, PATTERN)


def outline(x0, y0, x1, y1, width=3):
    inside = lambda x, y: x0 <= x <= x1 and y0 <= y <= y1
    edge = lambda x, y: x < x0 + width or x > x1 - width or y < y0 + width or y > y1 - width
    return lambda x, y, c: RED if inside(x, y) and edge(x, y) else c


def highlight(x0, y0, x1, y1):
    def mark(x, y, c):
        if x0 <= x <= x1 and y0 <= y <= y1:
            return tuple((a + b + 1) // 2 for a, b in zip(c, YELLOW))
        return c
    return mark


def pixelate(x0, y0, x1, y1, block=10):
    def mark(x, y, c):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return c
        bx, by = x0 + (x - x0) // block * block, y0 + (y - y0) // block * block
        cells = [captured(i, j) for j in range(by, min(by + block, y1 + 1))
                 for i in range(bx, min(bx + block, x1 + 1))]
        return tuple((sum(p[k] for p in cells) + len(cells) // 2) // len(cells) for k in range(3))
    return mark


def expected_picture(marks, size):
    w, h = size
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = captured(x, y)
            for mark in marks:
                c = mark(x, y, c)
            row.append(c)
        rows.append(row)
    return rows


def nearest(palette, colour):
    return min(palette, key=lambda p: sum((a - b) ** 2 for a, b in zip(p, colour)))


def differences(picture, rows, limit=10):
    """At 8 bits each mark's colour is the palette's nearest to it."""
    bad = []
    for y, row in enumerate(rows):
        got = picture.row(y)
        if picture.bpp == 8:
            row = [nearest(picture.palette, c) for c in row]
        bad += [((x, y), got[x], want) for x, want in enumerate(row) if got[x] != want]
        if len(bad) >= limit:
            break
    return bad[:limit]


class Editor:
    """The resident program with editing on, its editor opened by the hot key
    over the pattern window, and where the picture's pixels lie on screen."""

    def __init__(self, wine, destination="File", source="Window"):
        self.wine = wine
        self.folder, _ = fresh_settings(wine, source=source, destination=destination)
        wine.reg_set(SETTINGS + r"\Preferences", "Edit", "On")
        self.proc = start_resident(wine)
        self.open(source)

    def open(self, source="Window"):
        wine = self.wine
        pattern = wine.start_pattern(*PATTERN, title="Editor Pattern")
        if source == "Selected":
            # The band over the pattern's half-scale model: the pattern exactly.
            _, (mx, my) = open_preview(wine)
            x, y, w, h = PATTERN
            preview_drag(wine, (mx + x // 2, my + y // 2), (mx + (x + w) // 2, my + (y + h) // 2))
        else:
            wine.press_keys("ctrl+shift+s", window="Editor Pattern")
        self.frame = wine.probe.wait_window(caption=EDITOR, cls="TamblitEditSnapshot", visible=True,
                                            timeout=30)
        pattern.proc.kill()  # topmost: it would hide the editor
        # Tooltips name each tool's key: their window comes once the picture shows.
        wine.wait_for(lambda: wine.probe.list(cls="tooltips_class32", pid=self.frame["pid"]), 20,
                      "the editor's tooltips")
        self.canvas = next(c for c in self.frame["children"] if c["class"] == "TamblitEditCanvas")
        self.origin = tuple(self.canvas["rect"][:2])
        # The picture is found on the screen from the pattern itself.
        wine.wait_for(lambda: self.shown_at(self.origin), 20, "the pattern in the editor")

    def shown_at(self, origin, zoom=(1, 1), height=40):
        """The top left of the picture (height rows, unmarked) is shown there."""
        num, den = zoom
        shot = self.wine.probe.capture(origin[0], origin[1], 60, height)
        return all(shot.pixel(int((x + 0.5) * num / den), int((y + 0.5) * num / den)) == captured(x, y)
                   for y in range(0, height * den // num, 3) for x in range(0, 60 * den // num, 3))

    def point(self, x, y, zoom=(1, 1)):
        num, den = zoom
        return (self.origin[0] + int((x + 0.5) * num / den), self.origin[1] + int((y + 0.5) * num / den))

    def key(self, keys):
        self.wine.press_keys(keys, window=self.frame["hwnd"])

    def drag(self, a, b, zoom=(1, 1)):
        d = self.wine.display
        d.move_pointer(*self.point(*a, zoom))
        d.xdotool("mousedown", 1)
        middle = ((a[0] + b[0]) // 2, (a[1] + b[1]) // 2)
        d.move_pointer(*self.point(*middle, zoom))
        d.move_pointer(*self.point(*b, zoom))
        d.xdotool("mouseup", 1)

    def minimise_and_restore(self):
        hwnd = self.frame["hwnd"]
        for command, iconic in ((SC_MINIMIZE, True), (SC_RESTORE, False)):
            self.wine.probe.post(WM_SYSCOMMAND, command, 0, hwnd=hwnd)
            self.wine.wait_for(lambda: self.wine.probe.find_window(hwnd=hwnd)["iconic"] == iconic, 20,
                               f"the editor {'minimised' if iconic else 'restored'}")
        self.wine.wait_for(lambda: self.shown_at(self.origin, height=12), 20, "the picture back")

    def click(self, x, y):
        self.wine.click(*self.point(x, y))

    def send_to_file(self):
        self.key("Return")
        target = self.folder / "edited.bmp"
        self.wine.probe.save_dialog_answer(target, caption="Save Snapshot", timeout=30)
        assert self.wine.probe.answer_message_box("Tamblit 95", timeout=30) == "Snapshot file created."
        return read_bmp(read_file_when_stable(target, timeout=30))


def fit_zoom(canvas, size):
    """The ratio at which the picture fits the canvas, as the editor takes it."""
    l, t, r, b = canvas["rect"]
    cw, ch = r - l, b - t
    return (cw, size[0]) if cw * size[1] <= ch * size[0] else (ch, size[1])


SIZE = PATTERN[2:]


@pytest.mark.parametrize("case", ["rectangle", "highlight", "pixelate", "crop", "arrow", "text",
                                  "undo-redo", "zoomed", "clipboard", "close", "8-bit", "area"])
def test_marks_land_on_the_sent_picture_to_the_pixel(request, case):
    wine = request.getfixturevalue("wine8" if case == "8-bit" else "wine24")
    ed = Editor(wine, destination="Clipboard" if case == "clipboard" else "File",
                source="Selected" if case == "area" else "Window")
    marks, size = [], SIZE
    if case in ("rectangle", "clipboard", "area"):
        ed.drag((120, 90), (20, 15))  # up and to the left: the same rectangle
        marks = [outline(20, 15, 120, 90)]
    if case == "clipboard":
        ed.key("c")
        ed.drag((10, 5), (150, 110))
        boxed = outline(20, 15, 120, 90)
        marks, size = [lambda x, y, c: boxed(x + 10, y + 5, captured(x + 10, y + 5))], (141, 106)
    elif case == "highlight":
        ed.key("h")
        ed.drag((30, 20), (150, 100))
        marks = [highlight(30, 20, 150, 100)]
    elif case == "pixelate":
        ed.key("p")
        ed.drag((15, 25), (117, 131))
        ed.minimise_and_restore()  # the marked picture survives it
        marks = [pixelate(15, 25, 117, 131)]
    elif case == "8-bit":
        ed.drag((5, 5), (60, 40))
        ed.key("p")
        ed.drag((80, 30), (201, 160))
        marks = [outline(5, 5, 60, 40), pixelate(80, 30, 201, 160)]
    elif case == "crop":
        ed.key("c")
        ed.drag((40, 30), (180, 140))
        shift = lambda x, y, c: captured(x + 40, y + 30)
        marks, size = [shift], (141, 111)
    elif case == "undo-redo":
        ed.drag((10, 10), (60, 50))
        ed.key("p")
        ed.drag((100, 60), (200, 150))
        ed.key("ctrl+z")
        ed.key("ctrl+z")
        ed.key("ctrl+y")
        marks = [outline(10, 10, 60, 50)]
    elif case == "zoomed":
        ed.key("f")
        zoom = fit_zoom(ed.canvas, SIZE)
        wine.wait_for(lambda: ed.shown_at(ed.origin, zoom), 20, "the picture zoomed to fit")
        ed.drag((11, 7), (150, 120), zoom)
        marks = [outline(11, 7, 150, 120)]
    elif case == "close":
        ed.drag((10, 10), (60, 50))
        # Escape asks first, and No keeps the marks; Alt+F4 asks too.
        for keys, button in (("Escape", IDNO), ("alt+F4", IDYES)):
            ed.key(keys)
            assert wine.probe.answer_message_box(EDITOR, button=button, timeout=20) == \
                "Discard the marks made on this snapshot?"
            wine.probe.wait_gone(caption=EDITOR, cls="#32770", timeout=20)
        wine.probe.wait_gone(caption=EDITOR, cls="TamblitEditSnapshot", timeout=20)
        assert wine.probe.find_window(caption="Save Snapshot", cls="#32770") is None
        assert list(ed.folder.iterdir()) == []
        # The next snapshot's editor is a fresh one: no marks to discard.
        ed.open()
        ed.key("Escape")
        wine.probe.wait_gone(caption=EDITOR, cls="TamblitEditSnapshot", timeout=20)
        assert wine.probe.find_window(caption=EDITOR, cls="#32770") is None
        exit_program(wine, ed.proc)
        return

    if case == "arrow":
        ed.key("a")
        ed.drag((20, 140), (200, 30))
    if case == "text":
        ed.key("t")
        ed.click(30, 40)
        ed.key("H i")
        ed.key("Escape")
    if case == "clipboard":
        # A second press while the editor is open takes no second snapshot.
        ed.key("ctrl+shift+s")
        holds_for(lambda: len(wine.probe.list(caption=EDITOR, cls="TamblitEditSnapshot")) == 1 and
                  wine.probe.find_window(caption="Tamblit 95", cls="#32770") is None,
                  "one editor and no message", seconds=2)
        ed.key("Return")
        assert wine.probe.answer_message_box("Tamblit 95", timeout=30) == "Snapshot copied to Clipboard."
        sent = read_bmp(wine.x_clipboard("image/bmp"))
        # The screen-format bitmap beside it shows the same marked picture.
        assert differences(wine.probe.clipboard_dib(bitmap=True), expected_picture(marks, size)) == []
    else:
        sent = ed.send_to_file()

    assert (sent.width, sent.height, sent.bpp) == (*size, 8 if case == "8-bit" else 24)
    if case in ("arrow", "text"):
        # Drawn shapes: every changed pixel is the colour, and near where it must be.
        box = (14, 24, 208, 146) if case == "arrow" else (30, 40, 80, 70)
        changed = [(x, y) for y in range(size[1]) for x in range(size[0])
                   if sent.pixel(x, y) != captured(x, y)]
        assert all(sent.pixel(x, y) == RED for x, y in changed)
        assert all(box[0] <= x < box[2] and box[1] <= y < box[3] for x, y in changed)
        assert len(changed) > (150 if case == "arrow" else 30)
        if case == "arrow":
            assert sent.pixel(20, 140) == RED and sent.pixel(200, 30) == RED
    else:
        assert differences(sent, expected_picture(marks, size)) == []
    exit_program(wine, ed.proc)
