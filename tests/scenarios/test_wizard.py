"""The wizard as a person meets it: the real update.exe under Wine, started by
the host program, which presses the pages' buttons, answers the boxes and
watches every window of the updater."""
import pytest

from conftest import HTTP_BASE, make_package

IDYES, IDNO = 6, 7
NEXT, PAUSE, CANCEL = 1, 1018, 1020

TITLE = "演示产品升级"
PAGE_W, PAGE_H = 420, 320


def page_section(n, buttons=("下一步(&N)", "取消(&X)"), show=1, extra=""):
    return f"""[win{n}]
attr=show={show};;rect=0,0,{PAGE_W},{PAGE_H};;clrbk=15790320
static0=show=1;;rect=12,10,300,20;;text=第{n}页;;clrtext=8388608;;fontweight=700
static1=show=1;;rect=24,34,360,16;;text=说明文字;;clrtext=0
button0=rect=230,280,80,26;;text={buttons[0]}
button1=rect=320,280,80,26;;text={buttons[1]}
{extra}"""


def skin(show=(1, 1, 1, 1)):
    """A skin with all four pages, every control placed."""
    return "\n".join([
        f"[UI]\ntitle={TITLE}\n",
        page_section(0, show=show[0], extra="list=show=1;;rect=20,60,380,200\n"),
        page_section(1, buttons=("暂停(&P)", "取消(&X)"), show=show[1],
                     extra="list=show=1;;rect=20,60,380,90\nrich_edit=show=1;;rect=20,200,380,70\n"
                           "progress0=show=1;;rect=20,156,380,14\nprogress1=show=1;;rect=20,174,380,14\n"
                           "status0=show=1;;rect=20,190,380,10\nstatus1=show=1;;rect=200,34,200,16\n"),
        page_section(2, show=show[2]),
        page_section(3, buttons=("", "取消(&X)"), show=show[3],
                     extra="rich_edit=show=1;;rect=20,120,380,120\nprogress0=show=1;;rect=20,80,380,14\n"
                           "status0=show=1;;rect=20,100,380,14\n"),
    ])


PRE = "[pre]\ncloselog=0\nclosetray=1\n"
CLIENT = """[system]
urls=url0={server}
[file0]
ver=1.0.0
[file1]
ver=1.0.0
[dir0]
ver=1.0
"""
SERVER = """[file0]
ver=1.1.0
urls=url0={base}/files/app.exe
path={{temp}}\\demo
show_type={show_type}
op_mode={op_mode}
describe=主程序
[file1]
ver=1.0.0
urls=url0={base}/files/same.dll
path={{temp}}\\demo
[dir0]
ver=2.0
urls=url0=ftp://127.0.0.1/product/plugins
path={{temp}}\\demo\\plugins
show_type={show_type}
op_mode={op_mode}
describe=插件
[UI]
start_win=0
dl_win={dl_win}
dl_win_msg=下载失败
"""


def write_product(product, www, show_type=0, op_mode=0, ui=None, dl_win=0):
    folder, url = www
    make_package(folder / "server.bin", {"server.dat": SERVER.format(base=HTTP_BASE, show_type=show_type,
                                                                      op_mode=op_mode, dl_win=dl_win)})
    product.write_package({"pre.dat": PRE, "client.dat": CLIENT.format(server=f"{url}/server.bin"),
                           "ui.dat": ui if ui is not None else skin()})


def preview(product, ui=None, **kw):
    product.write_package({"pre.dat": PRE, "ui.dat": ui if ui is not None else skin()})
    return product.run_host("/HWND:{hwnd} /OP:Preview", **kw)


def test_preview_walks_through_all_four_pages(product):
    run = preview(product, clicks=[(NEXT, "下一步(&N)"), (PAUSE, "下一步(&N)"), (NEXT, "下一步(&N)"),
                                   (CANCEL, "完成(&O)")])
    assert run.pending == []
    assert run.codes() == [4]
    assert [p.title for p in run.pages] == [TITLE] * 4
    assert {kind for kind, visible in run.pages_seen if visible} == {"start", "download", "finished", "update"}
    assert run.boxes == []


