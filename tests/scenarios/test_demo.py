"""scripts/demo, the README's main job, run as the README says (set-up left
out with its --no-setup, scripts/test having done it): it must really update
its demo product, fail when the server offers nothing newer, and leave the
servers and Wine of the test run that started it running."""
import os
import subprocess
import zipfile

import pytest

from conftest import ROOT, SERVERS

DEMO = ROOT / "build" / "demo"


def run_demo(*options):
    # No display of a person's: the demo must not try to open its pictures.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    done = subprocess.run([str(ROOT / "scripts" / "demo"), "--no-setup", *options], env=env, cwd=ROOT,
                          capture_output=True, text=True, timeout=900)
    return done.returncode, done.stdout.splitlines(), done.stderr


def client_versions():
    with zipfile.ZipFile(DEMO / "product" / "update.bin") as z:
        text = z.read("client.dat").decode("gbk")
    return [line for line in text.splitlines() if line.startswith("ver=")]


def servers_running():
    return subprocess.run([str(SERVERS), "status"], capture_output=True).returncode == 0


@pytest.mark.parametrize("options", [["--silent"], []], ids=["silent", "wizard"])
def test_the_demo_updates_its_product_to_the_release(servers, options):
    code, out, err = run_demo(*options)
    assert code == 0, "\n".join(out[-30:]) + err
    assert out[-1].startswith("demo: the demo product was updated to 1.1.0"), out[-5:]
    assert "2023 3 newer version found" in out and "2023 1 updated" in out
    assert any(line.endswith("    发“升级成功”消息(1)通知宿主程序。") for line in out), "no run log in UTF-8"

    product, release = DEMO / "product", DEMO / "release"
    for name, target in [("demo.exe", "demo.exe"), ("readme.txt", "readme.txt"), ("data.dat", "data.dat"),
                         ("chart.dll", "plugins/chart.dll")]:
        assert (product / target).read_bytes() == (release / name).read_bytes(), target
    with zipfile.ZipFile(release / "help.zip") as z:
        assert (product / "help" / "pages" / "start.html").read_bytes() == z.read("pages/start.html")
    assert (product / "settings.ini").read_bytes() == b"[user]\r\nlanguage=zh-CN\r\n"
    assert client_versions() == ["ver=1.1.0"] * 5

    shots = sorted((DEMO / "shots").glob("*.png"))
    if options == ["--silent"]:
        assert shots == []
    else:
        sheet = DEMO / "shots" / "contact-sheet.png"
        pages = [s for s in shots if s.name.endswith("-page.png")]
        assert len(pages) == 4, shots  # start, download, download finished, update
        assert all(s.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" for s in shots)
        assert [line for line in out if line.endswith(".png")] == [str(s) for s in shots if s != sheet] + [str(sheet)]
    assert servers_running(), "the demo stopped the servers it found running"


def test_a_demo_whose_server_offers_nothing_newer_fails(servers):
    code, out, _ = run_demo("--silent", "--no-newer")
    assert code == 1
    assert out[-1].startswith("demo: FAILED: the demo product was not updated to 1.1.0: demo.exe differs from the release"), out[-1]
    assert "2023 2 nothing newer" in out
    assert client_versions() == ["ver=1.0.0"] * 5
