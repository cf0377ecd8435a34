#!/usr/bin/python3
"""The demo product of scripts/demo: version 1.0 as installed, and the folder
a publisher prepares for version 1.1 (its files and release.ini, as
quibo-publish reads it).

  demo_product.py product FOLDER             writes version 1.0 into FOLDER
  demo_product.py release FOLDER [--silent]  writes the 1.1 release folder

Version 1.0 is demo.exe, readme.txt, data.dat and the user's settings.ini.
Version 1.1 changes the first three, adds plugins/chart.dll and unpacks
help.zip into help/; settings.ini is the user's and no release touches it.
The product is installed in a folder named "product" (path={parent}\\product:
the updater's {parent} is the folder above its own)."""
import io
import random
import sys
import zipfile
from pathlib import Path


def filler(seed, size):
    """Bytes that do not compress much, so the download shows progress."""
    return random.Random(seed).randbytes(size)


def program(version, size):
    return b"MZ" + f"Quibo demo program {version}\r\n".encode() + filler(f"demo.exe {version}", size)


def readme(version, news):
    return f"Quibo 演示产品 {version}\r\n\r\n{news}\r\n".encode("gbk")


def data(version, rows):
    return "".join(f"{i};item {i};{i * 1.5:.2f};{version}\r\n" for i in range(rows)).encode()


def zip_bytes(members):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, content in members.items():
            z.writestr(name, content)
    return out.getvalue()


VERSION_1_0 = {
    "demo.exe": program("1.0", 64 * 1024),
    "readme.txt": readme("1.0", "第一个版本。"),
    "data.dat": data("1.0", 200),
    "settings.ini": b"[user]\r\nlanguage=zh-CN\r\n",
}

HELP = {
    "index.html": "<html><body><h1>Quibo 演示产品 1.1 帮助</h1></body></html>\r\n".encode("gbk"),
    "pages/start.html": b"<html><body>Getting started</body></html>\r\n",
}

# (section, file in the release folder, its bytes, where it goes, other keys)
RELEASE_1_1 = [
    ("file0", "demo.exe", program("1.1", 320 * 1024), r"{parent}\product", "describe=演示程序：更快的启动"),
    ("file1", "readme.txt", readme("1.1", "新增图表插件和帮助文档。"), r"{parent}\product", "describe=说明文件"),
    ("file2", "data.dat", data("1.1", 400), r"{parent}\product", "describe=数据文件"),
    ("file3", "chart.dll", filler("chart.dll", 96 * 1024), r"{parent}\product\plugins", "describe=新的图表插件"),
    ("file4", "help.zip", zip_bytes(HELP), r"{parent}\product\help", "describe=帮助文档\nuncompress=1"),
]


def release_ini(silent):
    # A wizard the user walks through page by page, or no window at all.
    show = "show_type=2\nop_mode=1" if silent else "show_type=0\nop_mode=0"
    items = "".join(f"[{section}]\nfile={name}\npath={path}\n{show}\n{keys}\n\n"
                    for section, name, _, path, keys in RELEASE_1_1)
    return ("; Quibo demo product 1.1; the version comes from quibo-publish --ver\n\n" + items +
            "[system]\nclose_proc1=demo.exe\n\n[UI]\nstart_win=0\n")


def write_product(folder):
    folder.mkdir(parents=True, exist_ok=True)
    for name, content in VERSION_1_0.items():
        (folder / name).write_bytes(content)


def write_release(folder, silent):
    folder.mkdir(parents=True, exist_ok=True)
    for _, name, content, _, _ in RELEASE_1_1:
        (folder / name).write_bytes(content)
    (folder / "release.ini").write_text(release_ini(silent), encoding="utf-8")


def main(argv):
    if len(argv) >= 2 and argv[0] == "product":
        write_product(Path(argv[1]))
    elif len(argv) >= 2 and argv[0] == "release":
        write_release(Path(argv[1]), "--silent" in argv[2:])
    else:
        sys.exit("usage: demo_product.py product FOLDER | release FOLDER [--silent]")


if __name__ == "__main__":
    main(sys.argv[1:])