@pytest.mark.parametrize("page", [0, 1, 2])
def test_preview_cancel_on_any_page_ends_quietly(product, page):
    walk = [(NEXT, "下一步(&N)"), (PAUSE, "下一步(&N)"), (NEXT, "下一步(&N)")][:page]
    run = preview(product, clicks=[*walk, CANCEL], press=[IDYES])
    assert run.pending == []
    assert run.codes() == [4]
    assert run.boxes == [("信息提示", "你想取消这次升级吗？")]
    assert not any("强制退出" in line for line in product.log_lines())


def test_frame_is_the_skin_rectangle_plus_borders(product):
    run = preview(product, clicks=[CANCEL], press=[IDYES])
    sizes = {(s.client_width, s.client_height) for s in run.shown if s.title == TITLE}
    assert sizes == {(PAGE_W, PAGE_H)}
    frame = next(s for s in run.shown if s.title == TITLE)
    assert frame.width > PAGE_W and frame.height > PAGE_H + 10  # borders and caption


def test_manual_update_lists_new_items_then_cancel(product, www):
    write_product(product, www)
    run = product.run_host(clicks=[CANCEL], press=[IDYES])
    assert run.pending == []
    assert run.codes() == [3, -2, 4]
    rows = [cells for list_id, cells in run.pages[0].rows if list_id == 1015]
    assert rows == [("app.exe", "1.1.0", "主程序"), ("<plugins>", "2.0", "插件")]
    lines = product.log_lines()
    assert "★ 开启“下载前窗口”。" in lines
    assert "发“下载前强制退出”消息(-2)通知宿主程序。" in lines
    assert lines.index("发“下载前强制退出”消息(-2)通知宿主程序。") < lines.index("下载前强制退出升级过程。")


def test_cancel_answered_no_leaves_the_page_as_it_was(product, www):
    write_product(product, www)
    run = product.run_host(clicks=[CANCEL, (NEXT, "下一步(&N)")], press=[IDNO])
    assert run.pending == []
    assert run.boxes == [("信息提示", "你想取消这次升级吗？")]
    assert run.pages[0].rows == run.pages[1].rows != []
    assert -2 not in run.codes()
    assert "★ 开启“下载窗口”。" in product.log_lines()


def test_the_close_box_asks_as_cancel_does(product, www):
    write_product(product, www)
    run = product.run_host(clicks=["close", CANCEL], press=[IDNO, IDYES])
    assert run.pending == []
    assert run.boxes == [("信息提示", "你想取消这次升级吗？")] * 2
    assert run.codes() == [3, -2, 4]


def test_automatic_mode_skips_the_start_page(product, www):
    # The box of a failed download holds the download page on the screen while it is answered.
    write_product(product, www, op_mode=1, dl_win=1)
    run = product.run_host()
    lines = product.log_lines()
    assert "★ 不开启“下载前窗口”。" in lines
    assert "★ 开启“下载窗口”。" in lines
    assert ("start", True) not in run.pages_seen and ("download", True) in run.pages_seen


def test_a_page_hidden_by_the_skin_is_skipped(product, www):
    write_product(product, www, ui=skin(show=(0, 1, 1, 1)))
    run = product.run_host()
    assert "★ 不开启“下载前窗口”。" in product.log_lines()
    assert ("start", True) not in run.pages_seen


def test_a_silent_run_never_shows_a_window(product, www):
    write_product(product, www, show_type=2)
    run = product.run_host()
    assert run.shown == []
    assert run.boxes == []
    assert ("download", False) in run.pages_seen
    assert not any(visible for _, visible in run.pages_seen)
    assert "★ 不开启“下载前窗口”。" in product.log_lines()


BIG = "rect=0,0,30000,30000"
HOSTILE = {
    "negative and huge rectangles": skin().replace("rect=0,0,420,320", "rect=-50,-50,-10,-10")
                                          .replace("rect=20,60,380,200", BIG).replace("rect=12,10,300,20", BIG),
    "a huge page": skin().replace("rect=0,0,420,320", "rect=0,0,2147483647,2147483647"),
    "a 2-pixel label with a long text": skin().replace("rect=24,34,360,16;;text=说明文字",
                                                       "rect=24,34,2,2;;text=" + "升级程序" * 2000),
    "icon strip of no frames": skin().replace("[UI]\n", "[UI]\nsysicon=icons.bmp:0\n"),
    "icon strip of two billion frames": skin().replace("[UI]\n", "[UI]\nsysicon=icons.bmp:2000000000\n"),
    "a picture claiming 30000 x 30000 in 200 bytes": skin().replace(
        "[win0]\n", "[win0]\nimage0=show=1;;rect=0,0,420,60;;bmpfile=huge.bmp\n"),
}


