#!/usr/bin/env python3
"""Builds the program's Windows Help file from its text source.

    make_help.py SOURCE.txt OUT.hlp

The source is plain text, one setting or paragraph per block of lines:

    # a comment line
    title: Tamblit 95 Help          the help file's title (the viewer's caption)
    date: 2026-12-07                the build date stored in the file (fixed, so
                                    the same source always gives the same bytes)
    contents: contents              context name of the contents topic

    = contents: Tamblit 95 Help     a topic: its context name and its title
    Lines up to a blank line make one paragraph. [Jump text](setup) jumps
    to the topic named setup; **bold text** is set in bold.
    - a line starting with "- " starts a bulleted paragraph
    K: snapshot; hot key            index keywords of the topic (the viewer's
                                    Index), separated by ";", each of one topic

Context names are letters, digits, "." and "_". Any fault (an unknown jump
target, a topic named twice, markup left open) stops the build with the
line it is on. Plain Python 3 with the standard library only.
"""

import datetime
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import hlp_format  # noqa: E402

SETTINGS = ('title', 'date', 'contents', 'copyright')
NAME = re.compile(r'^[A-Za-z0-9._]+$')
INLINE = re.compile(r'\[([^\[\]]+)\]\(([^()\s]+)\)|\*\*([^*]+)\*\*')


class SourceError(Exception):
    pass


def parse_runs(text, where):
    """Splits a paragraph into ('text', s), ('bold', s) and ('jump', s, name) runs."""
    runs, pos = [], 0
    for m in INLINE.finditer(text):
        if m.start() > pos:
            runs.append(('text', text[pos:m.start()]))
        if m.group(1) is not None:
            runs.append(('jump', m.group(1), m.group(2), where))
        else:
            runs.append(('bold', m.group(3)))
        pos = m.end()
    if pos < len(text):
        runs.append(('text', text[pos:]))
    for run in runs:
        if run[0] == 'text' and any(c in run[1] for c in '[]*'):
            raise SourceError('%s: unmatched markup in %r (write [text](name) or **text**)'
                              % (where, run[1]))
    return runs


def parse_source(lines, path='help source'):
    """Returns (settings, topics): topics as [(name, title, [(kind, runs)], keywords)]."""
    settings, topics = {}, []
    paragraph, start = None, 0

    def flush():
        if paragraph is not None:
            kind, words = paragraph
            where = '%s:%d' % (path, start)
            topics[-1][2].append((kind, parse_runs(' '.join(words), where)))

    for number, raw in enumerate(lines, 1):
        where = '%s:%d' % (path, number)
        line = raw.rstrip('\r\n').strip()
        if any(not (' ' <= c <= '~') for c in line):
            raise SourceError('%s: only printable ASCII characters are allowed' % where)
        if line.startswith('#'):
            continue
        if not line:
            flush()
            paragraph = None
            continue
        if line.startswith('= '):
            flush()
            paragraph = None
            name, sep, title = line[2:].partition(':')
            name, title = name.strip(), title.strip()
            if not sep or not NAME.match(name) or not title:
                raise SourceError('%s: a topic line is "= name: Title", name of letters, '
                                  'digits, "." and "_"' % where)
            if any(t[0].lower() == name.lower() for t in topics):
                raise SourceError('%s: topic %s is defined twice' % (where, name))
            topics.append((name, title, [('heading', [('text', title)])], []))
            continue
        if not topics:
            key, sep, value = line.partition(':')
            if not sep or key.strip() not in SETTINGS or key.strip() in settings:
                raise SourceError('%s: expected one of the settings %s or a topic line'
                                  % (where, ', '.join(SETTINGS)))
            settings[key.strip()] = value.strip()
            continue
        if line.startswith('K:'):
            flush()
            paragraph = None
            words = [w.strip() for w in line[2:].split(';')]
            if not all(words):
                raise SourceError('%s: keywords are "K: word; other words"' % where)
            topics[-1][3].extend(words)
            continue
        if line.startswith('- '):
            flush()
            paragraph, start = ('item', [line[2:].strip()]), number
        elif paragraph is None:
            paragraph, start = ('text', [line]), number
        else:
            paragraph[1].append(line)
    flush()
    check(settings, topics, path)
    return settings, topics


def check(settings, topics, path):
    for key in ('title', 'contents'):
        if not settings.get(key):
            raise SourceError('%s: the setting "%s:" is missing' % (path, key))
    names = {t[0].lower(): t[0] for t in topics}
    if settings['contents'].lower() not in names:
        raise SourceError('%s: contents topic %s is not defined' % (path, settings['contents']))
    for name, _, paragraphs, _ in topics:
        for _, runs in paragraphs:
            for run in runs:
                if run[0] == 'jump' and run[2].lower() not in names:
                    raise SourceError('%s: jump to unknown topic %s' % (run[3], run[2]))


def build(lines, path='help source'):
    settings, topics = parse_source(lines, path)
    gen_date = 0
    if settings.get('date'):
        try:
            day = datetime.date.fromisoformat(settings['date'])
        except ValueError:
            raise SourceError('%s: date must be YYYY-MM-DD' % path)
        gen_date = int((day - datetime.date(1970, 1, 1)).total_seconds())
    canonical = {t[0].lower(): t[0] for t in topics}
    parts = []
    for name, title, paragraphs, _ in topics:
        out = []
        for kind, runs in paragraphs:
            out.append((kind, [r if r[0] != 'jump' else
                               ('jump', r[1], hlp_format.context_hash(canonical[r[2].lower()]))
                               for r in runs]))
        parts.append((title, out))
    try:
        return hlp_format.help_file(settings['title'], parts, [t[0] for t in topics],
                                    canonical[settings['contents'].lower()], gen_date,
                                    settings.get('copyright'), [t[3] for t in topics])
    except hlp_format.HelpFormatError as e:
        raise SourceError('%s: %s' % (path, e))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source, output = argv[1], argv[2]
    try:
        # Read byte for byte, so that a character outside ASCII is refused with its line.
        with open(source, encoding='latin-1') as f:
            data = build(f.readlines(), source)
    except (SourceError, OSError) as e:
        sys.stderr.write('make_help.py: error: %s\n' % e)
        return 1
    temp = output + '.part'
    with open(temp, 'wb') as f:
        f.write(data)
    os.replace(temp, output)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
