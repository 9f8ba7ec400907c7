"""The picture the PNG benchmark shows on its display: a desktop of windows
with text, title bars and gradients, so that every tool compresses what a
real screen holds rather than a flat colour. Deterministic: the same bytes on
every run. ``python3 tools/bench_screen.py OUT.png [WIDTH HEIGHT]``."""

import random
import sys

from PIL import Image, ImageDraw, ImageFont

WORDS = ("snapshot window desktop bitmap palette printer clipboard margin hot key "
         "area preview setup file directory colour depth sound program group").split()


def font(size):
    try:
        return ImageFont.truetype("DejaVuSans.ttf", size)
    except OSError:
        return ImageFont.load_default()


def gradient(draw, box, start, end, vertical=False):
    left, top, right, bottom = box
    span = (bottom - top) if vertical else (right - left)
    for i in range(span):
        c = tuple(start[k] + (end[k] - start[k]) * i // max(span - 1, 1) for k in range(3))
        if vertical:
            draw.line([(left, top + i), (right - 1, top + i)], fill=c)
        else:
            draw.line([(left + i, top), (left + i, bottom - 1)], fill=c)


def window(draw, rng, box, title):
    left, top, right, bottom = box
    draw.rectangle(box, fill=(255, 255, 255), outline=(0, 0, 0))
    gradient(draw, (left + 1, top + 1, right, top + 24), (0, 0, 128), (16, 132, 208))
    draw.text((left + 8, top + 4), title, fill=(255, 255, 255), font=font(14))
    y = top + 32
    size = rng.choice((11, 12, 14))
    f = font(size)
    while y + size + 4 < bottom:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 14)))
        draw.text((left + 8, y), line.capitalize() + ".", fill=(0, 0, 0), font=f)
        y += size + 5


def make(width, height):
    rng = random.Random(95)
    img = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(img)
    gradient(draw, (0, 0, width, height), (0, 96, 128), (40, 40, 90), vertical=True)
    for i in range(9):
        w, h = rng.randint(width // 5, width // 2), rng.randint(height // 5, height // 2)
        x, y = rng.randint(0, width - w), rng.randint(0, height - h - 30)
        window(draw, rng, (x, y, x + w, y + h), f"Document {i + 1} - Notes")
    for i in range(4):  # smooth colour panels, as pictures and charts show them
        x, y = rng.randint(0, width - 300), rng.randint(0, height - 230)
        gradient(draw, (x, y, x + 300, y + 200), (rng.randint(0, 255), 80, 40),
                 (30, rng.randint(0, 255), 220))
    gradient(draw, (0, height - 30, width, height), (192, 192, 192), (150, 150, 160), vertical=True)
    draw.text((10, height - 24), "Start    12:34", fill=(0, 0, 0), font=font(14))
    return img


if __name__ == "__main__":
    w, h = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) > 3 else (1920, 1080)
    make(w, h).save(sys.argv[1])