def tiny_bmp_claiming(width, height, size=200):
    import struct
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0)
    return (header + info).ljust(size, b"\xff")


def strip_bmp(frames):
    import struct
    width, height = 16 * frames, 16
    row = (width * 3 + 3) & ~3
    pixels = b"".join(bytes((i * 40 % 256, 90, 200)) * 16 for i in range(frames)).ljust(row, b"\0") * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


@pytest.mark.parametrize("name", HOSTILE)
def test_hostile_skins_leave_a_wizard_that_answers(product, name):
    product.write_package({"pre.dat": PRE, "ui.dat": HOSTILE[name], "icons.bmp": strip_bmp(2),
                           "huge.bmp": tiny_bmp_claiming(30000, 30000)})
    run = product.run_host("/HWND:{hwnd} /OP:Preview", clicks=[CANCEL], press=[IDYES], timeout=60)
    assert run.pending == []
    assert run.codes() == [4]
    if "huge.bmp" in HOSTILE[name]:
        assert "没有找到图像文件：huge.bmp" in product.log_lines(), "a refused picture is logged"


def test_enter_and_escape_in_a_working_page_end_nothing(product):
    # Enter and Escape on the download page while its animation runs: the
    # page keeps running and still ends with its own Next.
    run = preview(product, clicks=[(NEXT, "下一步(&N)"), "key:13:1018", "key:27:1018", (PAUSE, "下一步(&N)"),
                                   "key:27:1", (NEXT, "下一步(&N)"), (CANCEL, "完成(&O)")])
    assert run.pending == []
    assert run.codes() == [4]
    assert run.boxes == []


def read_bmp(path):
    """A 24-bit bottom-up BMP as the host writes it: (width, height, pixel(x, y) -> (r, g, b))."""
    import struct
    data = path.read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    row = (width * 3 + 3) & ~3

    def pixel(x, y):
        at = offset + (height - 1 - y) * row + x * 3
        b, g, r = data[at:at + 3]
        return r, g, b
    return width, height, pixel


def picture_bmp(width, height, color_of):
    import struct
    row = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        line = b"".join(bytes(reversed(color_of(x, y))) for x in range(width))
        rows.append(line.ljust(row, b"\0"))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def test_the_start_page_is_drawn_as_its_skin_says(product, tmp_path):
    background = (0xD0, 0xE0, 0xF0)  # clrbk 0x00F0E0D0
    red = (200, 40, 40)
    ui = skin().replace("clrbk=15790320", f"clrbk={0xF0E0D0}").replace(
        "[win0]\n", "[win0]\nimage0=show=1;;rect=0,0,420,60;;bmpfile=head.bmp\n")
    head = picture_bmp(20, 6, lambda x, y: (255, 255, 255) if x < 10 else red)
    product.write_package({"pre.dat": PRE, "ui.dat": ui, "head.bmp": head})
    shots = tmp_path / "shots"
    run = product.run_host("/HWND:{hwnd} /OP:Preview", clicks=[CANCEL], press=[IDYES], shots=shots)
    assert run.codes() == [4]
    frame = next(s for s in run.shown if s.title == TITLE)
    page_shot = next(p for p in run.shots if p.endswith("page.bmp"))
    _, _, pixel = read_bmp(shots / page_shot.rsplit("\\", 1)[1])

    def at(x, y):  # a point of the page, which fills the frame's client area
        return pixel(frame.client_x + x, frame.client_y + y)

    assert at(5, 100) == background, "the page background is the skin's clrbk"
    assert at(60, 48) == background, "white pixels of a picture let the background show"
    assert at(350, 48) == red, "the picture's other pixels are drawn, stretched into its rect"
    label = {at(x, y) for x in range(12, 120) for y in range(10, 30)}
    assert (0, 0, 128) in label, "the title label draws in its clrtext"
    button = {at(x, y) for x in range(324, 396) for y in range(284, 302)}
    assert background not in button, "the Cancel button covers its skin rect"
    assert at(316, 292) == background and at(404, 292) == background, "and nothing beside it"


