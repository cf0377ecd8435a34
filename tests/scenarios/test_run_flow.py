"""Whole check runs: the real update.exe under Wine, started by the host
program, against server packages served by nginx, telling the host the
outcome."""
import re
from pathlib import Path

import pytest

from conftest import ENCODING, HTTP_BASE, BoxStyle, assert_matches_golden, make_package, windows_path

GOLDEN = Path(__file__).parent / "golden"
IDYES, IDNO = 6, 7

PRE_LOG = "[pre]\ncloselog=0\nclosetray=1\n"
UI = "[UI]\ntitle=演示产品升级\n[win0]\nattr=show=1;;rect=0,0,400,300;;clrbk=16777215\n"
CLIENT = """[system]
urls=url0={server}
randomsel=0

[file0]
ver=1.0.0
"""
SERVER = """[file0]
ver={version}
urls=url0={http_base}/files/demo.exe
path={{temp}}\\demo
show_type={show_type}
op_mode=0
describe=演示程序

[system]
run_before={run_before}
run_before_pause=1
run_after={run_after}
run_after_pause=1
run_nonetwork={run_nonetwork}

[UI]
noupdate_win={noupdate_win}
noupdate_win_msg=已经是最新版本。
start_win=1
start_win_msg=发现新版本，现在升级吗？
"""


def server_text(version="1.0.0", show_type=0, run_before="", run_after="", run_nonetwork="", noupdate_win=0):
    return SERVER.format(version=version, show_type=show_type, run_before=run_before, run_after=run_after,
                         run_nonetwork=run_nonetwork, noupdate_win=noupdate_win, http_base=HTTP_BASE)


def publish(www, text, name="server.bin"):
    folder, url = www
    make_package(folder / name, {"server.dat": text})
    return f"{url}/{name}"


def configure(product, server_url, ui=UI, pre=PRE_LOG):
    members = {"pre.dat": pre, "client.dat": CLIENT.format(server=server_url)}
    if ui is not None:
        members["ui.dat"] = ui
    product.write_package(members)


def hook(product, name):
    """A batch file that leaves a marker file when it runs."""
    marker = product.folder / f"{name}.ran"
    bat = product.folder / f"{name}.bat"
    bat.write_bytes(f"@echo off\r\necho ran> \"{windows_path(marker)}\"\r\n".encode())
    return windows_path(bat), marker


def test_nothing_newer_posts_2_then_4(product, www):
    configure(product, publish(www, server_text(version="1.0.0")))
    run = product.run_host()
    assert run.codes() == [2, 4]
    assert run.boxes == []
    lines = product.log_lines()
    assert "没有发现新版本！" in lines
    assert lines.index("发“未发现新版本”消息(2)通知宿主程序。") < lines.index("没有发现新版本！")
    assert lines[-1] == "发“退出升级程序”消息(4)通知宿主程序。"


def test_nothing_newer_shows_the_noupdate_box_when_asked(product, www):
    configure(product, publish(www, server_text(version="1.0.0", show_type=2, noupdate_win=1)))
    run = product.run_host()
    assert run.codes() == [2, 4]
    assert run.boxes == [("信息提示", "已经是最新版本。")]


@pytest.mark.parametrize("own_file", [None, "update.exe", "update.bin"])
def test_check_only_reports_the_new_version(product, www, own_file):
    # Even when the newer item is the updater's own program or package, a
    # check only reports it.
    text = server_text(version="1.2.0")
    if own_file:
        text = text.replace("path={temp}\\demo", "path=\nrename=" + own_file)
    configure(product, publish(www, text))
    before = product.package.read_bytes()
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [3, 4]
    assert run.boxes == []
    lines = product.log_lines()
    assert "发现新版本！" in lines
    assert "发“发现新版本”消息(3)通知宿主程序。" in lines
    assert ("★ 发现系统内部程序（或数据）新版本，将启动自我升级过程" in lines) == bool(own_file)
    assert product.package.read_bytes() == before


