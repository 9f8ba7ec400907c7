import pytest, time
from printing import print_server_fixture
from test_snapshot_file import Snap

print_server = pytest.fixture(scope="module")(print_server_fixture)

def test_explore(wine, print_server):
    wine.start_pattern(30, 20, 240, 180, cell=10)
    snap = Snap(wine, "C:\\", rect=(41, 33, 192, 134), dest=2, extra=("--resources", 1, "--margins", "50,50,50,50"), env=print_server.env)
    snap.proc  # env?
    d = wine.probe.wait_window(caption="Print", timeout=30)
    print([ (c["id"], c["class"], c["text"]) for c in d["children"]])
    wine.probe.press(1, caption="Print")
    t=time.time()
    print(snap.result(), time.time()-t)
    print(print_server.pdfs(), print_server.jobs())
    p = print_server.wait_pdf()
    pages = print_server.render(p)
    print(len(pages), pages[0].width, pages[0].height, pages[0].pixel(160,160), pages[0].pixel(200, 200))