TRAY_ON = "[pre]\ncloselog=0\nclosetray=0\n"


def tray_skin():
    return skin().replace("[UI]\n", "[UI]\nsysicon=icons.bmp:4\n")


def test_the_tray_icon_carries_the_title_and_animates_while_downloading(product):
    product.write_package({"pre.dat": TRAY_ON, "ui.dat": tray_skin(), "icons.bmp": strip_bmp(4)})
    run = product.run_host("/HWND:{hwnd} /OP:Preview", tray=True,
                           clicks=[(NEXT, "下一步(&N)"), (PAUSE, "下一步(&N)"), (NEXT, "下一步(&N)"),
                                   (CANCEL, "完成(&O)")])
    assert run.pending == []
    assert run.codes() == [4]
    assert TITLE in run.tray_tips
    assert run.tray_frames >= 3, "the icon should step through its frames during the download page"


def test_minimise_hides_the_wizard_in_the_tray_and_the_tray_brings_it_back(product):
    product.write_package({"pre.dat": TRAY_ON, "ui.dat": tray_skin(), "icons.bmp": strip_bmp(4)})
    run = product.run_host("/HWND:{hwnd} /OP:Preview", clicks=["minimize", "trayclick", CANCEL], press=[IDYES])
    assert run.pending == []
    assert run.codes() == [4]
    frame = [event for event, title in run.visibility if title in (TITLE, "")]
    assert frame[:3] == ["shown", "gone", "shown"], run.visibility


DOWNLOAD_SERVER = """[file0]
ver=1.1.0
urls=url0={url}/gone/app.exe;;url1={url}/app.exe
path={{temp}}\\demo
md5={md5}
show_type={show_type}
op_mode={op_mode}
describe=主程序
[UI]
start_win=0
"""


def write_download_product(product, www, show_type=0, op_mode=0):
    import hashlib
    folder, url = www
    body = bytes(range(256)) * 4000
    (folder / "app.exe").write_bytes(body)
    make_package(folder / "server.bin", {"server.dat": DOWNLOAD_SERVER.format(
        url=url, md5=hashlib.md5(body).hexdigest(), show_type=show_type, op_mode=op_mode)})
    product.write_package({"pre.dat": PRE, "client.dat": f"[system]\nurls=url0={url}/server.bin\n[file0]\nver=1.0.0\n",
                           "ui.dat": skin()})
    return body


def test_a_manual_run_downloads_then_waits_on_the_download_finished_page(product, www):
    write_download_product(product, www)
    run = product.run_host(clicks=[(NEXT, "下一步(&N)"), (PAUSE, "下一步(&N)"), CANCEL], press=[IDYES])
    assert run.pending == []
    assert run.codes() == [3, -4, 4]
    assert run.codes(2022) == [100]
    download_rows = [cells for list_id, cells in run.pages[1].rows if list_id == 1015]
    assert download_rows[0][0].startswith("app.exe"), download_rows
    lines = product.log_lines()
    for line in ("正在下载：app.exe", "MD5验证成功!", "下载完成！", "★ 开启“下载后窗口”。", "下载完成后强制退出升级过程。"):
        assert line in lines, line


def test_a_silent_run_runs_its_download_and_update_pages_unseen(product, www):
    write_download_product(product, www, show_type=2, op_mode=1)
    run = product.run_host()
    assert run.shown == [] and run.boxes == []
    assert ("download", False) in run.pages_seen  # the update page that follows may come and go between looks
    assert not any(visible for _, visible in run.pages_seen)
    lines = product.log_lines()
    assert "下载完成！" in lines
    assert "★ 不开启“下载前窗口”。" in lines and "★ 不开启“下载后窗口”。" in lines
    assert "★ 开启“更新窗口”。" in lines


def test_automatic_operation_skips_the_start_and_download_finished_pages(product, www):
    write_download_product(product, www, op_mode=1)
    run = product.run_host()
    lines = product.log_lines()
    assert "★ 不开启“下载前窗口”。" in lines and "★ 不开启“下载后窗口”。" in lines
    assert ("start", True) not in run.pages_seen and ("finished", True) not in run.pages_seen
    assert ("update", True) in run.pages_seen or "★ 开启“更新窗口”。" in lines
