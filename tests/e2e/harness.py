"""End-to-end test harness: the Windows programs under Wine on virtual X displays.

Run with ``/usr/bin/python3 -m pytest tests/e2e/<file> -x -q``. The Windows build
is found through the environment variable ``TAMBLIT_WIN32_BUILD`` (a path,
relative ones are taken from the repository root; default ``build/win32``).
When the build (or one program in it) is missing the test is skipped with a
message saying so.

This module is the entry point: ``import harness`` / ``from harness import ...``
gives every name below. Each part is documented in its own module:

``harness_session``  fixtures (tests/e2e/conftest.py: ``display24``,
    ``display8``, ``wine24``, ``wine8``, ``wine``, ``build_dir``), what is
    cleaned up after each test and after a run; ``Session``,
    ``clean_dead_sessions()``.
``harness_display``  ``Display`` (one Xvfb: ``xdotool``, ``pointer``,
    ``move_pointer``) and the X input of a ``Wine`` object (``press_keys``,
    ``focus_window``, ``xwindow_id``, ``click``, ``tray_window``, ``tray_icons``,
    ``click_tray_icon``, ``x_clipboard``, ``x_clipboard_targets``).
``harness_wine``  ``Wine`` (programs, paths and drives, registry, end of a
    test, ``generation``) and ``WineProcess``; crashes; ``wine_generation()``.
``harness_prefix``  making, caching and copying prefixes; ``start_wine``;
    Wine windows without a window manager.
``harness_probe``  ``Probe`` (``wine.probe``: uiprobe.exe, from tests/drivers/uiprobe/) and
    ``HotKeyListener``; window selectors, popup menus, hot keys under Wine.
``harness_pictures``  ``read_bmp``/``Bmp``, the pattern window
    (``start_pattern``, ``PatternWindow``, ``pattern_colour``,
    ``PATTERN_COLOURS``, ``compare_to_pattern``).
``harness_monitors``  a desktop of three monitors (fixture ``monitors3``), a
    pattern on each, the parts no monitor covers.
``harness_util``  ``exe_path(name)``, ``build_dir()``, ``wait_for(...)``,
    ``read_file_when_stable(...)``, ``TAMBLIT_E2E_TRACE``, killing by PID.

New helpers go into a small module of their own, not into these.
"""

from __future__ import annotations

from harness_display import Display, XInput  # noqa: F401
from harness_pictures import (  # noqa: F401
    PATTERN_COLOURS, Bmp, PatternWindow, compare_to_pattern, pattern_colour, read_bmp)
from harness_prefix import (  # noqa: F401
    cached_base_prefix, copy_prefix, make_base_prefix, start_wine)
from harness_probe import HotKeyListener, Probe  # noqa: F401
from harness_session import Session, clean_dead_sessions  # noqa: F401
from harness_util import REPO, build_dir, exe_path, read_file_when_stable, wait_for  # noqa: F401
from harness_wine import WINE_DLL_OVERRIDES, Wine, WineProcess, wine_generation  # noqa: F401
