"""The updater's own files in its program folder: its program, its package,
its log and its journal are never overwritten by an ordinary item, however the
folder is spelled; a start removes what an interrupted rewrite left behind;
and a second start from the same folder, spelled differently, waits for the
first."""
import os
import threading
import time
import zipfile

import pytest

from conftest import BUILD, run_host, windows_path
from test_install import Release, RunningProgram, zip_bytes
from test_download_step import md5

UPDATED, NOTHING_NEW, NEW_VERSION, EXITING, DOWNLOAD_FAILED = 1, 2, 3, 4, -3
NOT_AN_ARCHIVE = b"<html><body>not a package</body></html>\n" * 4 + b"x" * 26  # 190 bytes, like an error page


@pytest.fixture
def release(product, www):
    return Release(product, www)


def package_works(product):
    with zipfile.ZipFile(product.package) as z:
        return "[system]" in z.read("client.dat").decode("gbk")


@pytest.mark.parametrize("spelling", ["app\\..", "upper case"])
def test_an_item_aimed_at_the_package_through_another_spelling_never_replaces_it(release, product, spelling):
    upper = windows_path(product.folder).upper() + "\\"
    path, name = ("app\\..", "update.bin") if spelling == "app\\.." else (upper, "UPDATE.BIN")
    release.serve("file0", "page.html", NOT_AN_ARCHIVE, path=path, rename=name)
    release.publish()
    before = product.package.read_bytes()

    run = product.run_host()
    # Taken for what it is, a new package, it fails as one: it is no archive.
    assert run.codes() == [DOWNLOAD_FAILED, EXITING]
    assert product.package.read_bytes() == before

    again = product.run_host()
    assert -5 not in again.codes() and again.codes()[-1:] == [EXITING], again.codes()
    assert package_works(product)


def own_file_items(product, www):
    """Items of one release that each aim one file at one of the updater's own
    files: (case, {section: (served name, bytes, keys)}, the own file)."""
    folder = windows_path(product.folder)
    return [
        ("archive member update.exe", {"file1": ("pack.zip", zip_bytes({"UPDATE.EXE": b"MZ member"}),
                                                 {"uncompress": 1})}, "update.exe"),
        ("archive member, folder in upper case", {"file1": ("pack.zip", zip_bytes({"update.bin": b"member"}),
                                                            {"uncompress": 1, "path": folder.upper()})},
         "update.bin"),
        ("file item client.log", {"file1": ("notes.txt", b"log text", {"rename": "CLIENT.LOG",
                                                                       "path": folder.upper()})}, "client.log"),
        ("file item journal", {"file1": ("j.txt", b"journal", {"rename": "update.bin.journal",
                                                              "path": "app\\.."})}, "update.bin.journal"),
    ]


@pytest.mark.parametrize("case", range(4), ids=lambda i: ["archive member update.exe", "archive member, folder in upper case",
                                                          "file item client.log", "file item journal"][i])
def test_an_archive_member_or_item_aimed_at_an_own_file_is_refused_and_the_run_rolls_back(release, product,
                                                                                        www, case):
    (product.folder / "app.exe").write_bytes(b"old program")
    app = b"new program" * 100
    release.serve("file0", "app.exe", app, md5=md5(app))
    _, items, own = own_file_items(product, www)[case]
    for section, (name, data, keys) in items.items():
        release.serve(section, name, data, **keys)
    release.publish()
    own_path = product.folder / own
    before = own_path.read_bytes() if own_path.exists() else None
    exe_before = product.exe.read_bytes()

    run = product.run_host()
    assert UPDATED not in run.codes() and run.codes()[-1:] == [EXITING], run.codes()
    assert (product.folder / "app.exe").read_bytes() == b"old program"
    assert product.exe.read_bytes() == exe_before
    if own != "client.log":  # the log is written by the run itself
        assert (own_path.read_bytes() if own_path.exists() else None) == before
    else:
        assert b"log text" not in product.log_bytes()
    assert any(line.startswith("错误：不能覆盖升级程序自己的文件：") for line in product.log_lines()), \
        "\n".join(product.log_lines())
    assert package_works(product)


def test_a_start_removes_what_an_interrupted_rewrite_left(release, product):
    release.publish()  # nothing newer
    left = ["update.bin.new", "update.bin.~qbver", "update.bin.~qbcopy", "update.exe.~qbcopy", "update.bin.old"]
    kept = ["notes.old", "client.old.log", "app.exe.~qbcopy", "update.bin.ubk.keep"]
    for name in left + kept:
        (product.folder / name).write_bytes(b"left over")
    run = product.run_host()
    assert run.codes() == [NOTHING_NEW, EXITING]
    assert sorted(p.name for p in product.folder.iterdir() if p.name in left + kept) == sorted(kept)


def test_a_package_moved_aside_by_an_interrupted_rewrite_is_put_back(release, product):
    release.publish()
    package = product.package.read_bytes()
    # Killed between moving the old package aside and moving the new one in.
    product.package.rename(product.folder / "update.bin.old")
    (product.folder / "update.bin.new").write_bytes(package[: len(package) // 2])
    run = product.run_host()
    assert run.codes() == [NOTHING_NEW, EXITING]
    assert product.package.read_bytes() == package
    assert not (product.folder / "update.bin.old").exists() and not (product.folder / "update.bin.new").exists()


def test_a_second_start_through_a_differently_spelled_folder_waits_for_the_first(release, product, tmp_path):
    slow = product.folder / "slow.exe"
    slow.write_bytes((BUILD / "close_target.exe").read_bytes())
    marker = windows_path(product.folder / "slow.ran")
    # The first run ends only after its last hook, 12 s: longer than a second start waits.
    release.publish(system=f"run_after={windows_path(slow)} marker={marker} live=12000\nrun_after_pause=1")
    first = {}
    thread = threading.Thread(target=lambda: first.update(run=product.run_host(timeout=120)))
    thread.start()
    try:
        for _ in range(600):
            if (product.folder / "slow.ran").exists():
                break
            time.sleep(0.05)
        assert (product.folder / "slow.ran").exists(), "the first run never reached its last hook"
        upper = windows_path(product.exe).upper()
        second = run_host(upper, "/HWND:{hwnd}", tmp_path)
    finally:
        thread.join(180)
    assert first["run"].codes() == [NOTHING_NEW, EXITING]
    # The second start gave up waiting: it never ran beside the first.
    assert second.codes() == []


def test_the_shipped_program_never_stops_at_an_install_step(release, product):
    (product.folder / "app.exe").write_bytes(b"old program")
    app = b"new program" * 100
    release.serve("file0", "app.exe", app, md5=md5(app))
    release.publish()
    run = product.run_host(env={"QUIBO_INSTALL_STOP_STEP": "1"})
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert (product.folder / "app.exe").read_bytes() == app
