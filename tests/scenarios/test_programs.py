"""Programs the configuration starts, seen through the host: a program the
run waits for keeps the updater's windows answering, and a worker thread that
throws still ends the run in order."""

import shutil

import pytest

from conftest import BUILD, STEP_HOOK_PROGRAM, windows_path
from test_install import EXITING, NEW_VERSION, UPDATED, Release, is_subsequence
from test_wizard import PRE

WITH_TRAY = PRE.replace("closetray=1", "closetray=0")
# An installation step after the first file is placed (one of the steps the
# crash test stops at).
THROW_STEP = "12"


def found(marker):
    """What broadcaster.exe wrote: key -> value."""
    return dict(line.split("=", 1) for line in marker.read_text().splitlines())


@pytest.fixture
def release(product, www):
    return Release(product, www)


def publish_with_tray(release, **kw):
    release.publish(**kw)
    members = release.members()
    members["pre.dat"] = WITH_TRAY
    release.product.write_package(members)


# An installer the run waits for broadcasts a changed setting, as installers
# do, and then asks every window of the updater to answer within a second:
# run as an installed file on the visible wizard's thread, and as the hook
# before the update on the thread that owns the tray icon.
WAITED = {
    "runme on the wizard": "runme",
    "run_before with its pause": "run_before",
}


@pytest.mark.parametrize("way", WAITED.values(), ids=WAITED)
def test_a_waited_for_program_that_broadcasts_leaves_every_updater_window_answering(release, product, way):
    marker = product.folder / "broadcast.txt"
    program = product.folder / "setup.exe"
    shutil.copy(BUILD / "broadcaster.exe", program)
    release.serve("file0", "data.txt", b"new data")
    if way == "runme":
        release.serve("file1", "setup.exe", program.read_bytes(), runme=1, runme_pause=1,
                      runme_param=windows_path(marker))
        system = ""
    else:
        system = f"run_before={windows_path(program)} {windows_path(marker)}\nrun_before_pause=1"
    publish_with_tray(release, system=system, show_type=0)

    run = product.run_host(timeout=90)

    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    answers = found(marker)
    assert answers["broadcast"] == "answered", answers
    assert int(answers["windows"]) >= 1 and answers["answered"] == answers["windows"], answers
    assert "执行完毕！" in product.log_lines()


def test_an_installation_thread_that_throws_fails_its_stage_and_the_run_ends_in_order(release, product):
    (product.folder / "a.txt").write_bytes(b"old a")
    (product.folder / "b.txt").write_bytes(b"old b")
    release.serve("file0", "a.txt", b"new a")
    release.serve("file1", "b.txt", b"new b")
    udafterf = product.folder / "udafterf.ran"
    (product.folder / "udafterf.bat").write_bytes(f"@echo off\r\necho ran> \"{windows_path(udafterf)}\"\r\n".encode())
    release.publish(system=f"run_udafterf={windows_path(product.folder / 'udafterf.bat')}", show_type=0)

    # Memory runs out on the installation's thread half way through, after
    # a.txt is placed (the build with the step hooks).
    shutil.copy(STEP_HOOK_PROGRAM, product.exe)
    run = product.run_host(env={"QUIBO_INSTALL_THROW_STEP": THROW_STEP})

    assert run.exit_code == 0
    assert run.codes() == [NEW_VERSION, EXITING]
    lines = product.log_lines()
    assert is_subsequence([
        "开始更新...", "错误：升级程序运行出错（std::bad_alloc），中止升级！", "更新失败！",
        f"更新完成后执行指定程序：{windows_path(product.folder / 'udafterf.bat')}", "更新结束", "★ 升级结束。",
    ], lines), lines
    assert "更新完成！" not in lines
    thrown = lines.index("错误：升级程序运行出错（std::bad_alloc），中止升级！")
    assert any(line.startswith("复制文件：") and line.endswith("a.txt") for line in lines[:thrown]), lines
    # Undone at once, while the product is still closed.
    assert (product.folder / "a.txt").read_bytes() == b"old a"
    assert (product.folder / "b.txt").read_bytes() == b"old b"
    assert not list(product.folder.glob("*.ebk"))
    assert not (product.folder / "update.bin.journal").exists()

    # The next start updates.
    again = product.run_host()
    assert again.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert (product.folder / "a.txt").read_bytes() == b"new a"
    assert (product.folder / "b.txt").read_bytes() == b"new b"
