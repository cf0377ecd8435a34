"""The updater replacing its own program and its configuration package, in
its three real processes under Wine: the running program hands over to a
temporary copy, the copy replaces the program and restarts it, the restarted
program removes the copy. The host stays until the last of them has ended."""
import shutil
import zipfile

import pytest

from conftest import BUILD, make_package, run_host, windows_path
from test_download_step import md5
from test_install import Release, RunningProgram
from test_wizard import PRE, skin

UPDATED, NOTHING_NEW, NEW_VERSION, EXITING, DOWNLOAD_FAILED = 1, 2, 3, 4, -3


def newer_program():
    """The same build with bytes appended: it runs, and it differs."""
    return (BUILD / "update.exe").read_bytes() + b"\0" * 4096 + b"quibo newer build"


def client_dat(product):
    with zipfile.ZipFile(product.package) as z:
        return z.read("client.dat").decode("gbk")


def leftovers(product):
    return sorted(p.name for p in product.folder.iterdir()
                  if p.name.endswith((".exe.exe", ".ubk", ".~qbver", ".~qbcopy", ".new", ".old")))


@pytest.fixture
def release(product, www):
    return Release(product, www)


def serve_program(release, data, version="2.0", path=""):
    release.serve("file0", "update.exe", data, md5=md5(data), path=path)
    release.items["file0"]["ver"] = version


@pytest.mark.parametrize("where", ["the program folder", "another folder"])
@pytest.mark.parametrize("path", ["", "program folder"], ids=["no path", "the program folder as path"])
def test_a_newer_program_replaces_the_running_one_and_is_recorded(release, product, tmp_path, where, path):
    program = newer_program()
    serve_program(release, program, path=windows_path(product.folder) + "\\" if path else "")
    release.publish()
    cwd = product.folder if where == "the program folder" else tmp_path / "elsewhere"
    cwd.mkdir(exist_ok=True)

    run = run_host(product.exe, "/HWND:{hwnd}", cwd)
    # The program hands over and ends (4), the copy ends (4), the restarted
    # program finds nothing newer (2, 4).
    assert run.codes() == [EXITING, EXITING, NOTHING_NEW, EXITING]
    assert product.exe.read_bytes() == program
    assert leftovers(product) == []
    assert "[file0]\r\nver=2.0" in client_dat(product)
    assert sorted(p.name for p in cwd.iterdir() if p.is_file()) == \
        (sorted(p.name for p in product.folder.iterdir()) if cwd == product.folder else [])


def test_the_copy_waits_for_a_program_whose_last_hook_takes_long(release, product):
    # The program's end waits 9 s for its last hook: longer than a second
    # start of the updater waits for the first.
    slow = product.folder / "slow.exe"
    shutil.copy(BUILD / "close_target.exe", slow)
    marker = windows_path(product.folder / "slow.ran")
    program = newer_program()
    serve_program(release, program)
    release.publish(system=f"run_after={windows_path(slow)} marker={marker} live=9000\nrun_after_pause=1")
    run = product.run_host(timeout=120)
    assert run.codes() == [EXITING, EXITING, NOTHING_NEW, EXITING]
    assert product.exe.read_bytes() == program
    assert leftovers(product) == []


def test_a_check_only_reports_a_newer_updater_and_changes_nothing(release, product):
    serve_program(release, newer_program())
    release.publish()
    before = product.exe.read_bytes()
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [NEW_VERSION, EXITING]
    assert product.exe.read_bytes() == before
    assert leftovers(product) == []


def test_a_new_package_is_swapped_in_and_a_second_pass_installs_the_rest(release, product, www):
    folder, url = www
    (product.folder / "app.exe").write_bytes(b"old program")
    app = b"new program" * 100
    release.serve("file1", "app.exe", app, md5=md5(app))
    # The new package: the same settings, a title of its own in its skin, and
    # the package item still at the old version (the swap records the new one).
    new_client = f"[system]\nurls=url0={url}/server.bin\n[file0]\nver=1.0\n[file1]\nver=1.0\n"
    make_package(folder / "new.bin", {"pre.dat": PRE, "client.dat": new_client,
                                      "ui.dat": skin().replace("title=", "title=新 ")})
    new_package = (folder / "new.bin").read_bytes()
    release.serve("file0", "update.bin", new_package, md5=md5(new_package), path="")
    release.publish()

    run = product.run_host()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert (product.folder / "app.exe").read_bytes() == app
    with zipfile.ZipFile(product.package) as z, zipfile.ZipFile(folder / "new.bin") as served:
        assert z.read("ui.dat") == served.read("ui.dat")
    client = client_dat(product)
    assert "[file0]\r\nver=2.0" in client and "[file1]\r\nver=2.0" in client, client
    assert leftovers(product) == []
    assert "更新完成！" in product.log_lines()  # the second pass logs again


