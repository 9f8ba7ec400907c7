"""Fixtures of the end-to-end tests; the API is described in harness.py."""

import atexit
import signal
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402

_session = None


def pytest_configure(config):
    # tools/run-tests.sh runs every test on the machine's Wine and the tests
    # carrying this mark on the second Wine generation as well: mark the one
    # case of a family that stands for it there.
    config.addinivalue_line(
        "markers", "wine10: also run on Wine 10 (tools/run-tests.sh); one case per family")
    # A run stopped with SIGTERM (a CI time limit) still ends its programs,
    # wineservers and displays: pytest runs the finalizers on KeyboardInterrupt.
    if signal.getsignal(signal.SIGTERM) is signal.SIG_DFL:
        def interrupt(signum, frame):
            raise KeyboardInterrupt(f"signal {signum}")

        signal.signal(signal.SIGTERM, interrupt)
    # What a killed earlier run left behind (it could not clean up itself).
    harness.clean_dead_sessions()


def _get_session() -> "harness.Session":
    global _session
    if _session is None:
        _session = harness.Session()
        atexit.register(_session.close)
    return _session


@pytest.fixture(scope="session")
def e2e_session():
    s = _get_session()
    yield s
    s.close()
    atexit.unregister(s.close)


@pytest.fixture(scope="session")
def build_dir():
    return harness.build_dir()


@pytest.fixture(scope="session")
def display24(e2e_session):
    return e2e_session.display(1024, 768, 24)


@pytest.fixture(scope="session")
def display8(e2e_session):
    return e2e_session.display(640, 480, 8)


@pytest.fixture(scope="session")
def wine24(e2e_session, display24):
    return e2e_session.wine("wine24", display24)


@pytest.fixture(scope="session")
def wine8(e2e_session, display8):
    return e2e_session.wine("wine8", display8)


@pytest.fixture(scope="session")
def monitors3(e2e_session):
    from harness_monitors import start_monitors
    return start_monitors(e2e_session)


@pytest.fixture
def wine(wine24):
    return wine24


@pytest.fixture(autouse=True)
def _end_test_processes():
    """Whatever a test started is ended when it finishes, pass or fail."""
    yield
    if _session is not None:
        _session.end_test()