def test_start_question_answered_no(product, www):
    before, before_ran = hook(product, "before")
    after, after_ran = hook(product, "after")
    configure(product, publish(www, server_text(version="1.2.0", run_before=before, run_after=after)))
    run = product.run_host(press=[IDNO])
    assert run.codes() == [3, 4]
    assert run.boxes == [("信息提示", "发现新版本，现在升级吗？")]
    assert run.box_styles == [BoxStyle(("yes", "no"), "question", topmost=True, style=0x40024)]
    assert not before_ran.exists(), "run_before ran although the user said No"
    assert after_ran.exists(), "run_after did not run"
    lines = product.log_lines()
    assert "用户退出升级程序！" in lines
    assert "退出升级程序前执行：" + after in lines
    assert lines[lines.index("退出升级程序前执行：" + after) + 1] == "执行完毕！"


def test_start_question_answered_yes_runs_the_before_hook(product, www):
    before, before_ran = hook(product, "before")
    configure(product, publish(www, server_text(version="1.2.0", run_before=before)))
    # The wizard that follows waits on its start page: the user cancels there.
    run = product.run_host(press=[IDYES, IDYES], clicks=[1020])
    assert run.codes() == [3, -2, 4]
    assert before_ran.exists()
    assert "启动升级前执行程序：" + before in product.log_lines()


@pytest.mark.parametrize("show_type, boxes", [(0, 1), (1, 1), (2, 0)])
def test_start_question_only_when_not_silent(product, www, show_type, boxes):
    configure(product, publish(www, server_text(version="1.2.0", show_type=show_type)))
    run = product.run_host(press=[IDNO])
    assert len(run.boxes) == boxes
    assert run.codes()[0] == 3 and run.codes()[-1] == 4


def test_unreachable_server_posts_minus_5(product, servers):
    # run_nonetwork lives in the server configuration, which never arrived.
    configure(product, "http://127.0.0.1:1/server.bin")
    run = product.run_host()
    assert run.codes() == [-5, 4]
    lines = product.log_lines()
    assert "无网络时执行程序（没指定）。" in lines
    assert "发“无网络，退出升级程序”消息(-5)通知宿主程序。" in lines


def test_missing_skin_posts_minus_1(product, www):
    # A newer item with show type 0: the box is shown (with nothing newer the run is silent).
    configure(product, publish(www, server_text(version="1.2.0")), ui=None)
    run = product.run_host()
    assert run.codes() == [-1, 4]
    assert run.boxes == [("信息提示", "|错误：界面配置解析错误！|")]


def test_missing_package_shows_its_box_and_posts_nothing(product):
    run = product.run_host()
    assert run.codes() == []
    assert run.boxes == [("update", "错误：没有找到客户端配置文件:update.bin")]
    assert not product.log_path.exists()


def test_empty_hwnd_posts_nothing_and_logs_no_host_lines(product, www):
    configure(product, publish(www, server_text(version="1.2.0")))
    run = product.run_host("/HWND: /OP:CheckVer")
    assert run.messages == []
    lines = product.log_lines()
    assert "发现新版本！" in lines
    assert not any("通知宿主程序" in line for line in lines)


def test_preview_reads_no_configuration(product, www):
    # A client configuration pointing nowhere: preview never reads it.
    configure(product, "http://127.0.0.1:1/server.bin")
    run = product.run_host("/HWND:{hwnd} /OP:Preview", clicks=[1020], press=[IDYES])
    assert run.codes() == [4]
    lines = product.log_lines()
    assert not any("下载服务器端配置文件" in line for line in lines)


def test_logging_off_deletes_an_old_log(product, www):
    configure(product, publish(www, server_text()), pre="[pre]\n")
    product.log_path.write_bytes(b"old log\r\n")
    run = product.run_host()
    assert run.codes() == [2, 4]
    assert not product.log_path.exists()


def masked_log(product):
    """The log with time stamps and this machine's folders masked."""
    text = product.log_bytes().decode(ENCODING)
    text = re.sub(r"^\d\d:\d\d:\d\d    ", "HH:MM:SS    ", text, flags=re.M)
    return text.replace(windows_path(product.folder.parent), "{product}")


