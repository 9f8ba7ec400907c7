"""tools/make_art.py: the icon, cursor and sound built from their text sources
are files that Windows reads as such."""

import struct
import subprocess
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
TOOL = REPO / "tools" / "make_art.py"
RES = REPO / "snap" / "res"


def make(kind, source, out):
    return subprocess.run([sys.executable, str(TOOL), kind, str(source), str(out)],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)


def build(kind, source, tmp_path, name):
    out = tmp_path / name
    r = make(kind, source, out)
    assert r.returncode == 0, r.stderr
    return out.read_bytes()


def directory(data, kind):
    reserved, type_, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, type_) == (0, kind)
    entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
    return entries


def image(data, entry):
    _, _, _, _, _, _, size, offset = entry
    assert offset + size <= len(data)
    header = struct.unpack_from("<IiiHHIIiiII", data, offset)
    return header, data[offset:offset + size]


def test_icon_holds_a_2_and_a_16_colour_image_with_masks_at_32_and_16_pixels(tmp_path):
    data = build("icon", RES / "mainicon.txt", tmp_path, "mainicon.ico")
    entries = directory(data, 1)
    assert [(w, h, colours, bits) for w, h, colours, _, _, bits, _, _ in entries] == \
        [(32, 32, 2, 1), (32, 32, 16, 4), (16, 16, 2, 1), (16, 16, 16, 4)]
    for entry in entries:
        side, bits = entry[0], entry[5]
        header, blob = image(data, entry)
        size, width, height, planes, bitcount = header[:5]
        assert (size, width, height, planes, bitcount) == (40, side, 2 * side, 1, bits)
        colours = 1 << bits
        # Rows padded to 4 bytes each.
        xor = side * ((side * bits + 31) // 32 * 4)
        and_mask = side * 4
        assert len(blob) == 40 + 4 * colours + xor + and_mask
        mask = blob[-and_mask:]
        # Transparent corners, an opaque middle.
        assert mask[0] & 0x80 and mask[(side - 1) * 4] & 0x80
        middle_row = mask[side // 2 * 4: side // 2 * 4 + 4]
        assert not middle_row[side // 16] & (0x80 >> (side // 2 % 8))


def test_cursor_is_monochrome_with_its_hot_spot_on_the_cross(tmp_path):
    data = build("cursor", RES / "rubberband.txt", tmp_path, "rubberband.cur")
    (entry,) = directory(data, 2)
    width, height, colours, _, hot_x, hot_y, _, _ = entry
    assert (width, height, colours, hot_x, hot_y) == (32, 32, 2, 16, 15)
    header, blob = image(data, entry)
    assert header[:5] == (40, 32, 64, 1, 1)
    xor, and_mask = blob[48:48 + 128], blob[48 + 128:]
    # Rows are stored bottom-up: picture row 15 is stored row 16. The hot spot
    # pixel inverts the screen (AND 1, XOR 1).
    row = 31 - 15
    bit = 0x80 >> (16 % 8)
    assert xor[row * 4 + 2] & bit and and_mask[row * 4 + 2] & bit


def test_sound_is_a_short_8_bit_mono_pcm_click(tmp_path):
    data = build("wave", RES / "tamblit95_wav.txt", tmp_path, "tamblit95.wav")
    assert data[:4] == b"RIFF" and data[8:12] == b"WAVE"
    assert struct.unpack_from("<I", data, 4)[0] == len(data) - 8
    fmt = struct.unpack_from("<4sIHHIIHH", data, 12)
    assert fmt[0] == b"fmt " and fmt[2:] == (1, 1, 11025, 11025, 1, 8)
    tag, length = struct.unpack_from("<4sI", data, 36)
    assert tag == b"data"
    samples = data[44:44 + length]
    assert 0 < length < 11025  # well under a second
    assert max(samples) - min(samples) > 100  # audible, not silence
    # The same source gives the same bytes on every build.
    assert build("wave", RES / "tamblit95_wav.txt", tmp_path, "again.wav") == data


@pytest.mark.parametrize("kind, text, message", [
    ("icon", "colour:\n" + ("." * 32 + "\n") * 31, "has 31 rows"),
    ("icon", "colour:\n" + ("." * 31 + "\n") * 32, "must be 32 pixels"),
    ("cursor", "mono:\n" + ("." * 32 + "\n") * 32, "hotspot"),
    ("cursor", "hotspot 40 2\nmono:\n" + ("." * 32 + "\n") * 32, "outside"),
    ("cursor", "hotspot 1 2\nmono:\n" + ("R" * 32 + "\n") * 32, "not allowed"),
    ("wave", "rate 11025\nburst 0 10\n", "bad values"),
])
def test_bad_sources_are_refused_with_a_reason(tmp_path, kind, text, message):
    source = tmp_path / "bad.txt"
    source.write_text(text)
    out = tmp_path / "out.bin"
    r = make(kind, source, out)
    assert r.returncode == 1
    assert message in r.stderr
    assert not out.exists()
