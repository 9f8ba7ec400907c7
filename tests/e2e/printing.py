"""A CUPS scheduler of the test run's own, with a PDF printer (CUPS-PDF).

``PrintServer(folder)`` starts ``cupsd`` with a configuration, spool, logs
and a Unix socket all inside ``folder``: no network port, nothing of the
machine's own CUPS is read or changed. CUPS-PDF only reads its settings from
the system's configuration folder, so the scheduler runs in a mount
namespace of its own in which the test's CUPS-PDF settings are bound over
that one file; PDFs are written to ``.pdf_dir``. Wine's printing reads
``CUPS_SERVER`` from the environment of each program: pass ``.env`` to
``wine.start``. The queue "PDF" is made and set as the default. ``stop()``
ends the scheduler by its PID.

Also: ``pdfs()``, ``jobs()`` (lines of ``lpstat -o``), ``wait_pdf()``,
``clear()`` (no PDFs, the queue back and accepting), ``reject()`` /
``accept()``, ``remove_queue()`` / ``add_queue()``, ``render(pdf, dpi=300)``
-> list of ``Page`` (pdftoppm at the printer's own resolution), and
``picture_box(page)``. ``print_server_fixture`` is the generator behind a
pytest fixture of any scope. ``spooler_reports_refusal(wine)``: whether that
Wine tells a program that CUPS refused its job.
"""

from __future__ import annotations

import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

from harness import wait_for
from harness_util import _die_with_parent

QUEUE = "PDF"
PPD = "lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd"
CUPS_PDF_CONF = "/etc/cups/cups-pdf.conf"

