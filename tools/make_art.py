#!/usr/bin/env python3
"""Builds the program's binary resources from reviewable text sources.

    make_art.py icon   PICTURE.txt OUT.ico   icon: a 2-colour and a 16-colour image, 32 x 32 and 16 x 16
    make_art.py cursor PICTURE.txt OUT.cur   32 x 32 monochrome cursor with its hot spot
    make_art.py wave   SOUND.txt   OUT.wav   short 8-bit mono PCM click

Picture files hold rows of one character per pixel. '.' is transparent; the
other letters name the 16 colours of the standard Windows palette (see
PALETTE). A monochrome picture may use only K (black), W (white) and, for a
cursor, X (the screen underneath inverted). Lines starting with '#' are
comments. An icon picture has the sections "colour:" and "mono:" (32 x 32) and
"colour16:" and "mono16:" (16 x 16); a cursor
picture has one "mono:" section and a line "hotspot X Y".

Plain Python 3, no modules beyond the standard library, so that the build
needs nothing but the interpreter.
"""

import math
import struct
import sys

SIZE = 32
SMALL_SIZE = 16
# Sections of another size than SIZE.
SECTION_SIZES = {'colour16': SMALL_SIZE, 'mono16': SMALL_SIZE}

# Index order of the 16-colour palette that Windows icons use.
PALETTE = [
    ('K', (0x00, 0x00, 0x00)),  # black
    ('r', (0x80, 0x00, 0x00)),  # maroon
    ('g', (0x00, 0x80, 0x00)),  # green
    ('y', (0x80, 0x80, 0x00)),  # olive
    ('n', (0x00, 0x00, 0x80)),  # navy
    ('p', (0x80, 0x00, 0x80)),  # purple
    ('t', (0x00, 0x80, 0x80)),  # teal
    ('D', (0x80, 0x80, 0x80)),  # dark grey
    ('s', (0xC0, 0xC0, 0xC0)),  # silver
    ('R', (0xFF, 0x00, 0x00)),  # red
    ('L', (0x00, 0xFF, 0x00)),  # lime
    ('Y', (0xFF, 0xFF, 0x00)),  # yellow
    ('B', (0x00, 0x00, 0xFF)),  # blue
    ('M', (0xFF, 0x00, 0xFF)),  # fuchsia
    ('C', (0x00, 0xFF, 0xFF)),  # aqua
    ('W', (0xFF, 0xFF, 0xFF)),  # white
]
COLOUR_INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}
MONO_PALETTE = [(0, 0, 0), (0xFF, 0xFF, 0xFF)]

BITMAPINFOHEADER_SIZE = 40
ICONDIR_SIZE = 6
ICONDIRENTRY_SIZE = 16
RES_ICON = 1
RES_CURSOR = 2


class ArtError(Exception):
    pass


def read_sections(path):
    """Returns ({section name: [rows]}, {keyword: [values]}) of a picture file."""
    sections = {}
    settings = {}
    current = None
    with open(path, encoding='ascii') as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip('\r\n')
            stripped = line.strip()
            if not stripped or stripped.startswith('#'):
                continue
            if stripped.endswith(':') and ' ' not in stripped:
                current = stripped[:-1]
                if current in sections:
                    raise ArtError('%s:%d: section %s given twice' % (path, number, current))
                sections[current] = []
            elif current is None:
                words = stripped.split()
                settings[words[0]] = words[1:]
            else:
                size = SECTION_SIZES.get(current, SIZE)
                if len(stripped) != size:
                    raise ArtError('%s:%d: a row must be %d pixels, not %d'
                                   % (path, number, size, len(stripped)))
                sections[current].append(stripped)
    for name, rows in sections.items():
        size = SECTION_SIZES.get(name, SIZE)
        if len(rows) != size:
            raise ArtError('%s: section %s has %d rows, not %d' % (path, name, len(rows), size))
    return sections, settings


def pack_rows(rows_of_values, bits):
    """Packs rows of pixel values bottom-up, each row padded to 4 bytes, as a DIB stores them."""
    out = bytearray()
    for values in reversed(rows_of_values):
        acc = 0
        nbits = 0
        row = bytearray()
        for v in values:
            acc = (acc << bits) | v
            nbits += bits
            if nbits == 8:
                row.append(acc)
                acc = 0
                nbits = 0
        if nbits:
            row.append(acc << (8 - nbits))
        while len(row) % 4:
            row.append(0)
        out += row
    return bytes(out)


def dib_image(rows, bits, palette, pixel_value):
    """One icon/cursor image: info header (double height), colours, XOR bits, AND mask.

    pixel_value(ch) gives (colour index, and-bit) for one character of the picture.
    """
    xor_rows = []
    and_rows = []
    for row in rows:
        xs = []
        ands = []
        for ch in row:
            index, mask = pixel_value(ch)
            xs.append(index)
            ands.append(mask)
        xor_rows.append(xs)
        and_rows.append(ands)
    xor_bits = pack_rows(xor_rows, bits)
    and_bits = pack_rows(and_rows, 1)
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', BITMAPINFOHEADER_SIZE, size, 2 * size, 1, bits, 0,
                         len(xor_bits) + len(and_bits), 0, 0, len(palette), 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    return header + colours + xor_bits + and_bits


