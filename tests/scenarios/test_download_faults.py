"""Downloads that cannot bring an item whole, through the host as a person
meets them: the real update.exe under Wine, a silent automatic run, and
what is left afterwards in the product, its package and the download folder."""
import zipfile

from conftest import make_package, windows_path
from test_download_step import FTP_LOGIN, ODD_BASE, download_folder, ftp_folder, item_sections, put  # noqa: F401
from test_wizard import PRE, skin

NEW_VERSION, DOWNLOAD_FAILED, EXITING = 3, -3, 4


def publish(product, www, items):
    """A silent, automatic release of `items` (each newer than the client's
    1.0) installed into the product's folder, and a client package that
    points at it."""
    folder, url = www
    sections = {name: {"ver": "2.0", "describe": "项", "path": windows_path(product.folder / "installed"),
                       "show_type": 2, "op_mode": 1, **keys} for name, keys in items.items()}
    server = item_sections(sections) + "[system]\n[UI]\nstart_win=0\ndl_win=0\n"
    make_package(folder / "server.bin", {"server.dat": server})
    client = "".join(f"[{name}]\nver=1.0\n" for name in items)
    product.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/server.bin\n{client}",
                           "ui.dat": skin()})


def assert_nothing_installed(product, run, sections):
    assert run.codes() == [NEW_VERSION, DOWNLOAD_FAILED, EXITING]
    assert not (product.folder / "installed").exists()
    client = zipfile.ZipFile(product.package).read("client.dat").decode("gbk")
    for section in sections:
        assert f"[{section}]\r\nver=1.0" in client, client


def test_a_folder_item_on_a_web_address_brings_nothing_and_no_version_is_written(product, www):
    folder, url = www
    (folder / "app.exe").write_bytes(b"new program")
    (folder / "plugins").mkdir()
    (folder / "plugins" / "a.dll").write_bytes(b"plug-in")
    publish(product, www, {"file0": {"urls": f"url0={url}/app.exe", "rename": "app.exe"},
                           "dir0": {"urls": f"url0={url}/plugins/"}})
    run = product.run_host()
    assert_nothing_installed(product, run, ["file0", "dir0"])
    lines = product.log_lines()
    assert f"错误：文件夹只能从FTP服务器或本地文件夹下载，此地址没有下载任何文件：{url}/plugins/" in lines, lines
    assert "下载完成！" not in lines


def test_a_subfolder_the_ftp_server_will_not_open_fails_the_folder_item(product, www, ftp_folder):
    ftp_local, ftp_url = ftp_folder
    # The test server refuses to enter "locked_*" folders.
    put(ftp_local, {"a.dll": b"A", "locked_more/b.dll": b"B"})
    publish(product, www, {"dir0": {"urls": f"url0={ftp_url}{FTP_LOGIN}", "is_inc_subdir": 1}})
    run = product.run_host()
    assert_nothing_installed(product, run, ["dir0"])
    lines = product.log_lines()
    remote = ftp_url.split("/", 3)[3]
    assert f"无法打开服务器文件夹：/{remote}/locked_more" in lines, lines
    assert "没有找到文件!" in lines


def test_a_server_that_sends_far_less_than_it_announces_leaves_no_part_of_the_file(product, www):
    lying = f"{ODD_BASE}/lying?size=4000000000&sent=400000"
    publish(product, www, {"file0": {"urls": f"url0={lying}", "rename": "big.bin"}})
    run = product.run_host()
    assert_nothing_installed(product, run, ["file0"])
    lines = product.log_lines()
    item_folder = download_folder(lines) / "file0"
    assert not item_folder.exists() or list(item_folder.iterdir()) == []
    assert f"错误：连接在收到400000字节后中断，服务器声明的长度为4000000000字节：{lying}" in lines, lines
