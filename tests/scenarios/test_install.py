"""The installation as a publisher and a person meet it: the real update.exe
under Wine, started by the host program, downloading new files from nginx
and putting them into a product folder, in silent and in visible runs; and
failures that must leave the product exactly as it was."""
import io
import shutil
import subprocess
import threading
import time
import zipfile

import pytest

from conftest import BUILD, WINE_RUN, make_package, windows_path
from test_download_step import download_folder, item_sections, md5, unix_path
from test_run_flow import hook
from test_wizard import NEXT, PAUSE, PRE, skin

UPDATED, NOTHING_NEW, NEW_VERSION, EXITING = 1, 2, 3, 4


def zip_bytes(members):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members.items():
            z.writestr(name, data)
    return out.getvalue()


def snapshot(folder):
    """Every file below `folder` with its bytes, and every folder."""
    return {p.relative_to(folder).as_posix(): (p.read_bytes() if p.is_file() else None)
            for p in sorted(folder.rglob("*"))}


class StartedProgram:
    """A program that a test started under Wine (`self.process`), stopped by
    its process id."""

    def running(self):
        return self.process.poll() is None

    def wait(self, seconds):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.running():
            self.process.kill()
            self.process.wait(30)


class RunningProgram(StartedProgram):
    """Our test program under Wine, copied as `name` into `folder`: it owns a
    window when given a title or class, may ignore the quit message and may
    hold a file open that nobody else can open. Stopped by its process id."""

    def __init__(self, folder, name, title="", class_name="", ignore_quit=False, hold=None, share_read=False):
        self.exe = folder / name
        shutil.copy(BUILD / "close_target.exe", self.exe)
        self.marker = folder / (name + ".ready")
        args = [f"marker={windows_path(self.marker)}"]
        args += [f"title={title}"] if title else []
        args += [f"class={class_name}"] if class_name else []
        args += ["ignore-quit"] if ignore_quit else []
        args += [f"hold={windows_path(hold)}"] if hold else []
        args += ["share-read"] if share_read else []
        self.process = subprocess.Popen([str(WINE_RUN), str(self.exe), *args], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        for _ in range(400):
            if self.marker.exists() or self.process.poll() is not None:
                break
            time.sleep(0.05)
        assert self.marker.exists(), "the test program did not start"


class Release:
    """A product folder with its update.exe and package, and a release of new
    files served by nginx. Items are (section, keys, served bytes)."""

    def __init__(self, product, www):
        self.product, self.www = product, www
        self.items = {}

    def serve(self, section, name, data, **keys):
        folder, url = self.www
        (folder / name).write_bytes(data)
        self.items[section] = {"ver": "2.0", "urls": f"url0={url}/{name}", "describe": "项",
                               "path": windows_path(self.product.folder), "rename": name, **keys}

    def publish(self, system="", ui="", show_type=2, op_mode=1):
        folder, url = self.www
        items = {name: {"show_type": show_type, "op_mode": op_mode, **keys} for name, keys in self.items.items()}
        server = item_sections(items) + f"[system]\n{system}\n[UI]\nstart_win=0\ndl_win=0\n{ui}"
        make_package(folder / "server.bin", {"server.dat": server})
        client = "".join(f"[{name}]\nver=1.0\n" for name in self.items)
        self.product.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/server.bin\n{client}",
                                    "ui.dat": skin()})

    def members(self):
        with zipfile.ZipFile(self.product.package) as z:
            return {i.filename: z.read(i) for i in z.infolist()}


def no_leftovers(product):
    return [p for p in product.folder.rglob("*") if p.suffix in (".ebk", ".journal") or ".~" in p.name]


def appears(marker, seconds=10):
    """Whether a hook's marker file is there within `seconds`: the hooks are
    not waited for, and may still run when the updater has ended."""
    for _ in range(int(seconds / 0.05)):
        if marker.exists():
            return True
        time.sleep(0.05)
    return marker.exists()


def is_subsequence(wanted, lines):
    it = iter(lines)
    return all(any(line == w for line in it) for w in wanted)


@pytest.fixture
def release(product, www):
    return Release(product, www)


