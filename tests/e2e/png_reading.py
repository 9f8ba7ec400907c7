"""PNG files read by independent readers: pngcheck must accept the file,
Pillow decodes it, and the IDAT data is inflated here and its length checked,
since a reader may silently pad rows that are missing."""

import struct
import subprocess
import zlib

from PIL import Image

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def idat_length(data: bytes) -> int:
    """Bytes of the inflated IDAT stream of a PNG file."""
    at, idat = 8, b""
    while at < len(data):
        size, kind = struct.unpack_from(">I4s", data, at)
        if kind == b"IDAT":
            idat += data[at + 8:at + 8 + size]
        at += 12 + size
    return len(zlib.decompress(idat))


def read_png(path) -> Image.Image:
    data = path.read_bytes()
    assert data[:8] == PNG_SIGNATURE, f"{path.name} is no PNG file"
    check = subprocess.run(["pngcheck", "-q", str(path)], capture_output=True, text=True)
    assert check.returncode == 0, f"pngcheck: {check.stdout}{check.stderr}"
    image = Image.open(path)
    image.load()
    sample = {"RGB": 3, "P": 1}[image.mode]
    assert idat_length(data) == image.height * (1 + image.width * sample)
    return image


class PngRows:
    """A decoded PNG as compare_to_pattern reads pictures: width, height, row(y)."""

    def __init__(self, image: Image.Image):
        self.width, self.height = image.size
        self._rgb = image.convert("RGB")

    def row(self, y: int) -> list:
        return [self._rgb.getpixel((x, y)) for x in range(self.width)]
