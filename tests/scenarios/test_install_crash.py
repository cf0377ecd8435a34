"""An installation killed at any moment: the updater stops itself dead at a
chosen step of the installation (an outright kill: nothing flushed, nothing
cleaned), and the next start must find the product either exactly as before
the update or exactly as after it, with no backup and no journal left.

The products live in memory (/dev/shm when there is one): a kill loses no
written byte either way, and the disk's flushes would only make the many
runs slow."""
import shutil
import tempfile
import zipfile
from pathlib import Path

import pytest

from conftest import STEP_HOOK_PROGRAM, Product, make_package, windows_path
from test_download_step import item_sections
from test_install import snapshot, zip_bytes
from test_wizard import PRE, skin

FILES = 500
STOP = "QUIBO_INSTALL_STOP_STEP"
UPDATED = 1


def product_files(version):
    """The product's files of one version: most change, some are new."""
    files = {f"data/d{i // 50:02d}/f{i:03d}.txt": f"{version} file {i}\n".encode() * (1 + i % 7)
             for i in range(FILES)}
    if version == "old":
        files = {k: v for k, v in files.items() if not k.endswith("7.txt")}  # every tenth is new
        files["data/d00/empty.txt"] = b""  # an empty file the update fills
    else:
        files["data/d00/empty.txt"] = b"no longer empty"
    return files


@pytest.fixture
def memory_path(tmp_path):
    shm = Path("/dev/shm")
    folder = Path(tempfile.mkdtemp(prefix="quibo-crash-", dir=shm if shm.is_dir() else tmp_path))
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture
def template(memory_path, www):
    tmp_path = memory_path
    """A product at the old version, and the new version published: a folder
    item from a local folder (all 500 files), a program file, an archive."""
    folder, url = www
    source = tmp_path / "release"
    for name, data in product_files("new").items():
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        (source / name).write_bytes(data)
    (folder / "app.exe").write_bytes(b"new program" * 1000)
    (folder / "pack.zip").write_bytes(zip_bytes({"res/a.txt": b"alpha", "res/sub/b.txt": b"beta"}))
    template = Product(tmp_path / "template")
    shutil.copy(STEP_HOOK_PROGRAM, template.exe)  # the build that the stop variable stops
    for name, data in product_files("old").items():
        (template.folder / name).parent.mkdir(parents=True, exist_ok=True)
        (template.folder / name).write_bytes(data)
    (template.folder / "app.exe").write_bytes(b"old program")
    target = windows_path(template.folder)
    common = {"ver": "2.0", "show_type": 2, "op_mode": 1, "describe": "项"}
    items = {
        "file0": {**common, "urls": f"url0={url}/app.exe", "rename": "app.exe", "path": "\\"},
        "file1": {**common, "urls": f"url0={url}/pack.zip", "rename": "pack.zip", "path": "\\", "uncompress": 1},
        "dir0": {**common, "urls": "url0=file:///" + windows_path(source / "data"), "is_inc_subdir": 1,
                 "path": "\\data"},
    }
    make_package(folder / "server.bin", {"server.dat": item_sections(items) + "[system]\n[UI]\nstart_win=0\n"})
    client = "".join(f"[{name}]\nver=1.0\n" for name in items)
    template.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/server.bin\n{client}",
                            "ui.dat": skin()})
    return template, target


def product_state(folder):
    """The product's files and bytes; the package by its members' bytes (a
    member written again carries a new time stamp)."""
    files = {k: v for k, v in snapshot(folder).items() if not k.startswith("client.")}
    if files.get("update.bin") is not None:
        with zipfile.ZipFile(folder / "update.bin") as z:
            files["update.bin"] = sorted((i.filename, z.read(i)) for i in z.infolist())
    return files


def outcome(product, before, after):
    now = product_state(product.folder)
    leftovers = [k for k in now if k.endswith((".ebk", ".journal")) or ".~" in k]
    if leftovers:
        return f"left over: {leftovers}"
    if now == before:
        return "before"
    if now == after:
        return "after"
    unlike = [sorted(k for k in set(now) | set(other) if now.get(k) != other.get(k))[:5] for other in (before, after)]
    return f"neither: unlike before {unlike[0]}, unlike after {unlike[1]}"


def test_an_installation_killed_anywhere_is_undone_or_finished_at_the_next_start(template, memory_path, www):
    tmp_path = memory_path
    source, _ = template
    reference = Product(tmp_path / "reference")
    shutil.copytree(source.folder, reference.folder, dirs_exist_ok=True)
    # The whole installation once, for the state after it (with its versions).
    assert UPDATED in reference.run_host(timeout=300).codes()
    # The package is compared too: after the update it holds the new versions.
    before = product_state(source.folder)
    after = product_state(reference.folder)
    assert before["update.bin"] != after["update.bin"]

    def stop_at(step):
        product = Product(tmp_path / f"run{step}")
        shutil.copytree(source.folder, product.folder, dirs_exist_ok=True)
        killed = product.run_host(timeout=300, env={STOP: str(step)})
        finished = UPDATED in killed.codes()
        # The next start recovers first; with the server package away it
        # then finds no network and installs nothing itself. (A check leaves
        # the journal alone: it must not close the product that waits for it.)
        server = www[0] / "server.bin"
        server.rename(server.with_suffix(".aside"))
        try:
            product.run_host(timeout=300)
        finally:
            server.with_suffix(".aside").rename(server)
        state = outcome(product, before, after)
        lines = product.log_lines()
        shutil.rmtree(product.folder, ignore_errors=True)
        return finished, state, lines

    results = {}
    # The last step: found by halving, every probe a kill of its own.
    low, high = 1, 1
    while True:
        finished, state, lines = stop_at(high)
        results[high] = state
        if finished:
            break
        low, high = high, high * 4
    while high - low > 1:
        middle = (low + high) // 2
        finished, state, lines = stop_at(middle)
        results[middle] = state
        low, high = (low, middle) if finished else (middle, high)
    last = low
    assert last > 3 * FILES, f"only {last} steps for {FILES} files"
    # Then points spread over every stage, up to 30 in all.
    for step in sorted({1 + (last - 1) * i // (30 - len(results)) for i in range(30 - len(results) + 1)}):
        if step not in results:
            results[step] = stop_at(step)[1]
    bad = {step: state for step, state in results.items() if state not in ("before", "after")}
    assert bad == {}, bad
    assert "before" in results.values() and "after" in results.values()