def test_check_run_log_matches_golden(product, www):
    url = publish(www, server_text(version="1.2.0"))
    configure(product, url)
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [3, 4]
    text = masked_log(product).replace(url.rsplit("/", 2)[0], "{server}")
    assert_matches_golden(text.encode(ENCODING), GOLDEN / "check_run.log")


def test_a_missing_golden_fails_and_is_not_written(tmp_path, monkeypatch):
    monkeypatch.delenv("UPDATER_GOLDEN_ACTUAL", raising=False)
    golden = tmp_path / "golden" / "missing.log"
    with pytest.raises(AssertionError, match="is missing"):
        assert_matches_golden(b"any log", golden)
    assert not golden.exists()


@pytest.mark.parametrize("size", [1_300_000, 63_000_000])
def test_an_oversized_server_configuration_is_refused(product, www, size):
    # Short lines pack small: a package of a few kilobytes that would inflate
    # to megabytes of configuration.
    text = server_text(version="1.2.0") + "[filler]\n" + "a=1\n" * (size // 5)
    configure(product, publish(www, text))
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [-5, 4]
    lines = product.log_lines()
    assert "下载文件失败！" in lines
    assert "错误：下载配置文件失败，可能是配置文件不存在，或解析错误，或网络不通！" in lines


def test_server_values_neither_flood_nor_forge_the_log(product, www):
    forged = "12:00:00    发“升级成功”消息(1)通知宿主程序。"
    text = (server_text(version="1.2.0")
            .replace("path={temp}\\demo", "path=" + "{temp}" * 150_000)
            .replace("describe=演示程序", "describe=演示程序\r" + forged))
    configure(product, publish(www, text))
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [3, 4]
    log = product.log_bytes()
    assert len(log) < 64 * 1024, f"{len(log)} bytes of log"
    assert re.search(rb"\r(?!\n)", log) is None, "a carriage return inside a line"
    lines = product.log_lines()
    assert "describe=演示程序\\r" + forged in lines
    path_line = next(line for line in lines if line.startswith("path="))
    assert path_line.endswith("……") and len(path_line.encode(ENCODING)) <= 4096 + 8


@pytest.mark.parametrize("package, message, box", [
    ("client", "错误：客户端配置文件:update.bin中有重名的文件：client.dat！", True),
    ("server", "错误：服务器端配置文件包中有重名的文件：server.dat！", False),
], ids=["client", "server"])
def test_a_package_naming_a_member_twice_is_refused(product, www, package, message, box):
    folder, base = www
    old, new = server_text(version="1.0.0"), server_text(version="1.2.0")
    make_package(folder / "server.bin", [("server.dat", old), ("server.dat", new)] if package == "server"
                 else [("server.dat", new)])
    client = CLIENT.format(server=f"{base}/server.bin")
    members = [("pre.dat", PRE_LOG), ("client.dat", client), ("ui.dat", UI)]
    if package == "client":
        members.append(("client.dat", client.replace("ver=1.0.0", "ver=1.2.0")))
    make_package(product.package, members)
    run = product.run_host("/HWND:{hwnd} /OP:CheckVer")
    assert run.codes() == [-5, 4]
    assert run.boxes == ([("信息提示", f"|{message}|")] if box else [])
    lines = product.log_lines()
    assert message in lines
    assert "发“无网络，退出升级程序”消息(-5)通知宿主程序。" in lines


def test_a_restart_after_a_self_update_removes_the_copy_and_asks_nothing(product, www):
    copy = product.folder / "update.exe.exe"
    copy.write_bytes(b"MZ dummy copy")
    configure(product, publish(www, server_text(version="1.2.0")))
    run = product.run_host("/HWND:{hwnd} self_finish", press=[IDYES], clicks=[1020])
    assert not copy.exists(), "the temporary copy was left behind"
    assert run.boxes == [("信息提示", "你想取消这次升级吗？")], "the start question was asked"
    assert run.codes() == [3, -2, 4]
    assert product.log_bytes() == b"", "the pass logged although the restart turns logging off"
