"""The host program itself (tests/host), driving a stand-in updater that
shows what the updater shows: a start question, a wizard whose frame and
pages are dialogs, a list, a Next button that waits, a last box, and a
hand-over to a copy of itself and back as a self-update does."""
import shutil
import struct

from conftest import BUILD, BoxStyle, Page, run_host

IDNO = 7
NEXT, LIST = 1001, 1010
PAGE_COLOUR = (0, 128, 255)  # the stand-in's page background, RGB


def stand_in(tmp_path):
    folder = tmp_path / "product"
    folder.mkdir()
    shutil.copy(BUILD / "stand_in.exe", folder / "stand_in.exe")
    return folder


def bmp_pixels(path):
    """(width, height, [(r, g, b), ...]) of a 24-bit BMP."""
    data = path.read_bytes()
    assert data[:2] == b"BM"
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24
    stride = (width * 3 + 3) & ~3
    pixels = [tuple(data[offset + y * stride + x * 3 + i] for i in (2, 1, 0))
              for y in range(abs(height)) for x in range(width)]
    return width, abs(height), pixels


def test_host_answers_boxes_drives_pages_and_waits_for_every_process(tmp_path):
    folder = stand_in(tmp_path)
    shots = tmp_path / "shots"
    run = run_host(folder / "stand_in.exe", "/HWND:{hwnd}", folder, shots=shots,
                   clicks=[(NEXT, "下一步(&N)"), (NEXT, "下一步(&N)"), (NEXT, "完成")])

    # The frame and its pages are no boxes; the box of the third process is answered too.
    assert run.boxes == [("信息提示", "现在升级吗？"), ("信息提示", "升级完成。")]
    assert run.box_styles == [BoxStyle(("yes", "no"), "question", True, 0x40024),
                              BoxStyle(("ok",), "information", False, 0x40)]
    # Yes by default; each page pressed once, after Next became ready; the last process's 4 arrived.
    assert run.codes() == [6, 10, 11, 4]
    assert run.pages == [
        Page("快速升级", [(LIST, ("主程序", "1.2.0")), (LIST, ("帮助文件", "1.0.1"))], NEXT, "下一步(&N)"),
        Page("快速升级", [(LIST, ("说明", "2.0"))], NEXT, "下一步(&N)"),
    ]
    assert run.pending == [f"{NEXT}:完成"]
    assert run.exit_code == 3, "the exit code is the first process's"
    assert not (folder / "stand_in.exe.exe").exists()

    names = [s.rsplit("\\", 1)[1] for s in run.shots]
    assert names == ["01-box.bmp", "02-page.bmp", "03-page.bmp", "04-box.bmp"]
    for name in ("02-page.bmp", "03-page.bmp"):
        width, height, pixels = bmp_pixels(shots / name)
        assert (width, height) == (420, 300)
        assert pixels.count(PAGE_COLOUR) > len(pixels) // 10, f"{name} does not show the page"
    _, _, box = bmp_pixels(shots / "01-box.bmp")
    assert len(set(box)) > 10, "the box shot is blank"


def test_host_tells_the_icon_from_the_screen_without_the_style_hook(tmp_path):
    folder = stand_in(tmp_path)
    bare = tmp_path / "bare"  # a host without box_hook.dll beside it
    bare.mkdir()
    shutil.copy(BUILD / "host.exe", bare / "host.exe")
    run = run_host(folder / "stand_in.exe", "/HWND:{hwnd}", folder, press=[IDNO], host=bare / "host.exe")
    assert run.codes() == [IDNO]
    assert run.box_styles == [BoxStyle(("yes", "no"), "question", False, None)]
