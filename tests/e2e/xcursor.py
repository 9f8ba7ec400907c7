"""The mouse cursor the X server shows now, read through the XFixes extension:
what the user sees, whichever program set it."""

import ctypes


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def x_cursor(display_name: str) -> tuple[int, int, int, int]:
    """(width, height, x hot spot, y hot spot) of the cursor on ``display_name``."""
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display_name.encode())
    if not dpy:
        raise RuntimeError(f"cannot open display {display_name}")
    try:
        image = xfixes.XFixesGetCursorImage(dpy)
        if not image:
            raise RuntimeError("XFixesGetCursorImage failed")
        c = image.contents
        result = (c.width, c.height, c.xhot, c.yhot)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(dpy)
