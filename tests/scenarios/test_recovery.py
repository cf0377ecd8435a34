"""An installation cut short, met again at the next start: the real update.exe
under Wine, started by the host program. The next start undoes (or finishes)
the run exactly, closes the product that holds a file first, keeps the
journal and every backup it needs while anything is left to restore, and
installs nothing until the recovery is complete."""
import os
import shutil
import stat

import pytest

from conftest import STEP_HOOK_PROGRAM, windows_path
from test_install import RunningProgram, appears, no_leftovers, release, snapshot, zip_bytes  # noqa: F401 (fixture)
from test_run_flow import hook

STOP = "QUIBO_INSTALL_STOP_STEP"
UPDATED, EXITING, FAILED = 1, 4, -3
FILES = 300
JOURNAL = "update.bin.journal"


def data_files(version):
    return {f"data/f{i:03d}.txt": f"{version} {i}\n".encode() for i in range(FILES)}


def write_tree(folder, files):
    for name, data in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(data)


def product_files(product):
    """The product's files and bytes, without its package and log."""
    return {k: v for k, v in snapshot(product.folder).items()
            if k not in ("update.bin", "update.exe", "client.log") and not k.endswith(".ready")}


class ServerAside:
    """The server package taken away for one start: the start recovers, finds
    no network (-5) and installs nothing."""

    def __init__(self, www):
        self.path = www[0] / "server.bin"
        self.aside = www[0] / "server.bin.aside"

    def __enter__(self):
        os.rename(self.path, self.aside)

    def __exit__(self, *exc):
        os.rename(self.aside, self.path)


@pytest.fixture
def folder_release(release, product, tmp_path):
    """The product at 1.0 with 300 data files and its program; the release
    replaces them all (a folder item from a local folder) and the program."""
    write_tree(product.folder, data_files("old"))
    (product.folder / "prod.exe").write_bytes(b"old program")
    source = tmp_path / "release"
    write_tree(source, data_files("new"))
    release.serve("file0", "prod.exe", b"new program")
    release.items["dir0"] = {"ver": "2.0", "urls": "url0=file:///" + windows_path(source / "data"),
                             "describe": "项", "path": windows_path(product.folder / "data"), "is_inc_subdir": 1}
    return release


def new_data_files(product):
    files = product_files(product)
    return [k for k in files if k.startswith("data/") and files[k].startswith(b"new")]


def kill_half_way(product, tmp_path):
    """Stops the run dead in the middle of placing the data files (the step
    is searched for, each try from the same start): the product is then part
    new, part old, and its journal is there."""
    shutil.copy(STEP_HOOK_PROGRAM, product.exe)  # the build that the stop variable stops
    start = tmp_path / "start"
    shutil.copytree(product.folder, start)
    for step in range(1500, 4000, 250):
        shutil.rmtree(product.folder)
        shutil.copytree(start, product.folder)
        killed = product.run_host(timeout=300, env={STOP: str(step)})
        assert UPDATED not in killed.codes()
        if 0 < len(new_data_files(product)) < FILES:
            assert (product.folder / JOURNAL).exists()
            return
    pytest.fail("no step stopped the run half way")


def test_a_run_killed_half_way_is_undone_although_the_product_holds_a_replaced_file(folder_release, product, www,
                                                                                    tmp_path):
    folder_release.publish(system="close_proc1=holder.exe")
    before = product_files(product)
    kill_half_way(product, tmp_path)
    new = new_data_files(product)
    # The product runs again and holds a file the run replaced: it can be
    # neither deleted nor replaced while it runs.
    holder = RunningProgram(product.folder, "holder.exe", hold=product.folder / new[0])
    try:
        with ServerAside(www):
            product.run_host(timeout=300)
        closed = holder.wait(30) is not None
    finally:
        holder.stop()
    now = product_files(product)
    now.pop("holder.exe", None)
    assert [k for k in now if now[k] != before.get(k)] == []
    assert no_leftovers(product) == []
    assert closed, "the recovery did not close the product"
    assert any("正在恢复更新前状态" in line for line in product.log_lines())


def test_a_check_leaves_the_journal_and_the_product_alone(folder_release, product, tmp_path):
    folder_release.publish(system="close_proc1=holder.exe")
    kill_half_way(product, tmp_path)
    journal = (product.folder / JOURNAL).read_bytes()
    holder = RunningProgram(product.folder, "holder.exe", hold=product.folder / new_data_files(product)[0])
    try:
        # The product waits for the answer: a check neither closes it nor
        # touches the files; the next run that may install recovers.
        check = product.run_host("/HWND:{hwnd} /OP:CheckVer", timeout=300)
        assert check.codes() == [3, EXITING], check.codes()
        assert holder.running()
        assert (product.folder / JOURNAL).read_bytes() == journal
        assert any("发现未完成的更新记录，留待下次更新时处理" in line for line in product.log_lines())
    finally:
        holder.stop()


