"""Pictures of the end-to-end harness: BMP files and the pattern window.

Pattern window and pictures
---------------------------
``wine.start_pattern(x, y, w, h, cell=10, title="Tamblit Pattern")`` ->
    ``PatternWindow`` (``.proc``, ``.rect``, ``.cell``, ``.hwnd``,
    ``.colour_at(x, y)``), started and waited for until it is visible.
``pattern_colour(x, y, rect, cell=10)`` -> (r, g, b) expected at screen pixel
    (x, y) inside rect (x, y, w, h), None outside. ``PATTERN_COLOURS`` lists
    the 16 colours.
``read_bmp(path_or_bytes)`` -> ``Bmp``: ``.width``, ``.height``, ``.bpp``,
    ``.top_down``, ``.compression``, ``.palette`` (list of (r, g, b)),
    ``.file_size``, ``.offbits``, ``.header_size``, ``.image_size``,
    ``.xppm``, ``.yppm``, ``.clr_used``, ``.clr_important``, ``.data``;
    ``.pixel(x, y)`` -> (r, g, b) with y = 0 the top row, ``.index(x, y)``
    for palette pictures, ``.row(y)`` -> list of (r, g, b). Raises
    ``ValueError`` for a malformed file (truncated pixel data, bad header).
``compare_to_pattern(bmp, origin, rect, cell=10, limit=20)`` -> list of up to
    ``limit`` mismatches ``((x, y), got, expected)`` for the picture whose top
    left pixel is screen point ``origin`` (only pixels inside ``rect``).
"""

from __future__ import annotations

import struct
from pathlib import Path
from typing import TYPE_CHECKING

if TYPE_CHECKING:
    from harness_wine import WineProcess


# ---------------------------------------------------------------- pattern

PATTERN_COLOURS = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def pattern_colour(x: int, y: int, rect, cell: int = 10):
    """Colour pattern.exe paints at screen pixel (x, y); None outside ``rect``."""
    rx, ry, rw, rh = rect
    if not (rx <= x < rx + rw and ry <= y < ry + rh):
        return None
    cx, cy = (x - rx) // cell, (y - ry) // cell
    return PATTERN_COLOURS[(7 * cx + 11 * cy + cx * cy) % 16]


class PatternWindow:
    def __init__(self, proc: WineProcess, rect, cell: int, hwnd: int):
        self.proc, self.rect, self.cell, self.hwnd = proc, tuple(rect), cell, hwnd

    def colour_at(self, x: int, y: int):
        return pattern_colour(x, y, self.rect, self.cell)


def compare_to_pattern(bmp: "Bmp", origin, rect, cell: int = 10, limit: int = 20) -> list:
    """Mismatches between a picture whose top left is screen point ``origin``
    and the pattern in ``rect``; only pixels inside both are compared."""
    ox, oy = origin
    rx, ry, rw, rh = rect
    bad = []
    for y in range(max(ry, oy), min(ry + rh, oy + bmp.height)):
        row = bmp.row(y - oy)
        for x in range(max(rx, ox), min(rx + rw, ox + bmp.width)):
            got = row[x - ox]
            want = pattern_colour(x, y, rect, cell)
            if got != want:
                bad.append(((x, y), got, want))
                if len(bad) >= limit:
                    return bad
    return bad


# ---------------------------------------------------------------- BMP files