def colour_pixel(ch):
    if ch == '.':
        return 0, 1
    if ch not in COLOUR_INDEX:
        raise ArtError('unknown colour letter %r' % ch)
    return COLOUR_INDEX[ch], 0


def mono_pixel(allow_invert):
    def value(ch):
        if ch == '.':
            return 0, 1
        if ch == 'K':
            return 0, 0
        if ch == 'W':
            return 1, 0
        if ch == 'X' and allow_invert:
            return 1, 1
        raise ArtError('letter %r is not allowed in a monochrome picture' % ch)
    return value


def resource_file(kind, entries):
    """An .ico or .cur file: the directory, then each image. entries: (image, colours, a, b)."""
    out = bytearray(struct.pack('<HHH', 0, kind, len(entries)))
    offset = ICONDIR_SIZE + ICONDIRENTRY_SIZE * len(entries)
    for image, colours, field_a, field_b in entries:
        # Icons keep planes and bit count in field_a/field_b; cursors keep the hot spot there.
        size = struct.unpack_from('<i', image, 4)[0]
        out += struct.pack('<BBBBHHII', size, size, colours % 256, 0, field_a, field_b,
                           len(image), offset)
        offset += len(image)
    for image, _, _, _ in entries:
        out += image
    return bytes(out)


def make_icon(src):
    sections, _ = read_sections(src)
    entries = []
    for suffix in ('', '16'):
        for name in ('colour', 'mono'):
            if name + suffix not in sections:
                raise ArtError('%s: the icon needs a %s%s: section' % (src, name, suffix))
        mono = dib_image(sections['mono' + suffix], 1, MONO_PALETTE, mono_pixel(False))
        colour = dib_image(sections['colour' + suffix], 4, [rgb for _, rgb in PALETTE], colour_pixel)
        entries += [(mono, 2, 1, 1), (colour, 16, 1, 4)]
    return resource_file(RES_ICON, entries)


def make_cursor(src):
    sections, settings = read_sections(src)
    if 'mono' not in sections:
        raise ArtError('%s: the cursor needs a mono: section' % src)
    hotspot = settings.get('hotspot')
    if not hotspot or len(hotspot) != 2:
        raise ArtError('%s: the cursor needs a line "hotspot X Y"' % src)
    x, y = (int(v) for v in hotspot)
    if not (0 <= x < SIZE and 0 <= y < SIZE):
        raise ArtError('%s: the hot spot lies outside the picture' % src)
    image = dib_image(sections['mono'], 1, MONO_PALETTE, mono_pixel(True))
    return resource_file(RES_CURSOR, [(image, 2, x, y)])


def read_sound(path):
    params = {'rate': 11025, 'seed': 1, 'bursts': []}
    with open(path, encoding='ascii') as f:
        for number, raw in enumerate(f, 1):
            words = raw.split('#', 1)[0].split()
            if not words:
                continue
            key, values = words[0], words[1:]
            try:
                if key in ('rate', 'seed', 'duration_ms'):
                    params[key] = int(values[0])
                elif key == 'burst':
                    start, length, amplitude, decay, tone, mix = (float(v) for v in values)
                    params['bursts'].append((start, length, amplitude, decay, tone, mix))
                else:
                    raise ArtError('%s:%d: unknown setting %s' % (path, number, key))
            except (ValueError, IndexError):
                raise ArtError('%s:%d: bad values for %s' % (path, number, key))
    if 'duration_ms' not in params:
        raise ArtError('%s: duration_ms is missing' % path)
    if not 1000 <= params['rate'] <= 48000:
        raise ArtError('%s: rate out of range' % path)
    return params


def make_wave(src):
    """A shutter click: each burst is noise mixed with a tone, both dying away exponentially."""
    p = read_sound(src)
    rate = p['rate']
    count = rate * p['duration_ms'] // 1000
    samples = [0.0] * count
    state = p['seed'] & 0x7FFFFFFF or 1
    for start, length, amplitude, decay, tone, mix in p['bursts']:
        first = int(start * rate / 1000)
        last = min(count, first + int(length * rate / 1000))
        for i in range(first, last):
            t = (i - first) / rate
            # A fixed linear congruential generator keeps the file the same on every build.
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            noise = state / 0x3FFFFFFF - 1.0
            wave = math.sin(2 * math.pi * tone * t)
            envelope = amplitude * math.exp(-t * 1000.0 / decay)
            samples[i] += envelope * ((1.0 - mix) * noise + mix * wave)
    pcm = bytes(max(0, min(255, int(round(128 + 127 * max(-1.0, min(1.0, s))))))
                for s in samples)
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)  # PCM, mono, 8 bits
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt
    body += b'data' + struct.pack('<I', len(pcm)) + pcm
    if len(pcm) % 2:
        body += b'\0'  # RIFF chunks are padded to an even size
    return b'RIFF' + struct.pack('<I', len(body)) + body


MAKERS = {'icon': make_icon, 'cursor': make_cursor, 'wave': make_wave}


def main(argv):
    if len(argv) != 4 or argv[1] not in MAKERS:
        sys.stderr.write(__doc__)
        return 2
    try:
        data = MAKERS[argv[1]](argv[2])
    except (ArtError, OSError) as e:
        sys.stderr.write('make_art.py: %s\n' % e)
        return 1
    with open(argv[3], 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
