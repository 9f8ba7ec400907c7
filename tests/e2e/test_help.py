"""tamblit95.hlp in Wine's help viewer: it opens on its contents, its jumps and
its Index lead to their topics, and the sign-on box's Help button opens it from
the resident program, whose Exit closes it again."""

from helpview import HELP_CLASS, click_text, help_view, wait_topic
from test_resident import CAPTION, DIALOG, ID_EXIT, ID_HELP, fresh_settings, open_full_sign_on, \
    start_resident

TITLE = "Tamblit 95 Help"
INDEX_LIST = 337  # the keyword list of the viewer's Index
# Jumps of the contents topic and the heading of the topic each leads to; the
# last topics lie in later blocks of the file than the contents.
JUMPS = [
    ("Taking a snapshot", "Taking a snapshot"),
    ("Selecting an area", "Selecting an area"),
    ("The Setup dialog", "The Setup dialog"),
    ("Installing and removing Tamblit 95", "Installing and removing Tamblit 95"),
    ("Marking a snapshot before it goes out", "Marking a snapshot before it goes out"),
]


def start_viewer(wine, hlp):
    # Wine's own viewer, by its path in the prefix (the harness knows it by no name).
    return wine.start(wine.drive_c / "windows" / "winhlp32.exe", wine.winpath(hlp))


def no_error_box(wine):
    return wine.probe.find_window(caption="ERROR") is None


def click_button(wine, text):
    button = next(c for c in wine.probe.controls(cls=HELP_CLASS)
                  if c["class"].lower() == "button" and c["text"].replace("&", "") == text)
    left, top, right, bottom = button["rect"]
    wine.click((left + right) // 2, (top + bottom) // 2)


def test_viewer_opens_the_contents_and_follows_its_jumps(wine, build_dir):
    start_viewer(wine, build_dir / "tamblit95.hlp")
    wine.probe.wait_window(cls=HELP_CLASS, visible=True, timeout=30)
    view = wait_topic(wine, TITLE)
    assert TITLE in view["caption"]
    assert no_error_box(wine)

    for link, heading in JUMPS:
        click_text(wine, link)
        wait_topic(wine, heading)
        click_button(wine, "Back")
        wait_topic(wine, TITLE)
    # A jump inside a topic: Setup -> Page Setup.
    click_text(wine, "The Setup dialog")
    wait_topic(wine, "The Setup dialog")
    click_text(wine, "Page Setup. It can be chosen")  # the jump, not the bold name
    wait_topic(wine, "Page Setup: the print margins")

    # The Index lists the keywords; "i" picks "installing", Enter is OK.
    click_button(wine, "Index")
    index = wine.probe.wait_window(cls=DIALOG, visible=True, timeout=30)
    words = next(c["items"] for c in index["children"] if c["class"] == "ListBox")
    assert {"hot key", "margins", "Setup dialog", "tray icon"} <= set(words)
    wine.probe.keys("i enter", id=INDEX_LIST, cls=DIALOG)
    wait_topic(wine, "Installing and removing Tamblit 95")
    assert no_error_box(wine)


def test_a_damaged_help_file_is_reported_by_the_viewer(wine, build_dir, tmp_path):
    damaged = tmp_path / "damaged.hlp"
    data = (build_dir / "tamblit95.hlp").read_bytes()
    damaged.write_bytes(data[:len(data) // 2])
    start_viewer(wine, damaged)
    wine.probe.wait_window(caption="ERROR", timeout=30)
    assert help_view(wine) is None or not help_view(wine)["text"].startswith(TITLE)


def test_sign_on_help_button_opens_the_help_and_exit_closes_it(wine):
    fresh_settings(wine)
    proc = start_resident(wine)
    open_full_sign_on(wine)
    wine.probe.press(ID_HELP, ctlclass="Button", caption=CAPTION, cls=DIALOG)
    wine.probe.wait_window(cls=HELP_CLASS, visible=True, timeout=30)
    wait_topic(wine, TITLE)
    assert no_error_box(wine)

    # Exit in the same box (the help window may now cover the tray icon).
    wine.probe.press(ID_EXIT, ctlclass="Button", caption=CAPTION, cls=DIALOG)
    assert proc.wait(60) == 0
    wine.probe.wait_gone(cls=HELP_CLASS, timeout=30)
