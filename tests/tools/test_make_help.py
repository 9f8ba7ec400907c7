"""The help writer's structures, read back the way the help viewer reads them."""

import struct
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'tools'))

import hlp_btree  # noqa: E402
import hlp_format  # noqa: E402
import make_help  # noqa: E402


def u16(b, i):
    return struct.unpack_from('<H', b, i)[0]


def u32(b, i):
    return struct.unpack_from('<I', b, i)[0]


def btree_find(tree, key, read_key):
    """Looks a key up from the root as the viewer does: returns the leaf entry's value or None.

    read_key(page, pos) -> (key, position after the key).
    """
    page_size, root, levels = u16(tree, 4), u16(tree, 26), u16(tree, 32)
    page = lambda n: tree[38 + n * page_size:38 + (n + 1) * page_size]  # noqa: E731
    current = root
    for _ in range(levels - 1):
        p = page(current)
        current, pos = u16(p, 4), 6
        for _ in range(u16(p, 2)):
            k, pos = read_key(p, pos)
            if k > key:
                break
            current, pos = u16(p, pos), pos + 2
    p, pos = page(current), 8
    for _ in range(u16(p, 2)):
        k, pos = read_key(p, pos)
        if k == key:
            return u32(p, pos)
        pos += 4
    return None


def btree_leaves(tree, read_key, value_size=4):
    """All leaf keys along the chain of leaf pages, from the first leaf."""
    page_size, root, levels = u16(tree, 4), u16(tree, 26), u16(tree, 32)
    page = lambda n: tree[38 + n * page_size:38 + (n + 1) * page_size]  # noqa: E731
    current = root
    for _ in range(levels - 1):
        current = u16(page(current), 4)
    keys = []
    while current != 0xFFFF:
        p, pos = page(current), 8
        for _ in range(u16(p, 2)):
            k, pos = read_key(p, pos)
            keys.append(k)
            pos += value_size
        current = u16(p, 6)
    return keys


def name_key(p, pos):
    end = p.index(b'\0', pos)
    return p[pos:end], end + 1


def kw_key(p, pos):
    """A keyword and its count of topics, which must be 1."""
    word, pos = name_key(p, pos)
    assert u16(p, pos) == 1
    return word, pos + 2


def title_key(p, pos):
    end = p.index(b'\0', pos + 4)
    return (u32(p, pos), p[pos + 4:end].decode()), end + 1


def hash_key(p, pos):
    return struct.unpack_from('<i', p, pos)[0], pos + 4


@pytest.mark.parametrize('count, page_size, levels', [(4, 1024, 1), (300, 1024, 2),
                                                      (3000, 256, 3)])
def test_directory_and_context_trees_find_every_entry(count, page_size, levels):
    names = {'|F%05d' % (n * 7919 % 100000): n * 16 for n in range(count)}
    tree = hlp_btree.directory_tree(names, page_size)
    assert u16(tree, 32) == levels and u32(tree, 34) == count
    for name, offset in names.items():
        assert btree_find(tree, name.encode(), name_key) == offset
    assert btree_find(tree, b'|F99999x', name_key) is None
    assert btree_leaves(tree, name_key) == sorted(n.encode() for n in names)

    # Hashes of both signs: the tree is ordered by the signed value.
    hashes = {(n * 2654435761) % (1 << 32) - (1 << 31): n for n in range(count)}
    tree = hlp_btree.context_tree(hashes, page_size)
    assert u16(tree, 32) == levels
    for h, offset in hashes.items():
        assert btree_find(tree, h, hash_key) == offset
    assert btree_leaves(tree, hash_key) == sorted(hashes)


@pytest.mark.parametrize('name, value', [
    ('A', 17), ('a1', 17 * 43 + 1), ('z_9', (42 * 43 + 13) * 43 + 9),
    ('x.0', (40 * 43 + 12) * 43 + 10),
    ('setup', 121395869),      # the number Wine's viewer reported for this jump
    ('SnapShot', -722435092),  # past 32 bits: kept signed, as |CONTEXT is sorted
])
def test_context_hash(name, value):
    assert hlp_format.context_hash(name) == value == hlp_format.context_hash(name.swapcase())


def lz77_decode(data):
    out, i = bytearray(), 0
    while i < len(data):
        mask = data[i]
        i += 1
        for bit in range(8):
            if i >= len(data):
                break
            if mask >> bit & 1:
                code = u16(data, i)
                for _ in range(3 + (code >> 12)):
                    out.append(out[-1 - (code & 0xFFF)])
                i += 2
            else:
                out.append(data[i])
                i += 1
    return bytes(out)


def internal_files(hlp):
    """{name: content} of every file the directory lists, each within its reserved space."""
    directory = hlp[u32(hlp, 4) + 9:]
    files = {}
    for name in btree_leaves(directory, name_key):
        at = btree_find(directory, name, name_key)
        reserved, used = u32(hlp, at), u32(hlp, at + 4)
        assert used + 9 <= reserved and at + reserved <= len(hlp)
        files[name.decode()] = hlp[at + 9:at + 9 + used]
    return files


def topic_length(data1):
    """TopicLength of a display record: after the compressed TopicSize (2 or 4 bytes)."""
    at = 2 if data1[0] & 1 == 0 else 4
    return data1[at] // 2 if data1[at] & 1 == 0 else u16(data1, at) // 2


