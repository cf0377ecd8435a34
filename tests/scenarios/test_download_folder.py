"""Each product's own download folder: two products updating at the same
time keep to their own folders below "~quibo_tmp", and a folder link planted
where a download folder belongs is never followed."""
import hashlib
import os
import threading
import time
from pathlib import Path

import pytest

from conftest import Product, make_package, windows_path
from test_download_step import FAILED, ODD_BASE, download_folder, download_targets, item_sections, md5, pattern
from test_install import EXITING, NEW_VERSION, UPDATED, snapshot
from test_wizard import PRE, skin

UNPREPARED = "错误：无法创建下载文件夹："


def offer(product, www, release, files, version="2.0"):
    """A silent, automatic release `release` (a folder of its own on nginx)
    for `product`, whose client package points at it: `files` maps an item
    section to (file name, bytes), served from the release's folder, or to
    (file name, bytes, address) for bytes another server sends."""
    folder, url = www
    (folder / release).mkdir(parents=True, exist_ok=True)
    items = {}
    for section, (name, data, *address) in files.items():
        if not address:
            (folder / release / name).write_bytes(data)
        items[section] = {"ver": version, "urls": f"url0={address[0] if address else f'{url}/{release}/{name}'}",
                          "describe": "项", "path": windows_path(product.folder), "rename": name, "md5": md5(data),
                          "show_type": 2, "op_mode": 1}
    server = item_sections(items) + "[system]\n\n[UI]\nstart_win=0\ndl_win=0\n"
    make_package(folder / release / "server.bin", {"server.dat": server})
    client = "".join(f"[{name}]\nver=1.0\n" for name in items)
    product.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/{release}/server.bin\n{client}",
                           "ui.dat": skin()})


def wait_for_download(product, seconds=60):
    """The product's download folder once its run has begun a transfer."""
    for _ in range(int(seconds / 0.1)):
        if product.log_path.exists() and download_targets(product.log_lines()):
            return download_folder(product.log_lines())
        time.sleep(0.1)
    raise AssertionError("the run never began a download")


def test_two_products_updating_at_once_keep_to_their_own_download_folders(tmp_path, www):
    slow_product, quick_product = Product(tmp_path / "slow"), Product(tmp_path / "quick")
    size = 2_000_000  # about 12 s at this pace: the quick run starts and ends meanwhile
    slow, quick = pattern(size), os.urandom(100_000)
    offer(slow_product, www, "slow", {"file0": ("slow.bin", slow, f"{ODD_BASE}/slow?size={size}&chunk=8192&delay=0.05")})
    offer(quick_product, www, "quick", {"file0": ("quick.bin", quick)})
    runs = {}
    thread = threading.Thread(target=lambda: runs.update(slow=slow_product.run_host(timeout=180)))
    thread.start()
    try:
        slow_folder = wait_for_download(slow_product)
        # Something of the slow run's own that the quick run must leave alone.
        marker = slow_folder / "marker.txt"
        marker.write_bytes(b"the slow run's")
        runs["quick"] = quick_product.run_host()
        assert thread.is_alive(), "the slow run ended before the quick one: they did not overlap"
        assert marker.read_bytes() == b"the slow run's"
        assert (slow_folder / "file0").is_dir()
    finally:
        thread.join(200)
    quick_folder = download_folder(quick_product.log_lines())
    assert quick_folder != slow_folder and quick_folder.parent == slow_folder.parent
    # Named from the start of the SHA-256 of the program folder's one
    # spelling: no trailing "\", ASCII letters in lower case.
    for product, folder in ((slow_product, slow_folder), (quick_product, quick_folder)):
        spelling = windows_path(product.folder).lower().encode()
        assert folder.name == hashlib.sha256(spelling).hexdigest()[:16], (spelling, folder)
    assert runs["quick"].codes() == [NEW_VERSION, UPDATED, EXITING]
    assert runs["slow"].codes() == [NEW_VERSION, UPDATED, EXITING]
    assert (quick_product.folder / "quick.bin").read_bytes() == quick
    assert (slow_product.folder / "slow.bin").read_bytes() == slow
    assert not quick_folder.exists() and not slow_folder.exists()


@pytest.mark.parametrize("place", ["product", "shared"], ids=["at the product's folder", "at ~quibo_tmp"])
def test_a_folder_link_planted_at_the_download_folder_is_never_followed(tmp_path, www, place):
    product = Product(tmp_path / "product")
    old = os.urandom(30_000)
    offer(product, www, "r1", {"file0": ("app.bin", old)})
    assert product.run_host().codes() == [NEW_VERSION, UPDATED, EXITING]
    own = download_folder(product.log_lines())
    assert not own.exists()

    # Wine makes no junctions; a link of the file system it runs on is
    # what it shows as one (a folder with the reparse attribute).
    target = tmp_path / "target"
    target.mkdir()
    (target / "precious.txt").write_bytes(b"keep me")
    before = snapshot(target)
    link = own if place == "product" else own.parent
    aside = link.with_name(link.name + f".aside{os.getpid()}")
    if link.exists():
        link.rename(aside)  # other products' leftovers, put back afterwards
    link.parent.mkdir(parents=True, exist_ok=True)
    link.symlink_to(target, target_is_directory=True)
    try:
        offer(product, www, "r2", {"file0": ("app.bin", os.urandom(30_000))}, version="3.0")
        product.log_path.unlink()
        run = product.run_host()
        lines = product.log_lines()
        assert snapshot(target) == before
        # Wine removes such a link neither as a folder nor as a file, and
        # renaming one would move its target: the download fails instead.
        assert link.is_symlink()
        assert FAILED in run.codes()
        assert any(line.startswith(UNPREPARED) and "~quibo_tmp" in line for line in lines), lines
        assert (product.folder / "app.bin").read_bytes() == old
    finally:
        if link.is_symlink():
            link.unlink()
        if aside.exists():
            aside.rename(link)
