"""The download step as a person and a host meet it: the real update.exe
under Wine, started by the host program, fetching new items from nginx, the
odd-answer server, the FTP server and a local folder into its download
folder, with the host's messages and the run log read back."""
import hashlib
import os
import re
import shutil
from pathlib import Path

import pytest

from conftest import HTTP_BASE, PORTS, ROOT, make_package, windows_path
from test_run_flow import hook
from test_wizard import CANCEL, IDNO, IDYES, NEXT, PAUSE, PRE, skin

ODD_BASE = f"http://127.0.0.1:{PORTS['UPDATER_ODD_HTTP_PORT']}"
FTP_BASE = f"ftp://127.0.0.1:{PORTS['UPDATER_FTP_PORT']}"
FTP_ROOT = ROOT / "build" / "servers" / "ftp"
FTP_LOGIN = ",,updater,,secret"
BYTES, PERCENT, ITEMS = 2020, 2021, 2022
FAILED = -3
# The steps of a manual run: past the start page, then on once the download is done.
THROUGH = [(NEXT, "下一步(&N)"), (PAUSE, "下一步(&N)")]


def pattern(size, start=0):
    """The odd-answer server's bodies: byte i is i % 251."""
    return bytes((start + i) % 251 for i in range(size))


def md5(data):
    return hashlib.md5(data).hexdigest()


def unix_path(path):
    """Where a Windows path of the run lies on this machine: drive Z: is the
    root, drive C: the Wine prefix's drive_c (matched without letter case, as
    Windows does)."""
    drive, rest = path[:2].upper(), path[3:].replace("\\", "/")
    if drive == "Z:":
        return Path("/" + rest)
    here = Path(os.environ["WINEPREFIX"]) / "drive_c"
    for part in filter(None, rest.split("/")):
        match = [p for p in here.iterdir() if p.name.lower() == part.lower()] if here.is_dir() else []
        here = match[0] if match else here / part
    return here


def download_targets(lines):
    """(source, local path) of every transfer the run log names, in order."""
    found = []
    for line in lines:
        m = re.fullmatch(r"(?:下载: )?(.+)-->(.+)", line)
        if m and "~quibo_tmp" in m.group(2):
            found.append((m.group(1), m.group(2)))
    return found


def download_folder(lines):
    """The run's download folder (the product's own "~quibo_tmp\\<hash>"), from the log."""
    local = download_targets(lines)[0][1]
    return unix_path(re.match(r"(.*?~quibo_tmp\\[0-9a-f]{16})\\", local, re.IGNORECASE).group(1))


def item_sections(items):
    """[fileN] and [dirN] sections, the keys of each given as a dict."""
    return "".join(f"[{name}]\n" + "".join(f"{k}={v}\n" for k, v in keys.items()) for name, keys in items.items())


def publish(product, www, items, system="", dl_win=0):
    """A server package offering `items` (all newer than the client's), and
    a client package that points at it."""
    folder, url = www
    server = item_sections(items) + f"[system]\n{system}\n[UI]\nstart_win=0\ndl_win={dl_win}\ndl_win_msg=下载失败\n"
    make_package(folder / "server.bin", {"server.dat": server})
    client = "".join(f"[{name}]\nver=1.0\n" for name in items)
    product.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/server.bin\n{client}",
                           "ui.dat": skin()})


def item(urls, **keys):
    return {"ver": "2.0", "urls": ";;".join(f"url{i}={u}" for i, u in enumerate(urls)), "describe": "项",
            "path": "{temp}\\demo", **keys}


@pytest.fixture
def ftp_folder(servers, tmp_path):
    """A folder of its own in the FTP server's root: (local folder, its URL)."""
    folder = FTP_ROOT / tmp_path.name
    folder.mkdir(parents=True, exist_ok=True)
    yield folder, f"{FTP_BASE}/{tmp_path.name}"
    shutil.rmtree(folder, ignore_errors=True)


def put(folder, files):
    for name, data in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(data)


def per_file_runs(messages):
    """The (2021 percent, 2020 bytes done) values of each transfer: a run
    ends at every 2022 and wherever the file's total changes."""
    runs, current, total = [], [], None
    for message, w, l in messages:
        if message == ITEMS or (message == BYTES and w != total and current):
            runs.append(current)
            current = []
        if message == BYTES:
            total = w
        if message in (PERCENT, BYTES):
            current.append((message, l))
    return [r for r in runs + [current] if r]


