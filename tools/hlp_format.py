"""Writes Windows Help files (WinHelp 3.1 format) from topics already parsed.

The file is an internal file system: a 16-byte header, internal files each
behind a 9-byte file header, and a directory of them kept as a B+ tree.
Written here: |SYSTEM (title, contents topic), |FONT, |TOPIC (the text,
LZ77-framed in 4 KB blocks), |CONTEXT (context hashes -> topic offsets,
a B+ tree too), which is all that the viewers need to show topics and
follow jumps, the keyword index |KWBTREE, |KWDATA, |KWMAP, and what every
help file carries for the search and for numbered contexts: |TTLBTREE (the
topic titles by offset) and an empty |CTXOMAP.

|TOPIC is written LZ77-compressed on purpose, with literal codes only: in
an uncompressed 3.1 file the viewers disagree on where the second block
starts (one counts 4084 bytes a block, another 16 KB), while for a
compressed file all agree on 16 KB. No record crosses a block, and every
block is padded to its full 4096 bytes with zero bytes (which decode to
zeros that no record link points into).
"""

import struct

from hlp_btree import HelpFormatError, context_tree, directory_tree, keyword_files, title_tree

FILE_MAGIC = 0x00035F3F
SYSTEM_MAGIC = 0x036C
HC31_MINOR = 21
SYSTEM_FLAGS_LZ77_4K = 4
FILE_FLAGS = 4
FILEHEADER_SIZE = 9

TOPIC_BLOCK_SIZE = 0x1000
TOPIC_BLOCK_HEADER_SIZE = 12
TOPIC_DECOMPRESS_SIZE = 0x4000
TOPICLINK_SIZE = 21
TOPICHEADER_SIZE = 28
TL_TOPICHDR = 0x02
TL_DISPLAY = 0x20
NO_POS = 0xFFFFFFFF
TOPICOFFSET_BLOCK = 0x8000  # a topic offset: block number * 0x8000 + characters before it

SYS_TITLE = 1
SYS_COPYRIGHT = 2
SYS_CONTENTS = 3

# Character formatting commands of a display record.
FMT_FONT = 0x80
FMT_PARAGRAPH_END = 0x82
FMT_HOTSPOT_END = 0x89
FMT_JUMP = 0xE3
FMT_END = 0xFF

PARA_SPACE_ABOVE = 0x0002
PARA_LEFT_INDENT = 0x0010
PARA_FIRST_INDENT = 0x0040

FAMILY_SWISS = 3
FACE_NAME_SIZE = 20


def context_hash(name):
    """The 32-bit signed hash under which a context name is filed in |CONTEXT."""
    value = 0
    for ch in name:
        if 'A' <= ch <= 'Z' or 'a' <= ch <= 'z':
            code = ord(ch.upper()) - ord('A') + 17
        elif '1' <= ch <= '9':
            code = ord(ch) - ord('0')
        elif ch == '0':
            code = 10
        elif ch == '.':
            code = 12
        elif ch == '_':
            code = 13
        else:
            raise HelpFormatError('context name %r may hold only letters, digits, "." and "_"'
                                  % name)
        value = (value * 43 + code) & 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


# --- compressed numbers of display records -------------------------------
# The low bit of the first byte says whether the long form (twice the bytes)
# follows; signed numbers are stored with a bias of half their range.

def compressed_long(value):
    if -0x4000 <= value < 0x4000:
        return struct.pack('<H', (value + 0x4000) * 2)
    if not -0x40000000 <= value < 0x40000000:
        raise HelpFormatError('number %d too large for the help format' % value)
    return struct.pack('<I', (value + 0x40000000) * 2 + 1)


def compressed_ushort(value):
    if 0 <= value < 0x80:
        return bytes([value * 2])
    if not 0 <= value < 0x8000:
        raise HelpFormatError('number %d too large for the help format' % value)
    return struct.pack('<H', value * 2 + 1)


def compressed_short(value):
    if -0x40 <= value < 0x40:
        return bytes([(value + 0x40) * 2])
    if not -0x4000 <= value < 0x4000:
        raise HelpFormatError('number %d too large for the help format' % value)
    return struct.pack('<H', (value + 0x4000) * 2 + 1)


def lz77_literals(data):
    """An LZ77 stream that holds every byte as a literal: a zero flag byte per 8 bytes."""
    out = bytearray()
    for i in range(0, len(data), 8):
        out.append(0)
        out += data[i:i + 8]
    return bytes(out)


# Bytes of a block's text that fit its 4084 bytes once framed as literals.
BLOCK_TEXT_CAPACITY = (TOPIC_BLOCK_SIZE - TOPIC_BLOCK_HEADER_SIZE) * 8 // 9


# --- |TOPIC ------------------------------------------------------------

