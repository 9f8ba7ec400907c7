"""B+ trees of the Windows Help format: the internal directory, |CONTEXT and
the keyword index are each kept as one.

A tree is a 38-byte header and pages of a fixed size: leaf pages hold the
entries in key order and are chained both ways; index pages lead with the
page of the keys below their first entry, then pairs (first key of a child
page, that page). The viewer goes from the root down the index pages to a
leaf and reads it in order, so a misplaced entry is simply not found.
"""

import struct

BTREE_MAGIC = 0x293B
LEAF_HEADER_SIZE = 8
INDEX_HEADER_SIZE = 6
DIRECTORY_PAGE_SIZE = 0x400
DIRECTORY_FLAGS = 0x0402
BTREE_PAGE_SIZE = 0x800
BTREE_FLAGS = 0x0002


class HelpFormatError(Exception):
    pass


def build_btree(entries, page_size, flags, structure, leaf_starts=None):
    """A B+ tree of (key, leaf entry bytes, index key bytes) entries, sorted by key.

    Returns the tree's bytes: the 38-byte header and the pages, leaves first.
    An index page leads with the page of keys below its first entry, then
    pairs (first key of a child page, that page). leaf_starts, when given,
    receives (number of the first entry, page) of every leaf page.
    """
    keys = [e[0] for e in entries]
    if any(a >= b for a, b in zip(keys, keys[1:])):
        raise HelpFormatError('B+ tree keys must be unique and sorted')
    pages = []
    level = []  # (page number, index key bytes of its first entry)
    groups = _pack(entries, page_size - LEAF_HEADER_SIZE, lambda e: len(e[1])) or [[]]
    first = 0
    for n, group in enumerate(groups):
        if leaf_starts is not None:
            leaf_starts.append((first, n))
        first += len(group)
        body = b''.join(e[1] for e in group)
        next_page = n + 1 if n + 1 < len(groups) else -1
        head = struct.pack('<Hhhh', page_size - LEAF_HEADER_SIZE - len(body), len(group),
                           n - 1 if n else -1, next_page)
        pages.append(head + body)
        level.append((n, group[0][2] if group else b''))
    levels = 1
    while len(level) > 1:
        children = level
        level = []
        for group in _regroup(children, page_size - INDEX_HEADER_SIZE):
            first, rest = group[0], group[1:]
            body = b''.join(key + struct.pack('<H', page) for page, key in rest)
            head = struct.pack('<Hhh', page_size - INDEX_HEADER_SIZE - len(body), len(rest),
                               first[0])
            level.append((len(pages), first[1]))
            pages.append(head + body)
        levels += 1
    root = level[0][0]
    header = struct.pack('<HHH16shhhhhhi', BTREE_MAGIC, flags, page_size,
                         structure.encode('ascii'), 0, 0, root, -1, len(pages), levels,
                         len(entries))
    return header + b''.join(p.ljust(page_size, b'\0') for p in pages)


def _pack(items, capacity, size):
    groups, current, used = [], [], 0
    for item in items:
        n = size(item)
        if n > capacity:
            raise HelpFormatError('B+ tree entry larger than a page')
        if current and used + n > capacity:
            groups.append(current)
            current, used = [], 0
        current.append(item)
        used += n
    if current:
        groups.append(current)
    return groups


def _regroup(children, capacity):
    """Splits child pages among index pages: each page's first child costs no room."""
    groups, current, used = [], [], 0
    for child in children:
        n = len(child[1]) + 2
        if current and used + n > capacity:
            groups.append(current)
            current, used = [], 0
        if current:
            used += n
        current.append(child)
    groups.append(current)
    return groups


def directory_tree(files, page_size=DIRECTORY_PAGE_SIZE):
    """The internal directory: {name: offset} as a B+ tree sorted by name bytes."""
    entries = []
    for name in sorted(files, key=lambda n: n.encode('ascii')):
        raw = name.encode('ascii') + b'\0'
        entries.append((raw, raw + struct.pack('<I', files[name]), raw))
    return build_btree(entries, page_size, DIRECTORY_FLAGS, 'z4')


def keyword_files(keywords, page_size=BTREE_PAGE_SIZE):
    """|KWBTREE, |KWDATA and |KWMAP of {keyword: topic offset}, one topic a keyword.

    The tree holds each keyword (in the order of the viewer's index, letter
    case aside) with its count of topics and the place of its topic offsets
    in |KWDATA; |KWMAP counts the leaf pages and gives the first keyword
    number of each.
    """
    order = sorted(keywords, key=lambda k: (k.lower(), k))
    entries = []
    for n, word in enumerate(order):
        raw = word.encode('cp1252') + b'\0'
        entries.append(((word.lower(), word), raw + struct.pack('<hI', 1, 4 * n), raw))
    starts = []
    tree = build_btree(entries, page_size, BTREE_FLAGS, 'F24', starts)
    data = b''.join(struct.pack('<I', keywords[k]) for k in order)
    kwmap = struct.pack('<H', len(starts))
    kwmap += b''.join(struct.pack('<iH', first, page) for first, page in starts)
    return tree, data, kwmap


def context_tree(offsets, page_size=BTREE_PAGE_SIZE):
    """|CONTEXT: {context hash: topic offset} as a B+ tree sorted by signed hash."""
    entries = []
    for h in sorted(offsets):
        raw = struct.pack('<i', h)
        entries.append((h, raw + struct.pack('<I', offsets[h]), raw))
    return build_btree(entries, page_size, BTREE_FLAGS, 'L4')


def title_tree(titles, page_size=BTREE_PAGE_SIZE):
    """|TTLBTREE: {topic offset: topic title} as a B+ tree sorted by offset."""
    entries = []
    for offset in sorted(titles):
        raw = struct.pack('<I', offset)
        entries.append((offset, raw + titles[offset].encode('cp1252') + b'\0', raw))
    return build_btree(entries, page_size, BTREE_FLAGS, 'Lz')
