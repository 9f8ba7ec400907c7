"""The direction of includes between the rooms of the source tree, read from every file's #include lines."""

import re
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SOURCE_DIRS = ['snap', 'setup', 'bench', 'tests/unit', 'tests/drivers']
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

# What each room may include besides itself. Rooms not listed (the benchmark,
# the test drivers and unit tests) stand on top and may include any room.
MAY_INCLUDE = {
    'snap/common': set(),
    'snap/res': set(),
    'snap/settings': {'snap/common'},
    'snap/engine': {'snap/common', 'snap/settings', 'snap/res'},
    'snap/shell': {'snap/common', 'snap/settings', 'snap/engine', 'snap/res'},
    'setup': {'snap/common', 'snap/settings'},
}


def room_of(path):
    rel = path.relative_to(ROOT).as_posix()
    return next((r for r in sorted(MAY_INCLUDE, key=len, reverse=True) if rel.startswith(r + '/')), None)


def is_windows_file(path):
    """The test drivers are Windows programs whatever their names."""
    rel = path.relative_to(ROOT).as_posix()
    return path.stem.endswith('_win') or rel.startswith(('tests/drivers/', 'bench/'))


def sources():
    for d in SOURCE_DIRS:
        yield from sorted(p for p in (ROOT / d).rglob('*') if p.suffix in ('.h', '.cpp'))


def includes(path):
    """(kind, resolved path or None, text) of each #include of path."""
    for kind, name in INCLUDE.findall(path.read_text(errors='replace')):
        target = None
        if kind == '"':
            target = next((c for c in (ROOT / name, path.parent / name) if c.is_file()), None)
        yield kind, target, name


def module(path):
    """A header and its source file are one node: a circle runs through either."""
    return path.with_suffix('').relative_to(ROOT).as_posix()


def find_circles(edges):
    circles, state = [], {}

    def visit(node, trail):
        state[node] = 'open'
        for succ in sorted(edges.get(node, ())):
            if state.get(succ) == 'open':
                circles.append(trail[trail.index(succ):] + [succ])
            elif succ not in state:
                visit(succ, trail + [succ])
        state[node] = 'done'

    for node in sorted(edges):
        if node not in state:
            visit(node, [node])
    return circles


def test_includes_point_one_way_and_portable_files_stay_portable():
    wrong = []
    for path in sources():
        rel, room = path.relative_to(ROOT).as_posix(), room_of(path)
        for kind, target, name in includes(path):
            if kind == '<':
                if name.lower() == 'windows.h' and not is_windows_file(path):
                    wrong.append(f'{rel}: a portable file includes <windows.h>')
                continue
            if target is None:
                continue
            if not is_windows_file(path) and is_windows_file(target):
                wrong.append(f'{rel}: a portable file includes {name}')
            target_room = room_of(target)
            if room and target_room != room and target_room not in MAY_INCLUDE[room]:
                wrong.append(f'{rel}: {room} may not include {name}')
    assert wrong == []


def test_no_file_depends_on_itself_through_its_includes():
    edges = {}
    for path in sources():
        for _, target, _ in includes(path):
            if target is not None and module(target) != module(path):
                edges.setdefault(module(path), set()).add(module(target))
    assert [' -> '.join(c) for c in find_circles(edges)] == []


def test_the_checks_see_a_circle_and_a_wrong_include():
    assert find_circles({'a': {'b'}, 'b': {'c'}, 'c': {'a'}}) == [['a', 'b', 'c', 'a']]
    assert find_circles({'a': {'b'}, 'b': set()}) == []
    assert 'snap/shell' not in MAY_INCLUDE['snap/engine'] and 'snap/settings' not in MAY_INCLUDE['snap/common']