@pytest.mark.parametrize("visible", [False, True], ids=["silent", "visible"])
def test_an_update_installs_files_a_library_and_an_archive_and_records_the_versions(release, product, visible):
    (product.folder / "app.exe").write_bytes(b"old program")
    (product.folder / "keep.txt").write_bytes(b"untouched")
    app, lib = b"new program" * 1000, b"library" * 500
    archive = zip_bytes({"res/a.txt": b"alpha", "res/sub/b.txt": b"beta" * 100})
    release.serve("file0", "app.exe", app, md5=md5(app))
    release.serve("file1", "lib.dll", lib, path=windows_path(product.folder / "lib"))
    release.serve("file2", "pack.zip", archive, uncompress=1)
    release.publish(show_type=0 if visible else 2)
    members_before = release.members()

    run = product.run_host()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert (product.folder / "app.exe").read_bytes() == app
    assert (product.folder / "lib" / "lib.dll").read_bytes() == lib
    assert (product.folder / "res" / "a.txt").read_bytes() == b"alpha"
    assert (product.folder / "res" / "sub" / "b.txt").read_bytes() == b"beta" * 100
    assert (product.folder / "keep.txt").read_bytes() == b"untouched"
    assert not (product.folder / "pack.zip").exists()
    assert no_leftovers(product) == []
    lines = product.log_lines()
    assert not download_folder(lines).exists()

    members = release.members()
    assert {k: v for k, v in members.items() if k != "client.dat"} == \
           {k: v for k, v in members_before.items() if k != "client.dat"}
    client = members["client.dat"].decode("gbk")
    for section in ("file0", "file1", "file2"):
        assert f"[{section}]\r\nver=2.0" in client, client

    app_path = windows_path(product.folder / "app.exe")
    assert is_subsequence([
        "正在关闭相关的应用程序", "开始更新...", "正在备份旧文件...",
        f"备份文件：{app_path}", f"将文件：{app_path} 备份为 {app_path}.ebk",
        "正在更新文件...", "更新文件：app.exe", "更新文件：lib.dll", "更新文件：pack.zip",
        "解压文件：res/a.txt 到 " + windows_path(product.folder) + "\\",
        "正在更新配置文件", "将[file0]项中ver的值置为2.0", "将[file2]项中ver的值置为2.0",
        "正在删除备份文件！", "更新完成！", "发“升级成功”消息(1)通知宿主程序。",
        "删除临时文件！", "更新完成后执行指定程序（没指定）。", "更新结束",
    ], lines), lines
    if visible:
        assert ("update", True) in run.pages_seen
        assert [text for _, text in run.boxes][-1:] == ["升级完成！"]
    else:
        assert run.shown == [] and run.boxes == []

    again = product.run_host()
    assert again.codes() == [NOTHING_NEW, EXITING]


def corrupt_after_download(product, name):
    """Overwrites the downloaded file `name` once the download is done."""
    def watch():
        for _ in range(600):
            lines = product.log_lines() if product.log_path.exists() else []
            if "下载完成！" in lines:
                (download_folder(lines) / "file0" / name).write_bytes(b"changed since the download")
                return
            time.sleep(0.05)
    thread = threading.Thread(target=watch)
    thread.start()
    return thread


FAILURES = {
    # Held open by a running program that the run does not close.
    "a target that cannot be written": ("locked", "读写违例！"),
    # A folder stands where the new file would go.
    "a copy that fails": ("folder", "更新失败！"),
    "a damaged archive": ("damaged", "解压失败！"),
    "a member that escapes the folder": ("escape", "解压失败！"),
    "a wrong md5 at the re-check": ("md5", "更新失败！"),
}


@pytest.mark.parametrize("kind, text", FAILURES.values(), ids=FAILURES)
def test_a_failed_update_leaves_the_product_exactly_as_it_was(release, product, tmp_path, kind, text):
    (product.folder / "app.exe").write_bytes(b"old program")
    (product.folder / "empty.dat").write_bytes(b"")
    (product.folder / "lib").mkdir()
    (product.folder / "lib" / "old.dll").write_bytes(b"old library")
    ran_after_failure = hook(product, "udafterf")
    ran_after_success = hook(product, "udafters")
    app = b"new program" * 100
    release.serve("file0", "app.exe", app, md5=md5(app))
    release.serve("file1", "empty.dat", b"now with bytes")
    release.serve("file2", "old.dll", b"new library", path=windows_path(product.folder / "lib"))
    last = {
        "locked": ("readonly.dll", b"new"),
        "folder": ("blocked.dll", b"new"),
        "damaged": ("pack.zip", zip_bytes({"a.txt": b"a" * 5000})[:-40] + b"\0" * 40),
        "escape": ("pack.zip", zip_bytes({"fine.txt": b"fine", "../outside.txt": b"evil"})),
        "md5": None,
    }[kind]
    holder = None
    if kind == "locked":
        (product.folder / "readonly.dll").write_bytes(b"held")
        holder = RunningProgram(tmp_path, "holder.exe", hold=product.folder / "readonly.dll")
    if kind == "folder":
        (product.folder / "blocked.dll").mkdir()
        (product.folder / "blocked.dll" / "inside.txt").write_bytes(b"inside")
    if last:
        release.serve("file3", last[0], last[1], uncompress=1 if kind in ("damaged", "escape") else 0)
    # Only an item that is not in this run asks for programs to be closed.
    release.publish(system=f"run_udafterf={ran_after_failure[0]}\nrun_udafters={ran_after_success[0]}\n"
                           "close_items=file9",
                    show_type=0, op_mode=1 if kind != "md5" else 0)
    for marker in (ran_after_failure[1], ran_after_success[1]):
        marker.unlink(missing_ok=True)
    before = {k: v for k, v in snapshot(product.folder).items() if not k.startswith(("client.", "udafter"))}

    if kind == "md5":
        # Manual mode: the download page waits for Next while the file is changed under it.
        watcher = corrupt_after_download(product, "app.exe")
        run = product.run_host(clicks=[(NEXT, "下一步(&N)"), "sleep:3000", (PAUSE, "下一步(&N)"),
                                       (NEXT, "下一步(&N)")])
        watcher.join()
    else:
        try:
            run = product.run_host()
        finally:
            still_running = holder.running() if holder else None
            if holder:
                holder.stop()
    after = {k: v for k, v in snapshot(product.folder).items() if not k.startswith(("client.", "udafter"))}
    lines = product.log_lines()
    assert any(line.endswith(text) for line in lines), lines
    assert after == before
    assert not (product.folder.parent / "outside.txt").exists()
    assert UPDATED not in run.codes() and run.codes()[-1] == EXITING
    assert "正在恢复更新前状态！" in lines and "更新结束" in lines
    assert appears(ran_after_failure[1]) and not ran_after_success[1].exists()
    assert [t for _, t in run.boxes][-1:] == ["升级失败！"]
    if holder:
        assert still_running, "the run closed a program although no item asked for it"


