"""tools/install-deps.sh against stand-ins for apt-get, dpkg-query, dpkg and id (no root, no network)."""

import os
import subprocess
from pathlib import Path

import pytest

SCRIPT = Path(__file__).resolve().parents[2] / 'tools' / 'install-deps.sh'

ERR_INDEX = 'http://deb.example/debian-security bookworm-security/main i386 Packages'
UPDATE_FAILURE = f"""Err:5 {ERR_INDEX}
  File has unexpected size (1234 != 1240). Mirror sync in progress?
E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size
"""
INSTALL_FAILURE = 'E: Unable to correct problems, you have held broken packages.\n'

# Each stand-in records its arguments, one call a line. apt-get's update fails
# for the first $UPDATE_FAILS calls; its install succeeds only when it is
# given one of the words in $INSTALL_OK_WITH ("any" for every install).
STANDINS = {
    'id': 'echo 0',
    'dpkg': 'echo "dpkg $*" >>"$CALLS"; echo i386',
    'dpkg-query': '[ "$ALL_INSTALLED" = 1 ] && echo "install ok installed"; exit 0',
    'apt-get': r'''echo "apt-get $*" >>"$CALLS"
case "$1" in
update)
    n=$(grep -c '^apt-get update' "$CALLS")
    if [ "$n" -le "$UPDATE_FAILS" ]; then printf '%s' "$UPDATE_FAILURE"; exit 100; fi
    echo "Reading package lists..." ;;
*)
    for w in $INSTALL_OK_WITH; do
        [ "$w" = any ] && exit 0
        case " $* " in *" $w "*) exit 0 ;; esac
    done
    printf '%s' "$INSTALL_FAILURE"; exit 100 ;;
esac''',
}


def run_script(tmp_path, update_fails, install_ok_with, all_installed=False):
    bin_dir = tmp_path / 'bin'
    bin_dir.mkdir()
    for name, body in STANDINS.items():
        (bin_dir / name).write_text('#!/bin/bash\n' + body + '\n')
        (bin_dir / name).chmod(0o755)
    os_release = tmp_path / 'os-release'
    os_release.write_text('NAME="Debian GNU/Linux"\nVERSION_CODENAME=bookworm\n')
    calls = tmp_path / 'calls'
    calls.write_text('')
    env = dict(os.environ, PATH=f'{bin_dir}:{os.environ["PATH"]}', CALLS=str(calls),
               UPDATE_FAILS=str(update_fails), INSTALL_OK_WITH=install_ok_with,
               ALL_INSTALLED='1' if all_installed else '0', UPDATE_FAILURE=UPDATE_FAILURE,
               INSTALL_FAILURE=INSTALL_FAILURE, INSTALL_DEPS_RETRY_PAUSE='0',
               INSTALL_DEPS_OS_RELEASE=str(os_release))
    done = subprocess.run(['bash', str(SCRIPT)], env=env, capture_output=True, text=True, timeout=60)
    apt_calls = [c.split()[1] + (' -t ' + c.split('-t ')[1].split()[0] if ' -t ' in c else '')
                 for c in calls.read_text().splitlines() if c.startswith('apt-get')]
    return done, apt_calls


@pytest.mark.parametrize('update_fails, install_ok_with, rc, apt_calls', [
    # The mirror recovers on the second try: one plain install.
    (1, 'any', 0, ['update', 'update', 'install']),
    # Never recovers, but the lists apt has are enough.
    (9, 'any', 0, ['update'] * 3 + ['install']),
    # Only the release's own suite as the target gives a consistent set.
    (9, 'bookworm', 0, ['update'] * 3 + ['install', 'install -t bookworm']),
    # Nothing works: reported, not retried without end.
    (9, 'never', 1, ['update'] * 3 + ['install', 'install -t bookworm']),
    # The lists were fresh: an install failure is apt's own, with no second try.
    (0, 'bookworm', 1, ['update', 'install']),
])
def test_install_after_failed_updates(tmp_path, update_fails, install_ok_with, rc, apt_calls):
    done, calls = run_script(tmp_path, update_fails, install_ok_with)
    assert (done.returncode != 0) == (rc != 0), done.stderr
    assert calls == apt_calls
    if rc and update_fails:
        report = done.stderr.splitlines()
        assert 'package lists could not be brought up to date' in report[0]
        assert ERR_INDEX in report[0]
        rest = '\n'.join(report[1:])
        assert 'Mirror sync in progress?' in rest and INSTALL_FAILURE.strip() in rest
    elif rc:
        assert 'could not be brought up to date' not in done.stderr
        assert INSTALL_FAILURE.strip() in done.stderr


def test_nothing_missing_touches_nothing(tmp_path):
    done, calls = run_script(tmp_path, 9, 'never', all_installed=True)
    assert done.returncode == 0, done.stderr
    assert calls == []