FONT_TEXT, FONT_HEADING, FONT_BOLD = 0, 1, 2
FACES = ['Arial']
# (attributes: 1 bold, half points, face index, foreground RGB)
FONTS = [(0, 20, 0, (0, 0, 0)), (1, 28, 0, (0, 0, 0x80)), (1, 20, 0, (0, 0, 0))]
# Paragraph kinds: (font, bits, compressed values in half points, in the order of the bits)
PARAGRAPH_STYLES = {
    'heading': (FONT_HEADING, 0, []),
    'text': (FONT_TEXT, PARA_SPACE_ABOVE, [12]),
    'item': (FONT_TEXT, PARA_SPACE_ABOVE | PARA_LEFT_INDENT | PARA_FIRST_INDENT, [6, 24, -16]),
}
BULLET = '\u2022 '  # byte 0x95 in the ANSI code page


def display_record(kind, runs):
    """LinkData1 and LinkData2 of one paragraph.

    runs: ('text', s), ('bold', s) or ('jump', s, context hash). The text
    goes into LinkData2 as NUL-terminated strings; before each formatting
    command of LinkData1 comes exactly one string, maybe empty.
    """
    font, bits, values = PARAGRAPH_STYLES[kind]
    strings, commands = [], bytearray()
    pending = [BULLET if kind == 'item' else '']

    def command(code):
        strings.append(pending[0])
        commands.extend(code)
        pending[0] = ''

    command(struct.pack('<BH', FMT_FONT, font))
    for run in runs:
        if run[0] == 'text':
            pending[0] += run[1]
        elif run[0] == 'bold':
            command(struct.pack('<BH', FMT_FONT, FONT_BOLD))
            pending[0] = run[1]
            command(struct.pack('<BH', FMT_FONT, font))
        else:
            command(struct.pack('<Bi', FMT_JUMP, run[2]))
            pending[0] = run[1]
            command(bytes([FMT_HOTSPOT_END]))
    command(bytes([FMT_PARAGRAPH_END]))
    command(bytes([FMT_END]))
    text = b''.join(s.encode('cp1252') + b'\0' for s in strings)
    # Paragraph info: an unknown byte (0), a biased one (0x80), an id (0), the
    # bits saying which values follow, then those values.
    info = bytes([0, 0x80]) + struct.pack('<HH', 0, bits)
    info += b''.join(compressed_short(v) for v in values)
    # Two sizes lead: of the rest of this block (paragraph info and commands),
    # and of the text, every character and NUL of which counts towards the
    # topic offsets.
    rest = info + bytes(commands)
    head = compressed_long(len(rest)) + compressed_ushort(len(text))
    return head + rest, text, len(text)


class _Record:
    def __init__(self, kind, data1, data2, length=0):
        self.kind, self.data1, self.data2, self.length = kind, data1, data2, length
        self.pos = self.block = None

    @property
    def size(self):
        return TOPICLINK_SIZE + len(self.data1) + len(self.data2)


def layout_topics(topics):
    """Places the records of all topics in blocks.

    topics: [(title, [(kind, runs), ...])]. Returns (records, the TOPICOFFSET
    of each topic, the record list of each topic).
    """
    records, per_topic = [], []
    for title, paragraphs in topics:
        # The title is the header's only string; the last string goes unterminated.
        own = [_Record(TL_TOPICHDR, bytes(TOPICHEADER_SIZE), title.encode('cp1252'))]
        for kind, runs in paragraphs:
            data1, data2, length = display_record(kind, runs)
            own.append(_Record(TL_DISPLAY, data1, data2, length))
        per_topic.append(own)
        records.extend(own)
    block, used, chars = 0, 0, 0
    offsets = []
    for i, rec in enumerate(records):
        size = rec.size
        if size > BLOCK_TEXT_CAPACITY:
            raise HelpFormatError('a paragraph of %d bytes does not fit a topic block' % size)
        # A topic header stays in the block of its first paragraph, so that
        # the topic's offset lies in the block where its text starts.
        need = size + (records[i + 1].size if rec.kind == TL_TOPICHDR else 0)
        if used + need > BLOCK_TEXT_CAPACITY:
            block, used, chars = block + 1, 0, 0
        rec.block = block
        rec.pos = TOPIC_BLOCK_HEADER_SIZE + block * TOPIC_DECOMPRESS_SIZE + used
        if rec.kind == TL_TOPICHDR:
            offsets.append(block * TOPICOFFSET_BLOCK + chars)
        chars += rec.length
        used += size
    return records, offsets, per_topic


