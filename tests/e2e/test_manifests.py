"""What each built program tells Windows about itself: the manifest read back
from the .exe's resources, its version resource as Windows reads it, the
Windows version its header is marked for, and the DLLs it imports, held to the
table in the README; and the release archive that carries them to a user."""

import re
import shutil
import struct
import subprocess
import xml.etree.ElementTree as ET

import pytest

import harness

OBJDUMP = "i686-w64-mingw32-objdump"
NM = "i686-w64-mingw32-nm"
WINDRES = "i686-w64-mingw32-windres"
RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
NS = {"asm": "urn:schemas-microsoft-com:asm.v1",
      "v3": "urn:schemas-microsoft-com:asm.v3",
      "compat": "urn:schemas-microsoft-com:compatibility.v1",
      "ws": "http://schemas.microsoft.com/SMI/2005/WindowsSettings"}
VISTA_TO_11 = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}

# Functions that Windows 95 does not export: importing one would stop the
# program from loading there; they are looked up at run time instead.
NOT_ON_WINDOWS_95 = {"EnumDisplayMonitors", "MonitorFromWindow", "MonitorFromPoint", "GetMonitorInfoA",
                     "GetMonitorInfoW"}

# DLLs that Windows always takes from its system folder (known DLLs): any
# other import would be looked for beside the program first.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
              "comdlg32.dll", "msvcrt.dll"}

# program, requested execution level, dpiAware (None: not stated)
PROGRAMS = [("tamblit95", "asInvoker", "true"),
            ("setup", "requireAdministrator", None)]
DESCRIPTIONS = {"tamblit95": "Tamblit 95 screen snapshot utility", "setup": "Tamblit 95 Setup"}
RELEASE_FILES = ["tamblit95.exe", "tamblit95.wav", "tamblit95.hlp", "setup.exe"]
VS_FFI_SIGNATURE = 0xFEEF04BD
US_ENGLISH, WINDOWS_LATIN_1 = 0x0409, 1252


def project_version():
    """The one version number, as the project() line of the build names it."""
    text = (harness.REPO / "CMakeLists.txt").read_text()
    return re.search(r"^project\(Tamblit95 VERSION (\d+\.\d+\.\d+)", text, re.M).group(1)


def _ident(data, pos):
    """A type or name of a .res entry: an ordinal or a UTF-16 string."""
    if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def resources(exe, tmp_path):
    """{(type, name): data} of the resources that windres reads out of exe."""
    res = tmp_path / "out.res"
    subprocess.run([WINDRES, "-i", str(exe), "-O", "res", "-o", str(res)], check=True)
    data, pos, found = res.read_bytes(), 0, {}
    while pos + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, pos)
        type_, after = _ident(data, pos + 8)
        name, _ = _ident(data, after)
        if size:
            found[(type_, name)] = data[pos + header:pos + header + size]
        pos = (pos + header + size + 3) & ~3
    return found


def readme_dlls():
    text = (harness.REPO / "README.md").read_text()
    section = text.split("## Which Windows it runs on", 1)[1].split("\n## ", 1)[0]
    return {d.lower() for d in re.findall(r"^\| `([^`]+\.dll)`", section, re.M | re.I)}


@pytest.mark.parametrize("name, level, dpi_aware", PROGRAMS)
def test_program_carries_its_manifest(tmp_path, name, level, dpi_aware):
    found = resources(harness.exe_path(name), tmp_path)
    assert [n for t, n in found if t == RT_MANIFEST] == [CREATEPROCESS_MANIFEST_RESOURCE_ID]
    root = ET.fromstring(found[(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)])
    assert root.tag == "{%s}assembly" % NS["asm"] and root.get("manifestVersion") == "1.0"
    identity = root.find("asm:assemblyIdentity", NS)
    assert (identity.get("type"), identity.get("version")) == ("win32", project_version() + ".0")
    run_as = root.find("v3:trustInfo/v3:security/v3:requestedPrivileges/"
                       "v3:requestedExecutionLevel", NS)
    assert (run_as.get("level"), run_as.get("uiAccess")) == (level, "false")
    systems = root.findall("compat:compatibility/compat:application/compat:supportedOS", NS)
    assert {s.get("Id").lower() for s in systems} == VISTA_TO_11
    dpi = root.find("v3:application/v3:windowsSettings/ws:dpiAware", NS)
    assert (dpi.text.strip() if dpi is not None else None) == dpi_aware
    # The classic common controls on every Windows: no side-by-side dependency.
    assert not [e for e in root.iter() if e.tag.endswith("}dependency")]


