"""tools/install-deps.sh against stand-ins for apt-get, dpkg-query, dpkg and id (no root, no network)."""

import os
import subprocess
from pathlib import Path

import pytest

SCRIPT = Path(__file__).resolve().parents[2] / 'tools' / 'install-deps.sh'
INDEX = 'http://deb.example/debian-security bookworm-security/main i386 Packages'
# apt-get update fails for the first $FAILS calls, as apt does on a mirror in
# mid-sync; install succeeds only when given the word $OK_WITH ('' for any).
APT_GET = f'''#!/bin/bash
echo "$*" >>"$CALLS"
if [ "$1" = update ]; then
    [ "$(grep -c '^update' "$CALLS")" -gt "$FAILS" ] && exit 0
    printf 'Err:5 {INDEX}\\n  File has unexpected size (1234 != 1240). Mirror sync in progress?\\n'
    exit 100
fi
case " $* " in *" $OK_WITH "*) exit 0 ;; esac
echo 'E: Unable to correct problems, you have held broken packages.'; exit 100
'''
STANDINS = {'apt-get': APT_GET, 'id': '#!/bin/sh\necho 0\n', 'dpkg': '#!/bin/sh\necho i386\n',
            'dpkg-query': '#!/bin/sh\nexit 0\n'}


@pytest.mark.parametrize('fails, ok_with, installed, calls', [
    (1, '', True, ['update', 'update', 'install']),  # the mirror recovers
    (9, '', True, ['update'] * 3 + ['install']),  # the lists it has are enough
    (9, '-t bookworm', True, ['update'] * 3 + ['install', 'install -t bookworm']),
    (9, 'never', False, ['update'] * 3 + ['install', 'install -t bookworm']),
    (0, '-t bookworm', False, ['update', 'install']),  # fresh lists: apt's own failure
])
def test_failed_updates_are_retried_then_reported_in_one_line(tmp_path, fails, ok_with, installed, calls):
    for name, body in STANDINS.items():
        (tmp_path / name).write_text(body)
        (tmp_path / name).chmod(0o755)
    (tmp_path / 'os-release').write_text('VERSION_CODENAME=bookworm\n')
    env = dict(os.environ, PATH=f'{tmp_path}:{os.environ["PATH"]}', CALLS=str(tmp_path / 'calls'),
               FAILS=str(fails), OK_WITH=ok_with or '-y', INSTALL_DEPS_RETRY_PAUSE='0',
               INSTALL_DEPS_OS_RELEASE=str(tmp_path / 'os-release'))
    done = subprocess.run(['bash', str(SCRIPT)], env=env, capture_output=True, text=True, timeout=60)
    made = [' '.join(w for w in c.split() if w in ('update', 'install', '-t', 'bookworm'))
            for c in (tmp_path / 'calls').read_text().splitlines()]
    assert (done.returncode == 0, made) == (installed, calls), done.stderr
    first, _, rest = done.stderr.partition('\n')
    if not installed and fails:
        assert 'package lists could not be brought up to date' in first and INDEX in first
        assert 'Mirror sync in progress?' in rest and 'held broken packages' in rest
    elif not installed:
        assert 'brought up to date' not in done.stderr and 'held broken packages' in done.stderr
