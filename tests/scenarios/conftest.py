"""Scenario helpers: the real update.exe under Wine, started through the host
program, with configuration packages built here and the run log read back."""
import hashlib
import os
import re
import shutil
import subprocess
import tempfile
import warnings
import zipfile
from dataclasses import dataclass, field
from pathlib import Path

import pytest

ROOT = Path(os.environ.get("UPDATER_ROOT", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ.get("UPDATER_BUILD", ROOT / "build" / "win"))
WINE_RUN = ROOT / "tools" / "wine-run"
ENCODING = "gbk"  # the program's code page 936
# The same program built with the install step hook (QUIBO_INSTALL_STOP_STEP
# stops it at a chosen step); the shipped update.exe ignores the variable.
STEP_HOOK_PROGRAM = BUILD / "step-hook" / "update.exe"


SERVERS = ROOT / "tools" / "test-servers"
WWW = ROOT / "build" / "servers" / "www"  # served by nginx at HTTP_BASE


def claim_ports():
    """This tree's ports of the test servers (tools/test-servers ports): the
    same ones the servers will listen on, given out before they start."""
    out = subprocess.run([str(SERVERS), "ports"], check=True, capture_output=True, text=True).stdout
    return {name: value for name, _, value in (line.partition("=") for line in out.splitlines()) if value}


PORTS = claim_ports()
HTTP_BASE = f"http://127.0.0.1:{PORTS['UPDATER_HTTP_PORT']}"


def assert_matches_golden(data: bytes, golden: Path):
    """Compares with a committed golden file, which a test never writes: a
    missing one fails. tools/update-golden regenerates them; for it, what the
    test got is left in UPDATER_GOLDEN_ACTUAL under the golden's path."""
    actual = os.environ.get("UPDATER_GOLDEN_ACTUAL")
    if actual:
        target = Path(actual) / golden.resolve().relative_to(ROOT.resolve())
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
    assert golden.exists(), f"golden file {golden} is missing; tools/update-golden makes it"
    assert data == golden.read_bytes(), f"differs from {golden}; after review, tools/update-golden rewrites it"


def wine(args, cwd, timeout=120, env=None):
    """Runs a Windows program under the project's Wine set-up; `env` adds
    variables, such as UPDATER_WINE_CTYPE for another system code page.
    The output goes through files, not pipes: a process that Wine starts on
    the way (its desktop process) may inherit them and outlive the program."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run([str(WINE_RUN), *map(str, args)], cwd=cwd, stdout=out, stderr=err, timeout=timeout,
                              env=dict(os.environ, **(env or {})))
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())


@dataclass
class BoxStyle:
    buttons: tuple  # the visible buttons from left to right: ("yes", "no")
    icon: str  # question, information, warning, error, none or unknown
    topmost: bool
    style: object  # the MB_ style the program passed (int), None when unknown


@dataclass
class Shown:
    """A visible top-level window of the updater: title, outer and client
    size, and where the client area starts within the window."""
    title: str
    width: int
    height: int
    client_width: int
    client_height: int
    client_x: int
    client_y: int


@dataclass
class Page:
    """A wizard page at the moment the host pressed one of its buttons."""
    title: str  # the window's title
    rows: list  # (list view id, (cell, ...)) for every row of every visible list view
    button: int  # the id of the button pressed
    text: str  # what it showed


@dataclass
class HostRun:
    exit_code: int
    messages: list  # (message, wParam, lParam) in the order received
    boxes: list  # (caption, text) of every box the host answered
    box_styles: list = field(default_factory=list)  # a BoxStyle per box, in the same order
    pages: list = field(default_factory=list)  # a Page per wizard step taken
    pending: list = field(default_factory=list)  # the wizard steps that never came
    shots: list = field(default_factory=list)  # screenshot files (Windows paths), in order
    shown: list = field(default_factory=list)  # Shown for every visible updater window, as it changed
    pages_seen: set = field(default_factory=set)  # (page kind, visible) of every wizard page seen
    visibility: list = field(default_factory=list)  # ("shown" or "gone", title) as windows came and went
    tray_tips: list = field(default_factory=list)  # every tip the tray showed, in order (with tray=True)
    tray_frames: int = 0  # the most different tray pictures seen within one second
    waits: list = field(default_factory=list)  # per sleep step: (messages before it began, before it ended)

    def codes(self, message=2023):
        return [w for m, w, _ in self.messages if m == message]


def parse_host_output(stdout: bytes):
    """The host's record (tests/host): keyword arguments for HostRun."""
    run = {"messages": [], "boxes": [], "box_styles": [], "pages": [], "pending": [], "shots": [], "shown": [],
           "pages_seen": set(), "visibility": [], "tray_tips": [], "tray_frames": 0, "waits": []}
    rows, began = [], 0
    for line in stdout.decode(ENCODING, "replace").splitlines():
        kind, _, rest = line.partition("\t")
        fields = rest.split("\t")
        if kind == "box":
            caption, text = rest.split("\t", 1)
            run["boxes"].append((caption, text))
        elif kind == "boxstyle":
            buttons, icon, topmost, style = fields
            run["box_styles"].append(BoxStyle(tuple(b for b in buttons.split(",") if b), icon,
                                              topmost == "topmost", None if style == "-" else int(style, 16)))
        elif kind == "page":
            rows = []
            run["pages"].append(Page(rest, rows, 0, ""))
        elif kind == "row":
            rows.append((int(fields[0]), tuple(fields[1:])))
        elif kind == "click":
            run["pages"][-1].button, run["pages"][-1].text = int(fields[0]), fields[1]
        elif kind == "pending":
            run["pending"].append(rest)
        elif kind == "shot":
            run["shots"].append(rest)
        elif kind == "shown":
            run["shown"].append(Shown(fields[0], *map(int, fields[1:7])))
            run["visibility"].append(("shown", fields[0]))
        elif kind == "gone":
            run["visibility"].append(("gone", rest))
        elif kind == "tray":
            run["tray_tips"].append(rest)
        elif kind == "trayicon":
            run["tray_frames"] = max(run["tray_frames"], int(rest))
        elif kind == "sleep":
            began = len(run["messages"])
        elif kind == "slept":
            run["waits"].append((began, len(run["messages"])))
        elif kind == "pageseen":
            run["pages_seen"].add((fields[0], fields[1] == "1"))
        else:
            parts = line.split()
            if len(parts) == 3 and all(p.lstrip("-").isdigit() for p in parts):
                run["messages"].append(tuple(int(p) for p in parts))
    return run


def make_package(path, members, compression=zipfile.ZIP_DEFLATED):
    """Writes a configuration package: member name -> text (encoded to code
    page 936, line ends made CR LF) or bytes (as they are). A list of (name,
    content) pairs may name a member twice."""
    pairs = members.items() if isinstance(members, dict) else members
    with warnings.catch_warnings(), zipfile.ZipFile(path, "w", compression) as z:
        warnings.simplefilter("ignore")  # zipfile's warning about a name given twice
        for name, content in pairs:
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

    def run(self, timeout=120, env=None):
        return wine([self.exe], cwd=self.folder, timeout=timeout, env=env)

    def run_host(self, arguments="/HWND:{hwnd}", press=(), timeout=120, clicks=(), shots=None,
                 shot_screen=False, tray=False, env=None) -> HostRun:
        """Starts the updater from the host program and waits for every
        updater process of the run. `press` lists the button ids for the boxes
        it shows, in order (otherwise OK / Yes); `clicks` the wizard steps, in
        order, each a button id, a shown text, or (id, text); `shots` a folder
        for screenshots of every box and page pressed (of the whole screen with
        `shot_screen`); `tray` records the tray icon's tips and pictures; `env`
        adds variables that the host and the updater see."""
        return run_host(self.exe, arguments, self.folder, press, timeout, clicks, shots, shot_screen, tray,
                        env=env)

    def log_bytes(self) -> bytes:
        return self.log_path.read_bytes() if self.log_path.exists() else b""

    def log_lines(self):
        """The log's entries, decoded, time stamps cut off."""
        text = self.log_bytes().decode(ENCODING)
        return [line[12:] for line in text.split("\r\n") if line]


def click_step(step):
    """A wizard step for the host: a button id, (id, text), a shown text, or
    "key:VK[:ID]" for a key pressed on the page (holding control ID), or
    "sleep:MS" for a wait that HostRun.waits places among the messages."""
    if isinstance(step, tuple):
        return f"{step[0]}:{step[1]}"
    if isinstance(step, int) or step.startswith(("key:", "sleep:")) or step in ("minimize", "close", "trayclick"):
        return str(step)
    return f":{step}"


def run_host(program, arguments, cwd, press=(), timeout=120, clicks=(), shots=None, shot_screen=False,
             tray=False, host=BUILD / "host.exe", env=None) -> HostRun:
    """Starts `program` from the host program (see Product.run_host)."""
    args = [host, program, arguments, *(f"--press={b}" for b in press),
            *(f"--click={click_step(c)}" for c in clicks)]
    if shots is not None:
        args.append(f"--shots={windows_path(Path(shots))}")
        if shot_screen:
            args.append("--shot-screen")
    if tray:
        args.append("--tray")
    done = wine(args, cwd=cwd, timeout=timeout, env=env)
    return HostRun(done.returncode, **parse_host_output(done.stdout))


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


def package_members(path):
    """The members of a zip archive as (name, bytes), in central-directory order."""
    with zipfile.ZipFile(path) as z:
        return [(i.filename, z.read(i)) for i in z.infolist()]


def resign_server_package(package, keys, edit=lambda members: members):
    """Rewrites a signed server package: `edit` takes and returns its members
    but server.sig as (name, bytes) pairs, and server.sig is made anew for the
    result with each private key of `keys` (files written by `quibo-publish
    keygen`, each with its release.pub beside it), signed by openssl: the
    SHA-256 of every member's name, a 0 byte, its length as 8 bytes little-
    endian and its bytes, in archive order. Releases that the publisher would
    never write (expired, wrong in a signed field) are made this way."""
    members = edit([(name, data) for name, data in package_members(package) if name.lower() != "server.sig"])
    message = b"".join(name.encode(ENCODING) + b"\0" + len(data).to_bytes(8, "little") + data
                       for name, data in members)
    sections = []
    for number, key in enumerate(map(Path, keys), 1):
        der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", str(key)], input=message,
                             capture_output=True, check=True).stdout
        parsed = subprocess.run(["openssl", "asn1parse", "-inform", "DER"], input=der, capture_output=True,
                                check=True).stdout.decode()
        r, s = (int(value, 16) for value in re.findall(r"INTEGER\s*:([0-9A-Fa-f]+)", parsed))
        public = bytes.fromhex(key.with_suffix(".pub").read_text().strip())
        key_id = hashlib.sha256(public).hexdigest()[:16]
        sections.append(f"[sig{number}]\r\nkey={key_id}\r\nsig={(r.to_bytes(32, 'big') + s.to_bytes(32, 'big')).hex()}\r\n")
    make_package(package, [*members, ("server.sig", "".join(sections).encode())])