def test_a_program_that_cannot_be_replaced_keeps_working_and_is_offered_again(release, product, tmp_path):
    program = newer_program()
    serve_program(release, program)
    release.publish()
    before = product.exe.read_bytes()
    # Others may read the program (it still starts) but nobody may replace it.
    holder = RunningProgram(tmp_path, "holder.exe", hold=product.exe, share_read=True)
    try:
        run = product.run_host()
    finally:
        holder.stop()
    assert run.codes() == [EXITING, EXITING], "the copy restarted a program it did not replace"
    assert product.exe.read_bytes() == before
    assert "[file0]\r\nver=1.0" in client_dat(product)

    again = product.run_host()
    assert again.codes() == [EXITING, EXITING, NOTHING_NEW, EXITING]
    assert product.exe.read_bytes() == program
    assert leftovers(product) == []


def test_a_version_that_cannot_be_recorded_installs_the_rest_and_is_never_fetched_in_again(release, product):
    # "2.1.0-beta" is newer than 1.0, but the hand-over line cannot carry it back.
    (product.folder / "app.exe").write_bytes(b"old program")
    app, program = b"new program" * 100, newer_program()
    serve_program(release, program, version="2.1.0-beta")
    release.serve("file1", "app.exe", app, md5=md5(app))
    release.publish()
    run = product.run_host(timeout=90)
    # Hand-over (4), copy (4), then the restarted program installs the rest.
    assert run.codes() == [EXITING, EXITING, NEW_VERSION, UPDATED, EXITING]
    assert product.exe.read_bytes() == program
    assert (product.folder / "app.exe").read_bytes() == app
    assert "[file1]\r\nver=2.0" in client_dat(product)

    # The next start fetches the program it already runs: it records the
    # version instead of replacing itself once more.
    stamp = product.exe.stat().st_mtime_ns
    again = product.run_host(timeout=90)
    assert again.codes() == [NOTHING_NEW, EXITING]
    assert product.exe.stat().st_mtime_ns == stamp
    assert "[file0]\r\nver=2.1.0-beta" in client_dat(product)
    assert leftovers(product) == []


def test_a_read_only_package_records_the_new_program_and_stays_read_only(release, product):
    program = newer_program()
    serve_program(release, program)
    release.publish()
    product.package.chmod(0o444)
    run = product.run_host(timeout=90)
    assert run.codes() == [EXITING, EXITING, NOTHING_NEW, EXITING]
    assert product.exe.read_bytes() == program
    assert "[file0]\r\nver=2.0" in client_dat(product)
    assert product.package.stat().st_mode & 0o222 == 0  # still read-only
    assert leftovers(product) == []


@pytest.mark.parametrize("served", ["empty", "missing"])
def test_a_package_that_fetches_nothing_fails_instead_of_starting_pass_after_pass(release, product, tmp_path,
                                                                                   served):
    share = tmp_path / "share"
    share.mkdir()
    if served == "empty":
        (share / "update.bin").write_bytes(b"")
    # A share answers without a size to check and, without md5, nothing to compare with.
    release.items["file0"] = {"ver": "2.0", "urls": "url0=file:///" + windows_path(share / "update.bin"),
                              "describe": "项", "path": "", "rename": "update.bin"}
    release.publish()
    before = product.package.read_bytes()
    run = product.run_host(timeout=60)
    assert run.codes() == [DOWNLOAD_FAILED, EXITING]
    assert product.package.read_bytes() == before
    assert leftovers(product) == []


def test_a_failed_download_never_starts_a_copy(release, product):
    served = newer_program()
    release.serve("file0", "update.exe", served, md5="0" * 32)
    release.publish()
    before = product.exe.read_bytes()
    # A copy left behind by an earlier run must not be taken for this one's.
    (product.folder / "update.exe.exe").write_bytes(b"MZ stale copy")
    run = product.run_host()
    assert run.codes() == [DOWNLOAD_FAILED, EXITING]
    assert product.exe.read_bytes() == before
    assert leftovers(product) == []


def test_a_new_program_and_package_together_are_both_in_place_for_the_restarted_run(release, product, www):
    folder, url = www
    (product.folder / "app.exe").write_bytes(b"old program")
    app, program = b"new program" * 100, newer_program()
    release.serve("file2", "app.exe", app, md5=md5(app))
    new_client = f"[system]\nurls=url0={url}/server.bin\n[file0]\nver=1.0\n[file1]\nver=1.0\n[file2]\nver=1.0\n"
    make_package(folder / "new.bin", {"pre.dat": PRE, "client.dat": new_client, "ui.dat": skin()})
    new_package = (folder / "new.bin").read_bytes()
    serve_program(release, program)
    release.serve("file1", "update.bin", new_package, md5=md5(new_package), path="")
    release.publish()

    run = product.run_host()
    # Hand-over (4), copy (4), then the restarted program updates the rest.
    assert run.codes() == [EXITING, EXITING, NEW_VERSION, UPDATED, EXITING]
    assert product.exe.read_bytes() == program
    assert (product.folder / "app.exe").read_bytes() == app
    client = client_dat(product)
    for section in ("file0", "file1", "file2"):
        assert f"[{section}]\r\nver=2.0" in client, client
    assert leftovers(product) == []
