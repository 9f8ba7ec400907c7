#!/usr/bin/env python3
"""Makes the release archive of the Windows programs.

    make_release.py DIST_DIR ARCHIVE

The archive holds the four files of the distribution folder and SHA256SUMS,
whose lines read as `sha256sum -c` expects them ("<hash>  <name>"), at its top
level (no folder of its own). Every entry carries the same fixed time and no
other file attributes, so the same four files always give the same archive.
Standard library only.
"""

import hashlib
import sys
import zipfile
from pathlib import Path

FILES = ["tamblit95.exe", "tamblit95.wav", "tamblit95.hlp", "setup.exe"]
ENTRY_TIME = (2000, 1, 1, 0, 0, 0)


def entry(name: str) -> zipfile.ZipInfo:
    info = zipfile.ZipInfo(name, ENTRY_TIME)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    return info


def make_release(dist: Path, archive: Path) -> None:
    missing = [n for n in FILES if not (dist / n).is_file()]
    if missing:
        raise SystemExit(f"missing from {dist}: {', '.join(missing)}")
    data = {n: (dist / n).read_bytes() for n in FILES}
    sums = "".join(f"{hashlib.sha256(data[n]).hexdigest()}  {n}\n" for n in FILES)
    partial = archive.with_name(archive.name + ".part")
    with zipfile.ZipFile(partial, "w") as z:
        for name in FILES:
            z.writestr(entry(name), data[name])
        z.writestr(entry("SHA256SUMS"), sums)
    partial.replace(archive)  # never a half-written archive under the final name
    print(f"Release archive {archive}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    make_release(Path(sys.argv[1]), Path(sys.argv[2]))