def test_a_missing_backup_keeps_the_new_file_and_the_journal_and_nothing_is_installed(folder_release, product,
                                                                                      tmp_path):
    folder_release.publish()
    kill_half_way(product, tmp_path)
    (product.folder / "prod.exe.ebk").unlink()
    for start in range(2):
        run = product.run_host(timeout=300)
        # The run says so and installs nothing until the recovery is complete.
        assert run.codes() == [FAILED, EXITING], run.codes()
        assert (product.folder / "prod.exe").read_bytes() == b"new program"
        assert (product.folder / JOURNAL).exists()
    lines = product.log_lines()
    assert any("prod.exe.ebk不存在" in line and "保留为新文件" in line for line in lines), lines
    assert "上次未完成的更新尚未恢复，本次不进行更新！" in lines


def test_a_damaged_journal_is_kept_aside_and_every_run_refuses_to_install(release, product):
    (product.folder / "app.exe").write_bytes(b"old program")
    release.serve("file0", "app.exe", b"new program")
    release.publish(show_type=0)
    journal = product.folder / JOURNAL
    lines = journal_lines([("write", windows_path(product.folder / "app.exe")), ("placed",)])
    lines[1] = lines[1].replace(b"write", b"wrXte")  # a flushed record, damaged
    journal.write_bytes(b"".join(lines))
    for start in range(2):
        run = product.run_host(timeout=300)
        assert run.codes() == [FAILED, EXITING], run.codes()
        assert any("上次未完成的更新尚未恢复，本次不进行更新！" in text for _, text in run.boxes), run.boxes
        assert (product.folder / "app.exe").read_bytes() == b"old program"
    assert (product.folder / (JOURNAL + ".bad")).exists()
    logged = [line for line in product.log_lines() if "需要人工检查" in line]
    assert len(logged) == 2, product.log_lines()


def journal_lines(records):
    """Journal lines as the program writes them (CRC-32 of the text)."""
    import zlib

    def line(body):
        return b"%08x " % zlib.crc32(body) + body + b"\n"

    out = [line(b"quibo-install 1")]
    for record in records:
        out.append(line(" ".join(record).encode("gbk")))
    return out


def test_a_read_only_file_is_backed_up_restored_with_its_mark_and_updated_later(release, product):
    """The product keeps a file read-only; the archive replaces it, a later
    item fails, and the rollback puts everything back, the mark included.
    Then the same update works, and so does the next one."""
    ro = product.folder / "res" / "ro.txt"
    write_tree(product.folder, {"res/ro.txt": b"old ro", "app.exe": b"old program"})
    os.chmod(ro, stat.S_IREAD)
    (product.folder / "blocker").write_bytes(b"a file where the item wants a folder")
    release.serve("file0", "pack.zip", zip_bytes({"res/ro.txt": b"new ro", "res/new.txt": b"new"}), uncompress=1)
    release.serve("file1", "app.exe", b"new program", path=windows_path(product.folder / "blocker" / "sub"))
    release.publish()
    before = product_files(product)
    run = product.run_host(timeout=300)
    assert UPDATED not in run.codes()
    assert product_files(product) == before
    assert no_leftovers(product) == []
    assert not ro.stat().st_mode & stat.S_IWUSR, "the product's read-only mark is gone"

    del release.items["file1"]
    release.publish()
    assert UPDATED in product.run_host(timeout=300).codes()
    assert ro.read_bytes() == b"new ro"
    release.serve("file0", "pack.zip", zip_bytes({"res/ro.txt": b"newer ro"}), uncompress=1, ver="3.0")
    release.publish()
    assert UPDATED in product.run_host(timeout=300).codes()
    assert ro.read_bytes() == b"newer ro"
    assert no_leftovers(product) == []


def test_programs_left_by_a_run_killed_after_its_versions_run_at_the_next_start(release, product, www, tmp_path):
    """Killed after the versions are written and before "runme" and
    "run_udafters" ran: the next start runs them."""
    ran = product.folder / "tool.ran"
    tool = f"@echo off\r\necho %*> \"{windows_path(ran)}\"\r\n".encode()
    after = hook(product, "udafters")
    release.serve("file0", "tool.bat", tool, runme=1, runme_pause=1, runme_param="-x")
    release.publish(system=f"run_udafters={after[0]}")
    shutil.copy(STEP_HOOK_PROGRAM, product.exe)  # the build that the stop variable stops
    start = tmp_path / "start"
    shutil.copytree(product.folder, start)
    for step in range(1, 60):
        shutil.rmtree(product.folder)
        shutil.copytree(start, product.folder)
        killed = product.run_host(timeout=300, env={STOP: str(step)})
        assert UPDATED not in killed.codes(), "no step between the versions and the programs"
        if (product.folder / JOURNAL).exists() and b"ver=2.0" in release.members()["client.dat"]:
            break
    assert not ran.exists() and not after[1].exists()
    with ServerAside(www):
        product.run_host(timeout=300)
    assert ran.read_text().strip() == "-x"
    assert appears(after[1])
    assert no_leftovers(product) == []