@pytest.mark.parametrize("name", [p[0] for p in PROGRAMS])
def test_program_loads_on_windows_4_and_imports_only_the_dlls_the_readme_names(name):
    headers = subprocess.run([OBJDUMP, "-p", str(harness.exe_path(name))], check=True,
                             capture_output=True, text=True).stdout
    fields = dict(re.findall(r"^(\w+)\s+(\S+)", headers, re.M))
    # Windows 95 and NT 4.0 refuse a program marked for a later subsystem.
    assert (fields["MajorSubsystemVersion"], fields["MinorSubsystemVersion"]) == ("4", "0")
    assert fields["Subsystem"] == "00000002"  # Windows GUI
    imports = {d.lower() for d in re.findall(r"DLL Name: (\S+)", headers)}
    assert imports and not imports - readme_dlls(), f"not in the README: {imports - readme_dlls()}"
    assert imports <= KNOWN_DLLS, f"searched for beside the program: {imports - KNOWN_DLLS}"
    # "vma Hint/Ord Name" (binutils 2.40) or "vma <none> Hint Name" (2.44).
    functions = set(re.findall(r"^\s+[0-9a-f]+\s+(?:<none>\s+)?(?:[0-9a-f]+\s+)?(\w+)$", headers,
                               re.M))
    assert "GetProcAddress" in functions
    assert not functions & NOT_ON_WINDOWS_95


@pytest.mark.parametrize("name", [p[0] for p in PROGRAMS])
def test_distributed_program_tells_windows_its_version(wine, name):
    version = project_version()
    info = wine.probe.version(harness.build_dir() / "dist" / f"{name}.exe")
    major, minor, patch = map(int, version.split("."))
    assert (info["signature"], info["language"], info["codepage"]) == (
        VS_FFI_SIGNATURE, US_ENGLISH, WINDOWS_LATIN_1)
    assert info["filems"] == info["productms"] == major << 16 | minor
    assert info["filels"] == info["productls"] == patch << 16
    assert info["strings"] == {
        "FileDescription": DESCRIPTIONS[name], "FileVersion": version, "InternalName": name,
        "OriginalFilename": f"{name}.exe", "ProductName": "Tamblit 95", "ProductVersion": version}


def symbols(exe):
    out = subprocess.run([NM, str(exe)], capture_output=True, text=True)
    return out.stdout.splitlines()


def test_release_archive_holds_the_stripped_files_and_their_checksums(tmp_path):
    if shutil.which("cmake") is None:
        pytest.skip("needs the cmake of the build (not in the Wine 10 root filesystem)")
    build, dist = harness.build_dir(), harness.build_dir() / "dist"
    archive = build / f"tamblit95-{project_version()}.zip"
    subprocess.run(["cmake", "--build", str(build), "--target", "release"], check=True,
                   capture_output=True)
    # The same four files give the same archive, byte for byte.
    again = tmp_path / "again.zip"
    subprocess.run(["/usr/bin/python3", str(harness.REPO / "tools" / "make_release.py"), str(dist),
                    str(again)], check=True, capture_output=True)
    assert again.read_bytes() == archive.read_bytes()
    listing = subprocess.run(["unzip", "-Z1", str(archive)], check=True, capture_output=True,
                             text=True).stdout.split()
    assert sorted(listing) == sorted(RELEASE_FILES + ["SHA256SUMS"])
    unpacked = tmp_path / "unpacked"
    subprocess.run(["unzip", "-q", str(archive), "-d", str(unpacked)], check=True)
    check = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=unpacked,
                           capture_output=True, text=True)
    assert check.returncode == 0, check.stdout + check.stderr
    assert sorted(check.stdout.splitlines()) == sorted(f"{n}: OK" for n in RELEASE_FILES)
    for name in RELEASE_FILES:
        assert (unpacked / name).read_bytes() == (dist / name).read_bytes(), name
    for name in ("tamblit95.exe", "setup.exe"):
        sections = subprocess.run([OBJDUMP, "-h", str(dist / name)], check=True,
                                  capture_output=True, text=True).stdout
        assert ".debug" not in sections and not symbols(dist / name), name
        assert symbols(build / name), f"the build's own {name} keeps its symbols for debugging"
