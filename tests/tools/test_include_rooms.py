"""The direction of includes between the rooms of the source tree, read from every file's #include lines."""

import re
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# What each room may include besides itself. The benchmark and the test
# programs stand on top and may include any room.
MAY_INCLUDE = {
    'snap/common': set(), 'snap/res': set(),
    'snap/settings': {'snap/common'},
    'snap/engine': {'snap/common', 'snap/settings', 'snap/res'},
    'snap/shell': {'snap/common', 'snap/settings', 'snap/engine', 'snap/res'},
    'setup': {'snap/common', 'snap/settings'},
}


def room_of(rel):
    return next((r for r in sorted(MAY_INCLUDE, key=len, reverse=True) if rel.startswith(r + '/')), None)


def is_windows_file(rel):
    return Path(rel).stem.endswith('_win') or rel.startswith(('tests/drivers/', 'bench/'))


def include_graph():
    """{file: [(bracket, included file or None, name)]} for every source file."""
    graph = {}
    for d in ('snap', 'setup', 'bench', 'tests/unit', 'tests/drivers'):
        for path in sorted(p for p in (ROOT / d).rglob('*') if p.suffix in ('.h', '.cpp')):
            found = []
            for kind, name in INCLUDE.findall(path.read_text(errors='replace')):
                target = next((c for c in (ROOT / name, path.parent / name) if kind == '"' and c.is_file()), None)
                found.append((kind, target and target.relative_to(ROOT).as_posix(), name))
            graph[path.relative_to(ROOT).as_posix()] = found
    return graph


def find_circles(edges):
    """Each circle of a directed graph found by a depth-first walk, as a path back to its start."""
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


def test_includes_point_one_way_without_circles_and_portable_files_stay_portable():
    wrong, edges = [], {}
    module = lambda rel: rel.rsplit('.', 1)[0]  # noqa: E731 (a header and its source are one)
    for rel, found in include_graph().items():
        for kind, target, name in found:
            if kind == '<' or target is None:
                if name.lower() == 'windows.h' and not is_windows_file(rel):
                    wrong.append(f'{rel}: a portable file includes <windows.h>')
                continue
            if not is_windows_file(rel) and is_windows_file(target):
                wrong.append(f'{rel}: a portable file includes {name}')
            room, target_room = room_of(rel), room_of(target)
            if room and target_room != room and target_room not in MAY_INCLUDE[room]:
                wrong.append(f'{rel}: {room} may not include {name}')
            if module(target) != module(rel):
                edges.setdefault(module(rel), set()).add(module(target))
    assert wrong + [' -> '.join(c) for c in find_circles(edges)] == []
    assert find_circles({'a': {'b'}, 'b': {'c'}, 'c': {'a'}}) == [['a', 'b', 'c', 'a']]