def test_new_files_and_folders_arrive_whole_and_the_host_hears_each_step(product, www, ftp_folder, tmp_path):
    folder, url = www
    # Bytes of this run alone: a file an earlier run left with the same md5 would be kept.
    one, two = pattern(300_000), pattern(200_000, 7) + os.urandom(16)
    (folder / "one.bin").write_bytes(one)
    (folder / "two.bin").write_bytes(two)
    ftp_local, ftp_url = ftp_folder
    ftp_files = {"a.dll": b"A", "skip.txt": b"S", "sub/b.dll": b"BB" * 5000, "sub/deep/c.dll": b"CCC",
                 "sub/deep/d.DLL": b"DDDD"}
    put(ftp_local, ftp_files)
    local = tmp_path / "local"
    put(local, {"x.cfg": b"first", "inner/y.cfg": b"second" * 1000})
    publish(product, www, {
        "file0": item([f"{ODD_BASE}/status/404", f"{url}/one.bin"], rename="one.bin"),
        "file1": item([f"{url}/two.bin"], md5=md5(two)),
        "dir0": item([ftp_url + FTP_LOGIN], filter="*.dll", is_inc_subdir=1),
        "dir1": item(["file:///" + windows_path(local)], is_inc_subdir=1),
    })
    run = product.run_host(clicks=[*THROUGH, CANCEL], press=[IDYES])
    assert run.pending == []
    # -4: the user left on the page after the download.
    assert run.codes() == [3, -4, 4]
    assert ("finished", True) in run.pages_seen, "the wizard did not go on past the download page"

    lines = product.log_lines()
    targets = download_targets(lines)
    got = {Path(unix_path(local_path)).name: unix_path(local_path).read_bytes() for _, local_path in targets}
    sources = [source for source, _ in targets]
    assert sources[:3] == [f"{ODD_BASE}/status/404", f"{url}/one.bin", f"{url}/two.bin"]
    assert got["one.bin"] == one and got["two.bin"] == two
    by_source = {source.replace("\\", "/").rsplit("/", 1)[-1]: unix_path(path).read_bytes() for source, path in
                 targets[3:]}
    assert by_source == {"a.dll": b"A", "b.dll": b"BB" * 5000, "c.dll": b"CCC", "d.DLL": b"DDDD",
                         "x.cfg": b"first", "y.cfg": b"second" * 1000}
    folder_files = {name: len(list((download_folder(lines) / name).iterdir())) for name in ("dir0", "dir1")}
    assert folder_files == {"dir0": 4, "dir1": 2}
    assert "MD5验证成功!" in lines and "下载完成！" in lines

    items = [(w, l) for m, w, l in run.messages if m == ITEMS]
    assert items == [(400, v) for v in (100, 200, 225, 250, 275, 300, 300, 350, 400, 400)]
    for values in per_file_runs(run.messages):
        for kind in (PERCENT, BYTES):
            seen = [v for m, v in values if m == kind]
            assert seen == sorted(seen), (kind, values)
    percents = [l for m, w, l in run.messages if m == PERCENT]
    assert percents.count(100) >= 2 and all(w == 100 for m, w, _ in run.messages if m == PERCENT)
    assert {w for m, w, _ in run.messages if m == BYTES} >= {len(one), len(two)}


def test_a_wrong_md5_fetches_from_both_addresses_then_fails_and_runs_the_failure_hook(product, www, tmp_path):
    folder, url = www
    body = pattern(100_000)
    (folder / "bad.bin").write_bytes(body)
    wrong = md5(b"something else")
    ran_after_failure = hook(product, "dlafterf")
    ran_after_success = hook(product, "dlafters")
    installed = tmp_path / "installed"
    publish(product, www, {"file0": item([f"{url}/bad.bin", f"{url}/bad.bin?again"], md5=wrong,
                                         path=windows_path(installed))},
            system=f"run_dlafterf={ran_after_failure[0]}\nrun_dlafters={ran_after_success[0]}")
    run = product.run_host(clicks=[(NEXT, "下一步(&N)")])
    assert FAILED in run.codes()
    lines = product.log_lines()
    assert [source for source, _ in download_targets(lines)] == [f"{url}/bad.bin", f"{url}/bad.bin?again"]
    assert lines.count("正在验证文件的完整性...") == 2
    assert f"已下载文件：bad.bin的MD5值为：{md5(body)}" in lines
    assert f"不等于服务器中原始文件的MD5={wrong}－－MD5验证错误，退出!" in lines
    assert ran_after_failure[1].exists() and not ran_after_success[1].exists()
    assert not (download_folder(lines) / "file0" / "bad.bin").exists()
    assert not installed.exists() and ("update", True) not in run.pages_seen


