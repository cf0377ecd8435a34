"""Scenario helpers: the real update.exe under Wine, started through the host
program, with configuration packages built here and the run log read back."""
import os
import shutil
import subprocess
import zipfile
from dataclasses import dataclass
from pathlib import Path

import pytest

ROOT = Path(os.environ.get("UPDATER_ROOT", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ.get("UPDATER_BUILD", ROOT / "build" / "win"))
WINE_RUN = ROOT / "tools" / "wine-run"
ENCODING = "gbk"  # the program's code page 936


SERVERS = ROOT / "tools" / "test-servers"
WWW = ROOT / "build" / "servers" / "www"  # served by nginx at HTTP_BASE


def claim_ports():
    """This tree's ports of the test servers (tools/test-servers ports): the
    same ones the servers will listen on, given out before they start."""
    out = subprocess.run([str(SERVERS), "ports"], check=True, capture_output=True, text=True).stdout
    return {name: value for name, _, value in (line.partition("=") for line in out.splitlines()) if value}


PORTS = claim_ports()
HTTP_BASE = f"http://127.0.0.1:{PORTS['UPDATER_HTTP_PORT']}"


def wine(args, cwd, timeout=120):
    """Runs a Windows program under the project's Wine set-up."""
    return subprocess.run([str(WINE_RUN), *map(str, args)], cwd=cwd, capture_output=True, timeout=timeout)


@dataclass
class HostRun:
    exit_code: int
    messages: list  # (message, wParam, lParam) in the order received
    boxes: list  # (caption, text) of every box the host answered

    def codes(self, message=2023):
        return [w for m, w, _ in self.messages if m == message]


def parse_host_output(stdout: bytes):
    messages, boxes = [], []
    for line in stdout.decode(ENCODING, "replace").splitlines():
        if line.startswith("box\t"):
            _, caption, text = line.split("\t", 2)
            boxes.append((caption, text))
            continue
        parts = line.split()
        if len(parts) == 3 and all(p.lstrip("-").isdigit() for p in parts):
            messages.append(tuple(int(p) for p in parts))
    return messages, boxes


def make_package(path, members, compression=zipfile.ZIP_DEFLATED):
    """Writes a configuration package: member name -> text (encoded to code
    page 936, line ends made CR LF) or bytes (as they are)."""
    with zipfile.ZipFile(path, "w", compression) as z:
        for name, content in members.items():
            if isinstance(content, str):
                content = content.replace("\r\n", "\n").replace("\n", "\r\n").encode(ENCODING)
            z.writestr(name, content)


class Product:
    """A product folder holding a copy of update.exe and its package."""

    def __init__(self, folder: Path):
        self.folder = folder
        self.folder.mkdir(parents=True, exist_ok=True)
        shutil.copy(BUILD / "update.exe", folder / "update.exe")

    @property
    def exe(self):
        return self.folder / "update.exe"

    @property
    def package(self):
        return self.folder / "update.bin"

    @property
    def log_path(self):
        return self.folder / "client.log"

    def write_package(self, members, **kw):
        make_package(self.package, members, **kw)

    def run(self, timeout=120):
        return wine([self.exe], cwd=self.folder, timeout=timeout)

    def run_host(self, arguments="/HWND:{hwnd}", press=(), timeout=120) -> HostRun:
        """Starts the updater from the host program; `press` lists the button
        ids for the boxes it shows, in order (otherwise OK / Yes)."""
        args = [BUILD / "host.exe", self.exe, arguments, *(f"--press={b}" for b in press)]
        done = wine(args, cwd=self.folder, timeout=timeout)
        return HostRun(done.returncode, *parse_host_output(done.stdout))

    def log_bytes(self) -> bytes:
        return self.log_path.read_bytes() if self.log_path.exists() else b""

    def log_lines(self):
        """The log's entries, decoded, time stamps cut off."""
        text = self.log_bytes().decode(ENCODING)
        return [line[12:] for line in text.split("\r\n") if line]


@pytest.fixture
def product(tmp_path):
    return Product(tmp_path / "product")


def windows_path(path: Path) -> str:
    """The path as the program sees it under Wine (drive Z: is the root)."""
    return "Z:" + str(path).replace("/", "\\")


@pytest.fixture(scope="session")
def servers():
    """nginx, the odd-answer HTTP server and the FTP server on 127.0.0.1."""
    subprocess.run([str(SERVERS), "start"], check=True)
    yield
    subprocess.run([str(SERVERS), "stop"])


@pytest.fixture
def www(servers, tmp_path):
    """A folder of its own under nginx's root: (local folder, its URL)."""
    folder = WWW / tmp_path.name
    folder.mkdir(parents=True, exist_ok=True)
    yield folder, f"{HTTP_BASE}/{tmp_path.name}"
    shutil.rmtree(folder, ignore_errors=True)