def test_topic_records_link_up_across_blocks():
    filler = ' '.join(['word'] * 40)
    source = ['title: T', 'contents: first', '', '= first: First', 'K: one; Two',
              'Go [there](second_topic) now.', '']
    for n in range(60):
        source += [filler, '']
    source += ['= second_topic: Second', 'K: three', 'Back to [the first](first).']
    hlp = make_help.build(source)
    assert u32(hlp, 12) == len(hlp)
    files = internal_files(hlp)
    assert sorted(files) == ['|CONTEXT', '|CTXOMAP', '|FONT', '|KWBTREE', '|KWDATA', '|KWMAP',
                             '|SYSTEM', '|TOPIC', '|TTLBTREE']
    topic = files['|TOPIC']
    assert len(topic) % 4096 == 0 and len(topic) >= 3 * 4096
    blocks = [lz77_decode(topic[n + 12:n + 4096]) for n in range(0, len(topic), 4096)]

    pos, prev, chars, block_of = 12, 0xFFFFFFFF, 0, None
    headers = {}   # TOPICOFFSET -> (pos, title)
    jumps, kinds, next_topics, browse = [], [], [], []
    while pos != 0xFFFFFFFF:
        block, off = (pos - 12) >> 14, (pos - 12) & 0x3FFF
        if block != block_of:
            assert u32(topic, block * 4096 + 4) == pos, 'first link of a block'
            block_of, chars = block, 0
        rec = blocks[block][off:]
        size, len2, back, nxt, len1, kind = struct.unpack_from('<IIIIIB', rec)
        assert off + size <= len(blocks[block]), 'a record stays in its block'
        assert back == prev and size == len1 + len2
        text = rec[len1:size]
        if kinds and kinds[-1] == hlp_format.TL_TOPICHDR:
            assert block == header_block, 'a topic header and its first paragraph share a block'
        header_block = block
        kinds.append(kind)
        if kind == hlp_format.TL_TOPICHDR:
            headers[block * 0x8000 + chars] = (pos, text.rstrip(b'\0').decode())
            next_topics.append(u32(rec, 21 + 24))
            browse.append(struct.unpack_from('<II', rec, 21 + 4))
        else:
            data1 = rec[21:len1]
            chars += topic_length(data1)
            at = data1.find(bytes([hlp_format.FMT_JUMP]))
            if at >= 0:
                jumps.append(struct.unpack_from('<i', data1, at + 1)[0])
        prev, pos = pos, nxt
    assert kinds[0] == hlp_format.TL_TOPICHDR and kinds.count(hlp_format.TL_TOPICHDR) == 2
    header_positions = sorted(p for p, _ in headers.values())
    assert next_topics == header_positions[1:] + [0xFFFFFFFF]
    first, second = sorted(headers)
    assert browse == [(0xFFFFFFFF, second), (first, 0xFFFFFFFF)], 'one browse sequence'

    context = files['|CONTEXT']
    system = files['|SYSTEM']
    contents = u32(system, 12 + 6 + 4)  # header, title record "T\0", contents record
    assert headers[contents][1] == 'First'
    for name, title in (('first', 'First'), ('second_topic', 'Second')):
        offset = btree_find(context, hlp_format.context_hash(name), hash_key)
        assert headers[offset][1] == title
    assert jumps == [hlp_format.context_hash('second_topic'), hlp_format.context_hash('first')]

    # Titles by topic offset, as the search lists them.
    titles = btree_leaves(files['|TTLBTREE'], title_key, value_size=0)
    assert titles == [(offset, title) for offset, (_, title) in sorted(headers.items())]

    # Index keywords: count 1 and the place of the topic offset in |KWDATA.
    keywords = files['|KWBTREE']
    assert btree_leaves(keywords, kw_key) == [b'one', b'three', b'Two']
    assert files['|KWMAP'] == struct.pack('<HiH', 1, 0, 0)
    for word, title in ((b'one', 'First'), (b'Two', 'First'), (b'three', 'Second')):
        place = btree_find(keywords, word, kw_key)
        assert headers[u32(files['|KWDATA'], place)][1] == title
    assert make_help.build(source) == hlp, 'the same source gives the same bytes'


@pytest.mark.parametrize('lines, message', [
    (['title: T', 'contents: a', '= a: A', 'See [b](nowhere).'], ':4: jump to unknown topic nowhere'),
    (['title: T', 'contents: a', '= a: A', '= A: Again'], ':4: topic A is defined twice'),
    (['title: T', 'contents: a', '= a: A', 'Open [link(a).'], ':4: unmatched markup'),
    (['title: T', 'contents: a', '= a: A', 'Half **bold.'], ':4: unmatched markup'),
    (['title: T', 'contents: a', '= a b: A'], ':3: a topic line is'),
    (['title: T', 'contents: a', '= a: A', 'Caf\u00e9'], ':4: only printable ASCII'),
    (['title: T', 'contents: b', '= a: A'], 'contents topic b is not defined'),
    (['contents: a', '= a: A'], 'the setting "title:" is missing'),
    (['title: T', 'contents: a', 'stray text'], ':3: expected one of the settings'),
    (['title: T', 'contents: a', '= a: A', 'x ' * 2000], 'does not fit a topic block'),
    (['title: T', 'contents: a', '= a: A', 'K: x;; y'], ':4: keywords are'),
    (['title: T', 'contents: a', '= a: A', 'K: Same', '= b: B', 'K: same'],
     "keyword 'same' is given to a and to b"),
])
def test_faulty_sources_are_refused_with_their_line(lines, message, tmp_path, capsys):
    source, out = tmp_path / 'help.txt', tmp_path / 'help.hlp'
    source.write_text('\n'.join(lines) + '\n', encoding='utf-8')
    assert make_help.main(['make_help.py', str(source), str(out)]) == 1
    error = capsys.readouterr().err
    assert error.startswith('make_help.py: error: ' + str(source)) and message in error
    assert not out.exists() and not (tmp_path / 'help.hlp.part').exists()