def test_pause_holds_the_transfer_continue_resumes_and_cancel_asks_first(product, www, tmp_path):
    ran_after_failure = hook(product, "dlafterf")
    size = 3_000_000  # about 20 s at this pace
    publish(product, www, {"file0": item([f"{ODD_BASE}/slow?size={size}&chunk=8192&delay=0.05"], rename="slow.bin")},
            system=f"run_dlafterf={ran_after_failure[0]}", dl_win=1)
    run = product.run_host(press=[IDNO, IDYES], clicks=[
        (NEXT, "下一步(&N)"), "sleep:1000",  # wait 0: going
        (PAUSE, "暂停(&P)"), "sleep:500", "sleep:2000",  # waits 1 and 2: paused
        (PAUSE, "继续(&C)"), "sleep:1500",  # wait 3: going again
        (PAUSE, "暂停(&P)"), "sleep:500", CANCEL, "sleep:1000", "sleep:2000",  # waits 4-6: asked, answered No
        CANCEL])
    assert run.pending == []
    assert run.boxes == [("信息提示", "你想取消这次升级吗？")] * 2, "a dl_win box after a cancel"

    def during(wait):
        began, ended = run.waits[wait]
        return [(m, l) for m, _, l in run.messages[began:ended] if m == BYTES]

    assert during(0), "no bytes before the pause"
    assert during(2) == [], "bytes arrived while paused"
    assert len(during(3)) >= 2, "continue did not resume the transfer"
    assert during(6) == [], "cancel answered No let the paused transfer go on"
    done = [l for m, l in during(0) + during(3)]
    assert done == sorted(done) and done[-1] < size
    assert FAILED in run.codes()
    assert ran_after_failure[1].exists()


# Broken answers: each may only end as a failure or as a retry from the next address.
BROKEN = {
    "reset half way": "reset?size=200000",
    "a 200 shorter than its Content-Length": "cut?size=200000",
}


@pytest.mark.parametrize("answer", BROKEN)
def test_a_broken_transfer_is_never_taken_for_the_file(product, www, answer):
    folder, url = www
    body = pattern(200_000) + os.urandom(16)  # an earlier run's file is not this one
    (folder / "good.bin").write_bytes(body)
    broken = f"{ODD_BASE}/{BROKEN[answer]}"
    publish(product, www, {
        # With an md5 and a good second address: the retry brings the file.
        "file0": item([broken, f"{url}/good.bin"], md5=md5(body), rename="retried.bin"),
        # Without an md5 and no other address: the item fails.
        "file1": item([broken], rename="alone.bin"),
    })
    run = product.run_host(clicks=[(NEXT, "下一步(&N)")])
    lines = product.log_lines()
    targets = download_targets(lines)
    assert [source for source, _ in targets] == [broken, f"{url}/good.bin", broken]
    assert unix_path(targets[1][1]).read_bytes() == body
    assert lines.count("MD5验证成功!") == 1
    assert FAILED in run.codes()
    # The failure follows the transfer, after the lines that say why.
    after = lines[lines.index(f"下载: {broken}-->{targets[2][1]}") + 1:]
    assert next(line for line in after if not line.startswith("错误：")) == "文件下载失败!", after
    assert "下载完成！" not in lines


HOSTILE_NAMES = {
    "rename leaving the folder": ({"rename": "..\\..\\x.exe"}, None),
    "a device": ({"rename": "CON"}, None),
    "a colon": ({"rename": "a:b"}, None),
    "an empty name": ({}, "/"),
    "a listing entry leaving the folder": (None, "..\\x"),
}


def snapshot(folder):
    return {p: p.stat().st_mtime_ns for p in folder.rglob("*")} if folder.is_dir() else {}


@pytest.mark.parametrize("keys, address", HOSTILE_NAMES.values(), ids=HOSTILE_NAMES)
def test_a_hostile_name_fails_its_item_and_writes_nothing_outside_its_folder(product, www, ftp_folder, keys,
                                                                                address):
    folder, url = www
    (folder / "payload.bin").write_bytes(b"evil")
    if keys is not None:
        items = {"file0": item([f"{url}/{address or 'payload.bin'}" if address != "/" else f"{url}/"], **keys)}
    else:
        ftp_local, ftp_url = ftp_folder
        put(ftp_local, {"fine.dll": b"f", address: b"evil"})
        items = {"dir0": item([ftp_url + FTP_LOGIN])}
    publish(product, www, items)
    # The temporary folder that holds the download folder, before and after;
    # the items' path is {temp}\demo.
    product.run_host("/HWND:{hwnd} /OP:CheckVer")
    temp = unix_path(next(line for line in product.log_lines() if line.startswith("path="))[5:]).parent
    assert temp.is_dir()
    before = snapshot(temp)
    # Cancel ends the run should the item be downloaded after all.
    run = product.run_host(clicks=[(NEXT, "下一步(&N)"), CANCEL], press=[IDYES])
    lines = product.log_lines()
    assert FAILED in run.codes()
    refusals = [line for line in lines if line.startswith("错误：拒绝下载，")]
    name = (keys or {}).get("rename", address if address != "/" else "")
    assert len(refusals) == 1 and refusals[0].endswith(name or "文件名为空"), lines
    item_folder = "dir0" if keys is None else "file0"
    changed = [p for p, t in snapshot(temp).items() if before.get(p) != t and not p.is_dir()]
    outside = [p for p in changed if not re.search(f"~quibo_tmp/[0-9a-f]{{16}}/{item_folder}/", p.as_posix().lower())
               and "~quibo_tmp" not in p.name.lower()]
    assert outside == [], outside