def topic_file(topics):
    """The |TOPIC file and the TOPICOFFSET of each topic.

    The topics form one browse sequence in their order. The file asks for no
    browse buttons: Wine's viewer drops them at the first jump.
    """
    records, offsets, per_topic = layout_topics(topics)
    last = len(per_topic) - 1
    for number, own in enumerate(per_topic):
        header = own[0]
        following = per_topic[number + 1][0].pos if number < last else NO_POS
        scroll = own[1].pos if len(own) > 1 else NO_POS
        back = offsets[number - 1] if number > 0 else NO_POS
        forward = offsets[number + 1] if number < last else NO_POS
        header.data1 = struct.pack('<IIIIIII', sum(r.size for r in own), back, forward,
                                   number, NO_POS, scroll, following)
    blocks = []
    for i, rec in enumerate(records):
        prev_pos = records[i - 1].pos if i else NO_POS
        next_pos = records[i + 1].pos if i + 1 < len(records) else NO_POS
        link = struct.pack('<IIIIIB', rec.size, len(rec.data2), prev_pos, next_pos,
                           TOPICLINK_SIZE + len(rec.data1), rec.kind)
        while len(blocks) <= rec.block:
            blocks.append(bytearray())
        blocks[rec.block] += link + rec.data1 + rec.data2
    out = bytearray()
    for n, text in enumerate(blocks):
        before = [r for r in records if r.block < n]
        last_link = before[-1].pos if before else NO_POS
        headers = [r for r in before if r.kind == TL_TOPICHDR]
        last_header = headers[-1].pos if headers else 0
        first = TOPIC_BLOCK_HEADER_SIZE + n * TOPIC_DECOMPRESS_SIZE
        data = lz77_literals(bytes(text))
        out += struct.pack('<III', last_link, first, last_header)
        out += data.ljust(TOPIC_BLOCK_SIZE - TOPIC_BLOCK_HEADER_SIZE, b'\0')
    return bytes(out), offsets


def font_file():
    faces = b''.join(f.encode('ascii').ljust(FACE_NAME_SIZE, b'\0') for f in FACES)
    head = struct.pack('<HHHH', len(FACES), len(FONTS), 8, 8 + len(faces))
    descriptors = b''.join(struct.pack('<BBBH3s3s', attr, half, FAMILY_SWISS, face,
                                       bytes(rgb), b'\xff\xff\xff')
                           for attr, half, face, rgb in FONTS)
    return head + faces + descriptors


def system_file(title, contents_offset, gen_date, copyright=None):
    out = struct.pack('<HHHiH', SYSTEM_MAGIC, HC31_MINOR, 1, gen_date, SYSTEM_FLAGS_LZ77_4K)
    records = [(SYS_TITLE, title.encode('cp1252') + b'\0')]
    if copyright:
        records.append((SYS_COPYRIGHT, copyright.encode('cp1252') + b'\0'))
    records.append((SYS_CONTENTS, struct.pack('<I', contents_offset)))
    for kind, data in records:
        out += struct.pack('<HH', kind, len(data)) + data
    return out


def internal_file(content):
    return struct.pack('<IIB', len(content) + FILEHEADER_SIZE, len(content), FILE_FLAGS) + content


def help_file(title, topics, names, contents, gen_date, copyright=None, keywords=None):
    """The whole help file.

    topics: [(title, paragraphs)], names: the context name of each topic,
    contents: the context name of the contents topic, keywords: the list of
    index keywords of each topic (a keyword may name one topic only).
    """
    topic_data, offsets = topic_file(topics)
    hashes = {}
    for name, offset in zip(names, offsets):
        h = context_hash(name)
        if h in hashes:
            raise HelpFormatError('context names %s and %s have the same hash'
                                  % (hashes[h][0], name))
        hashes[h] = (name, offset)
    files = {
        '|CONTEXT': context_tree({h: v[1] for h, v in hashes.items()}),
        '|FONT': font_file(),
        '|SYSTEM': system_file(title, offsets[names.index(contents)], gen_date, copyright),
        '|TOPIC': topic_data,
        '|TTLBTREE': title_tree({offset: t[0] for offset, t in zip(offsets, topics)}),
        '|CTXOMAP': struct.pack('<H', 0),  # no numbers mapped to contexts
    }
    by_word = {}
    for words, name, offset in zip(keywords or [], names, offsets):
        for word in words:
            if word.lower() in by_word:
                raise HelpFormatError('keyword %r is given to %s and to %s'
                                      % (word, by_word[word.lower()][0], name))
            by_word[word.lower()] = (name, word, offset)
    if by_word:
        files['|KWBTREE'], files['|KWDATA'], files['|KWMAP'] = keyword_files(
            {word: offset for _, word, offset in by_word.values()})
    body, places, pos = bytearray(), {}, 16
    for name in sorted(files):
        places[name] = pos
        chunk = internal_file(files[name])
        body += chunk
        pos += len(chunk)
    directory = internal_file(directory_tree(places))
    return struct.pack('<IIiI', FILE_MAGIC, pos, -1, pos + len(directory)) + body + directory
