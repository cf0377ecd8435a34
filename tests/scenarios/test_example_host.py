"""The example host program for publishers (examples/host) under Wine, beside
the real update.exe in a product folder: what it hears from the updater, and
that it gets out of the way of an update that replaces its own program file."""
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

import pytest

from conftest import BUILD, WINE_RUN, windows_path, wine
from test_install import Release, StartedProgram

NOTHING_NEW, NEW_VERSION, EXITING = 2, 3, 4


class Example(StartedProgram):
    """example_host.exe copied into the product folder and started there with
    its diagnostic trace; stopped by its process id."""

    def __init__(self, product, trace, *arguments):
        self.exe = product.folder / "example_host.exe"
        shutil.copy(BUILD / "example_host.exe", self.exe)
        self.trace = trace
        self.process = subprocess.Popen([str(WINE_RUN), str(self.exe), f"/trace:{windows_path(trace)}", *arguments],
                                        cwd=product.folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def lines(self):
        return self.trace.read_text(encoding="utf-8").splitlines() if self.trace.exists() else []

    def messages(self):
        """(message, wParam, lParam) of every updater message it handled."""
        return [tuple(map(int, line.split())) for line in self.lines() if line.startswith("20")]

    def wait_for_line(self, wanted, seconds=90):
        for _ in range(int(seconds / 0.1)):
            if wanted in self.lines() or self.process.poll() is not None:
                break
            time.sleep(0.1)
        assert wanted in self.lines(), f"no {wanted!r} in the trace: {self.lines()}"

    def ask_to_close(self):
        """Asks it to close as taskkill without /f does: WM_CLOSE to its window."""
        pid = next(line.split()[1] for line in self.lines() if line.startswith("example_host "))
        wine(["taskkill", "/pid", pid], cwd=self.exe.parent, timeout=60)


def updater_pids(product):
    """The processes running this product's update.exe: Wine shows a
    program's Windows command line as the process's."""
    wanted = windows_path(product.exe).encode()
    pids = []
    for entry in Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and wanted in (entry / "cmdline").read_bytes():
                pids.append(int(entry.name))
        except OSError:
            pass  # ended meanwhile
    return pids


def end_the_updater(product, seconds=90):
    """Waits until this product's updater has ended, and stops one that
    outlives the wait; True when it ended by itself."""
    for _ in range(int(seconds / 0.1)):
        if not updater_pids(product):
            return True
        time.sleep(0.1)
    for pid in updater_pids(product):
        os.kill(pid, signal.SIGKILL)
    return False


@pytest.fixture
def release(product, www):
    return Release(product, www)


@pytest.mark.parametrize("server_version, result", [
    ("1.0", NOTHING_NEW),  # the version the product has
    ("2.0", NEW_VERSION),  # newer, but a check installs nothing: no reason to close
], ids=["nothing-new", "newer"])
def test_a_check_reports_its_result_then_4_and_the_example_stays_until_closed(release, product, tmp_path,
                                                                             server_version, result):
    release.serve("file0", "data.txt", b"served data", ver=server_version)
    release.publish()
    example = Example(product, tmp_path / "trace.txt", "/OP:CheckVer")
    try:
        example.wait_for_line(f"2023 {EXITING} 0")
        example.ask_to_close()
        closed = example.wait(60)
    finally:
        example.stop()
        updater_ended = end_the_updater(product)
    assert closed == 0
    assert updater_ended

    assert example.messages() == [(2023, result, 0), (2023, EXITING, 0)]
    lines = example.lines()
    started = next(line for line in lines if line.startswith("start "))
    assert started.startswith(f'start "{windows_path(product.folder)}\\update.exe" /HWND:')
    assert started.endswith(" /OP:CheckVer")
    assert lines[-2:] == ["close asked", "end"], "the example did not wait to be closed"
    assert not (product.folder / "data.txt").exists()


def test_a_silent_update_closes_the_example_and_replaces_its_program_file(release, product, tmp_path):
    new_program = b"the next example_host.exe" * 4000
    release.serve("file0", "example_host.exe", new_program)
    release.publish(show_type=2, op_mode=1)
    example = Example(product, tmp_path / "trace.txt")
    try:
        closed = example.wait(90)
    finally:
        example.stop()
        updater_ended = end_the_updater(product)
    assert closed == 0
    assert updater_ended
    assert example.lines()[-2:] == ["close for update", "end"], "the example did not close itself"
    assert example.messages() == [(2023, NEW_VERSION, 0)]

    lines = product.log_lines()
    assert "发“升级成功”消息(1)通知宿主程序。" in lines
    assert "发“退出升级程序”消息(4)通知宿主程序。" in lines
    assert example.exe.read_bytes() == new_program