def test_runme_runs_the_installed_file_with_its_parameters_and_waits_then_the_hooks(release, product):
    before = hook(product, "udbefore")
    after = hook(product, "udafters")
    ran = product.folder / "tool.ran"
    # A slow program: the hook after the update may only start once it is done.
    tool = (f"@echo off\r\nfor /L %%i in (1,1,3000) do rem\r\necho %*> \"{windows_path(ran)}\"\r\n").encode()
    release.serve("file0", "tool.bat", tool, runme=1, runme_pause=1, runme_param="-x \"two words\"")
    release.publish(system=f"run_udbefore={before[0]}\nrun_udafters={after[0]}")
    run = product.run_host()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert ran.read_text().strip() == "-x \"two words\""
    assert appears(after[1]) and appears(before[1])
    assert ran.stat().st_mtime_ns <= after[1].stat().st_mtime_ns
    lines = product.log_lines()
    tool_path = windows_path(product.folder / "tool.bat")
    assert is_subsequence([
        f"更新前执行程序：{before[0]}", "开始更新...", "更新完成！", "删除临时文件！",
        f"执行本文件：{tool_path}", "执行完毕！", f"更新完成后执行指定程序：{after[0]}", "更新结束",
    ], lines), lines


CLOSING = {
    "by program name": ({"close_proc1": "named.exe"}, {}),
    "by window title": ({"close_proc2": "Quibo 测试窗口"}, {"title": "Quibo 测试窗口"}),
    "by window class": ({"close_proc3": "QuiboTestClass"}, {"class_name": "QuiboTestClass"}),
    "one that ignores the quit message": ({"close_proc2": "Quibo Stubborn"},
                                          {"title": "Quibo Stubborn", "ignore_quit": True}),
    "the program of a locked target": ({}, {}),
}


@pytest.mark.parametrize("system, program", CLOSING.values(), ids=CLOSING)
def test_programs_are_closed_before_their_files_are_replaced(release, product, tmp_path, system, program):
    locked_rule = not system
    # The program holds the file the update replaces; for the locked-target
    # rule that file is its own program file.
    name = "named.exe" if locked_rule or "close_proc1" in system else "held.exe"
    target = product.folder / ("named.exe" if locked_rule else "data.dll")
    target.write_bytes(b"old")
    # Run from a folder of its own: the process of the same name as the
    # target is found by its name.
    (tmp_path / "elsewhere").mkdir()
    running = RunningProgram(tmp_path / "elsewhere", name, hold=target, **program)
    old = target.read_bytes()
    new = b"new bytes" * 100
    release.serve("file0", target.name, new)
    release.publish(system="".join(f"{k}={v}\n" for k, v in system.items()), show_type=0,
                    ui="close_win=1\nclose_win_msg=请保存数据\n")
    started = time.monotonic()
    try:
        run = product.run_host()
        took = time.monotonic() - started
        code = running.wait(10)
    finally:
        running.stop()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING]
    assert target.read_bytes() == new != old
    assert code is not None, "the program still runs"
    # The program's own loop ends it with 42 when it honours the quit.
    assert code == (0 if program.get("ignore_quit") or not program else 42)
    if program.get("ignore_quit"):
        assert took >= 5
    assert [text for _, text in run.boxes].count("|请保存数据|") == 1
    lines = product.log_lines()
    entry = next(iter(system.values()), name)
    assert f"结束应用程序（模块）：{entry}" in lines