_CUPSD_CONF = """\
Listen {socket}
Browsing Off
DefaultAuthType None
WebInterface No
MaxLogSize 0
JobRetryLimit 0
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

_FILES_CONF = """\
ServerRoot {root}/etc
RequestRoot {root}/spool
TempDir {root}/spool/tmp
CacheDir {root}/cache
StateDir {root}/state
ErrorLog {root}/log/error_log
AccessLog {root}/log/access_log
PageLog {root}/log/page_log
FileDevice No
"""

_CUPS_PDF_CONF = """\
Out {root}/pdf
Spool {root}/cups-pdf-spool
Log {root}/log
AnonDirName {root}/pdf
Grp root
"""


def spooler_reports_refusal(wine) -> bool:
    """Wine 8's printer driver hands the page to CUPS itself, and EndDoc
    fails when the queue refuses it (rejecting, or removed). Wine 10 spools
    the page and plays it to CUPS inside EndDoc through its own spooler,
    which drops CUPS's refusal: EndDoc succeeds, the job leaves the queue
    and neither the printer's status nor the job tells of it (measured with
    GetPrinter, EnumPrinters, GetJob; EnumJobs is not implemented), so no
    program can learn that nothing was printed."""
    return wine.generation < 10


class PrintServer:
    def __init__(self, folder: Path):
        self.root = Path(folder)
        for sub in ("etc", "spool/tmp", "cache", "state", "log", "pdf", "cups-pdf-spool"):
            (self.root / sub).mkdir(parents=True, exist_ok=True)
        # The scheduler runs its filters as the user lp.
        for d in [self.root, *self.root.rglob("*")]:
            if d.is_dir():
                d.chmod(0o777 if d.name in ("tmp", "spool") else 0o755)
        self.socket = self.root / "cups.sock"
        self.pdf_dir = self.root / "pdf"
        (self.root / "etc" / "cupsd.conf").write_text(_CUPSD_CONF.format(socket=self.socket))
        (self.root / "cups-files.conf").write_text(_FILES_CONF.format(root=self.root))
        pdf_conf = self.root / "cups-pdf.conf"
        pdf_conf.write_text(_CUPS_PDF_CONF.format(root=self.root))
        self.env = {"CUPS_SERVER": str(self.socket)}
        self._cmd_env = dict(os.environ, **self.env)
        self.log = self.root / "log" / "cupsd.out"
        script = ('mount --bind "$1" "$2" && shift 2 && exec "$@"')
        with open(self.log, "wb") as out:
            self._proc = subprocess.Popen(
                ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh",
                 str(pdf_conf), CUPS_PDF_CONF, "cupsd", "-f", "-c",
                 str(self.root / "etc" / "cupsd.conf"), "-s", str(self.root / "cups-files.conf")],
                stdin=subprocess.DEVNULL, stdout=out, stderr=out, start_new_session=True,
                preexec_fn=_die_with_parent)  # ends with the run, even a killed one
        self.pid = self._proc.pid
        try:
            wait_for(self._answers, 20, "the private cupsd to answer")
            self.add_queue()
        except BaseException:
            self.stop()
            raise

    def _answers(self) -> bool:
        if self._proc.poll() is not None:
            raise RuntimeError(f"cupsd ended: {self.log.read_text(errors='replace')} "
                               f"{(self.root / 'log' / 'error_log').read_text(errors='replace')}")
        return self.socket.exists() and self._run("lpstat", "-r", check=False).returncode == 0

    def _run(self, *args, check: bool = True) -> subprocess.CompletedProcess:
        r = subprocess.run(list(args), env=self._cmd_env, stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, timeout=30)
        if check and r.returncode != 0:
            raise RuntimeError(f"{' '.join(args)}: {r.stderr.strip()}")
        return r

    def add_queue(self) -> None:
        self._run("lpadmin", "-p", QUEUE, "-E", "-v", "cups-pdf:/", "-m", PPD)
        self._run("lpadmin", "-d", QUEUE)

    def remove_queue(self) -> None:
        self._run("lpadmin", "-x", QUEUE)

    def reject(self) -> None:
        self._run("cupsreject", QUEUE)

    def accept(self) -> None:
        self._run("cupsaccept", QUEUE)

    def jobs(self) -> list[str]:
        return self._run("lpstat", "-o", check=False).stdout.splitlines()

    def pdfs(self) -> list[Path]:
        return sorted(self.pdf_dir.glob("*.pdf"))

    def clear(self) -> None:
        """Empties the PDF folder and puts the queue back as it was."""
        for p in self.pdf_dir.iterdir():
            if p.is_file():
                p.unlink()
        if QUEUE not in self._run("lpstat", "-p", check=False).stdout:
            self.add_queue()
        self.accept()

    def wait_pdf(self, timeout: float = 30) -> Path:
        """The one PDF of a job, once CUPS-PDF has finished writing it."""
        def done():
            files = self.pdfs()
            if not files or self.jobs():
                return None
            size = files[0].stat().st_size
            time.sleep(0.2)
            return files[0] if size and files[0].stat().st_size == size else None
        return wait_for(done, timeout, "the printed PDF", interval=0.2)

    def render(self, pdf: Path, dpi: int = 300) -> list["Page"]:
        """Every page of the PDF as pdftoppm renders it, at dpi."""
        out = self.root / "render"
        shutil.rmtree(out, ignore_errors=True)
        out.mkdir()
        subprocess.run(["pdftoppm", "-r", str(dpi), str(pdf), str(out / "page")], check=True,
                       timeout=120, capture_output=True)
        return [Page(p.read_bytes()) for p in sorted(out.glob("page*.ppm"))]

    def stop(self) -> None:
        if self._proc.poll() is None:
            os.kill(self.pid, signal.SIGTERM)
            try:
                self._proc.wait(10)
            except subprocess.TimeoutExpired:
                os.kill(self.pid, signal.SIGKILL)
                self._proc.wait(10)


class Page:
    """A rendered page (binary PPM): ``.width``, ``.height``, ``.pixel(x, y)``."""

    def __init__(self, data: bytes):
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        self.width, self.height = int(fields[1]), int(fields[2])
        self._pixels = data[pos + 1:]

    def pixel(self, x: int, y: int) -> tuple:
        i = (y * self.width + x) * 3
        return tuple(self._pixels[i:i + 3])


def print_server_fixture():
    """Generator for a pytest fixture: a PrintServer in a folder of its own
    (readable by the scheduler's lp user), stopped and removed afterwards."""
    import tempfile

    folder = Path(tempfile.mkdtemp(prefix="tamblit-cups-"))
    folder.chmod(0o755)
    server = PrintServer(folder)
    try:
        yield server
    finally:
        server.stop()
        if os.environ.get("TAMBLIT_E2E_KEEP") != "1":
            shutil.rmtree(folder, ignore_errors=True)


def picture_box(page: Page, threshold: int = 240):
    """(left, top, right, bottom) of everything on the page darker than
    paper white, right and bottom exclusive; None for a blank page."""
    stride = page.width * 3
    data = page._pixels
    top = bottom = None
    left, right = page.width, 0
    paper = bytes(range(threshold, 256))
    for y in range(page.height):
        row = data[y * stride:(y + 1) * stride]
        inked = row.translate(None, paper)
        if not inked:
            continue
        first = len(row) - len(row.lstrip(paper))
        last = len(row.rstrip(paper))
        left, right = min(left, first // 3), max(right, (last + 2) // 3)
        top = y if top is None else top
        bottom = y + 1
    return None if top is None else (left, top, right, bottom)