class Bmp:
    """A parsed BMP file (BITMAPCOREHEADER, BITMAPINFOHEADER, V4 or V5)."""

    def __init__(self, data: bytes):
        self.data = bytes(data)
        d = self.data
        if len(d) < 26 or d[:2] != b"BM":
            raise ValueError("not a BMP file (no 'BM' signature)")
        self.file_size, _r1, _r2, self.offbits = struct.unpack_from("<IHHI", d, 2)
        self.header_size = struct.unpack_from("<I", d, 14)[0]
        masks = None
        if self.header_size == 12:
            w, h, self.planes, self.bpp = struct.unpack_from("<HHHH", d, 18)
            self.width, height = w, h
            self.compression = 0
            self.image_size = self.xppm = self.yppm = self.clr_used = self.clr_important = 0
            entry = 3
        elif self.header_size in (40, 52, 56, 108, 124):
            if len(d) < 14 + 40:
                raise ValueError("truncated BITMAPINFOHEADER")
            (self.width, height, self.planes, self.bpp, self.compression, self.image_size,
             self.xppm, self.yppm, self.clr_used, self.clr_important) = struct.unpack_from(
                "<iiHHIIiiII", d, 18)
            entry = 4
            if self.compression == 3:  # BI_BITFIELDS
                if self.header_size >= 52:
                    masks = struct.unpack_from("<III", d, 14 + 40)
                else:
                    masks = struct.unpack_from("<III", d, 14 + self.header_size)
        else:
            raise ValueError(f"unknown BMP header size {self.header_size}")
        if self.planes != 1:
            raise ValueError(f"planes is {self.planes}")
        if self.bpp not in (1, 4, 8, 16, 24, 32):
            raise ValueError(f"unsupported bit count {self.bpp}")
        if self.compression not in (0, 3):
            raise ValueError(f"unsupported compression {self.compression}")
        if self.width <= 0 or height == 0:
            raise ValueError(f"bad size {self.width} x {height}")
        self.top_down = height < 0
        self.height = abs(height)
        if self.bpp <= 8:
            count = self.clr_used or (1 << self.bpp)
            if count > (1 << self.bpp):
                raise ValueError(f"{count} colours for {self.bpp} bits")
        else:
            count = self.clr_used
        table = 14 + self.header_size + (12 if masks is not None and self.header_size == 40 else 0)
        if table + count * entry > len(d):
            raise ValueError("truncated colour table")
        self.palette = [(d[table + i * entry + 2], d[table + i * entry + 1], d[table + i * entry])
                        for i in range(count)]
        self.masks = masks or ((0x7C00, 0x03E0, 0x001F) if self.bpp == 16 else None)
        self.stride = ((self.width * self.bpp + 31) // 32) * 4
        if self.offbits + self.stride * self.height > len(d):
            raise ValueError(f"pixel data truncated: need {self.offbits + self.stride * self.height}"
                             f" bytes, file has {len(d)}")

    def _row_offset(self, y: int) -> int:
        if not 0 <= y < self.height:
            raise IndexError(y)
        line = y if self.top_down else self.height - 1 - y
        return self.offbits + line * self.stride

    def index(self, x: int, y: int) -> int:
        if self.bpp > 8:
            raise ValueError("not a palette picture")
        if not 0 <= x < self.width:
            raise IndexError(x)
        off = self._row_offset(y)
        bit = x * self.bpp
        byte = self.data[off + bit // 8]
        shift = 8 - self.bpp - (bit % 8)
        return (byte >> shift) & ((1 << self.bpp) - 1)

    def pixel(self, x: int, y: int):
        if self.bpp <= 8:
            return self.palette[self.index(x, y)]
        if not 0 <= x < self.width:
            raise IndexError(x)
        off = self._row_offset(y)
        if self.bpp == 24:
            b, g, r = self.data[off + 3 * x: off + 3 * x + 3]
            return (r, g, b)
        if self.bpp == 32 and self.compression == 0:
            b, g, r = self.data[off + 4 * x: off + 4 * x + 3]
            return (r, g, b)
        size = self.bpp // 8
        v = int.from_bytes(self.data[off + size * x: off + size * x + size], "little")
        return tuple(_scale(v, m) for m in self.masks)

    def row(self, y: int) -> list:
        off = self._row_offset(y)
        if self.bpp == 24:
            raw = self.data[off: off + 3 * self.width]
            return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 3)]
        if self.bpp == 32 and self.compression == 0:
            raw = self.data[off: off + 4 * self.width]
            return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 4)]
        return [self.pixel(x, y) for x in range(self.width)]


def _scale(v: int, mask: int) -> int:
    if not mask:
        return 0
    shift = (mask & -mask).bit_length() - 1
    bits = bin(mask).count("1")
    value = (v & mask) >> shift
    return (value * 255 + ((1 << bits) - 1) // 2) // ((1 << bits) - 1)


def read_bmp(source) -> Bmp:
    """Parses a BMP from a path or bytes."""
    if isinstance(source, (bytes, bytearray)):
        return Bmp(source)
    return Bmp(Path(source).read_bytes())
