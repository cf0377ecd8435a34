"""A publisher's release as the real quibo-publish prepares it and the real
update.exe under Wine installs it; and input the tool must refuse without
writing anything."""
import os
import shutil
import subprocess
import zipfile
from pathlib import Path

import pytest

from conftest import ROOT, windows_path
from test_install import EXITING, NEW_VERSION, UPDATED, no_leftovers, zip_bytes

# quibo-publish is a native program (preset native), built before the scenarios run.
PUBLISH = Path(os.environ.get("UPDATER_NATIVE_BUILD", ROOT / "build" / "native")) / "quibo-publish"


@pytest.fixture(scope="module")
def publisher():
    assert PUBLISH.is_file(), f"{PUBLISH} is missing: cmake --build build/native --target quibo-publish"
    return PUBLISH


def publish(publisher, *args):
    return subprocess.run([str(publisher), *map(str, args)], capture_output=True, text=True, timeout=60)


def client_dat(package):
    with zipfile.ZipFile(package) as z:
        return z.read("client.dat").decode("gbk")


# Release files: name -> bytes. A name with a blank and Chinese letters must be
# escaped in its address and still be installed under its own name.
APP = b"MZ new program " * 4000
NOTES = "第二版的说明\r\n".encode("gbk")
ARCHIVE = zip_bytes({"res/a.txt": b"alpha", "res/sub/b.txt": b"beta" * 300})


def test_a_published_release_is_installed_by_the_updater(publisher, product, www, tmp_path):
    folder, url = www
    release = tmp_path / "release"
    release.mkdir()
    (release / "app.exe").write_bytes(APP)
    (release / "说明 新版.txt").write_bytes(NOTES)
    (release / "pack.zip").write_bytes(ARCHIVE)
    target = windows_path(product.folder)
    (release / "release.ini").write_text(f"""; the publisher's description
[file0]
file=app.exe
path={target}
show_type=2
op_mode=1
[file1]
file=说明 新版.txt
ver=2.0.1
path={target}\\doc
show_type=2
op_mode=1
[file2]
file=pack.zip
path={target}
uncompress=1
show_type=2
op_mode=1
[UI]
start_win=0
""", encoding="utf-8")
    (product.folder / "app.exe").write_bytes(b"old program")
    (product.folder / "keep.txt").write_bytes(b"the user's")

    done = publish(publisher, "--release", release, "--url", url, "--out", folder, "--ver", "2.0.0",
                   "--client", "--client-ver", "1.0.0")
    assert done.returncode == 0, done.stderr
    shutil.move(folder / "update.bin", product.package)
    assert "[file1]\r\nver=1.0.0" in client_dat(product.package)

    run = product.run_host()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING], product.log_lines()
    assert (product.folder / "app.exe").read_bytes() == APP
    assert (product.folder / "doc" / "说明 新版.txt").read_bytes() == NOTES
    assert (product.folder / "res" / "a.txt").read_bytes() == b"alpha"
    assert (product.folder / "res" / "sub" / "b.txt").read_bytes() == b"beta" * 300
    assert (product.folder / "keep.txt").read_bytes() == b"the user's"
    assert not (product.folder / "pack.zip").exists()
    assert no_leftovers(product) == []
    client = client_dat(product.package)
    for section, ver in (("file0", "2.0.0"), ("file1", "2.0.1"), ("file2", "2.0.0")):
        assert f"[{section}]\r\nver={ver}\r\n" in client, client


GOOD_INI = "[file0]\nfile=app.exe\nver=1.0.0\npath={pf}\\Product\n"

# name -> (release.ini, extra arguments, what stderr's one line says)
BAD_INPUT = {
    "a missing file": ("[file0]\nfile=absent.exe\nver=1.0.0\n", [], "[file0] file not found in the release folder: absent.exe"),
    "an unreadable description": (GOOD_INI, ["--describe", "{release}"], "cannot read the release description"),
    "a version of letters in the description": ("[file0]\nfile=app.exe\nver=1.2.beta\n", [],
                                                '[file0] ver "1.2.beta" is not a version above 0'),
    "a version of letters on the command line": (GOOD_INI, ["--ver", "one.two"],
                                                 '"one.two" is not a version such as 1.2.0'),
    # The updater lists a folder item's folder, which HTTP cannot do.
    "a folder item over HTTP": ("[dir0]\nfolder=data\nver=1.0.0\n", [],
                                "[dir0] data: a folder item is fetched by listing its folder"),
}


@pytest.mark.parametrize("ini, extra, said", BAD_INPUT.values(), ids=BAD_INPUT)
def test_bad_input_is_refused_with_one_line_and_nothing_written(publisher, tmp_path, ini, extra, said):
    release, out = tmp_path / "release", tmp_path / "public"
    release.mkdir()
    out.mkdir()
    (release / "app.exe").write_bytes(b"program")
    (release / "data").mkdir()
    (release / "data" / "a.dll").write_bytes(b"library")
    (release / "release.ini").write_text(ini, encoding="utf-8")
    args = ["--release", release, "--url", "http://127.0.0.1/p", "--out", out, "--client"]
    done = publish(publisher, *args, *(a.format(release=release) for a in extra))
    assert done.returncode == 2
    assert done.stderr.splitlines() == [done.stderr.strip()] and said in done.stderr, done.stderr
    assert list(out.iterdir()) == []


def der_signature(rs):
    """r || s (32 bytes each) as the DER SEQUENCE of two INTEGERs openssl reads."""
    def integer(raw):
        raw = raw.lstrip(b"\0") or b"\0"
        if raw[0] & 0x80:
            raw = b"\0" + raw
        return b"\x02" + bytes([len(raw)]) + raw
    body = integer(rs[:32]) + integer(rs[32:])
    return b"\x30" + bytes([len(body)]) + body


def test_keygen_and_a_signed_release_through_the_command_line(publisher, tmp_path):
    release, out, keys = tmp_path / "release", tmp_path / "public", tmp_path / "keys"
    release.mkdir()
    (release / "app.exe").write_bytes(APP)
    (release / "release.ini").write_text(GOOD_INI, encoding="utf-8")
    secret = dict(os.environ, QUIBO_KEY_PASSPHRASE="two words")

    made = subprocess.run([str(publisher), "keygen", "--out", str(keys)], env=secret, capture_output=True,
                          text=True, timeout=60)
    assert made.returncode == 0, made.stderr
    assert (keys / "release.key").stat().st_mode & 0o777 == 0o600
    again = subprocess.run([str(publisher), "keygen", "--out", str(keys)], env=secret, capture_output=True,
                           text=True, timeout=60)
    assert again.returncode == 2 and "cannot be recovered" in again.stderr, again.stderr

    args = ["--release", release, "--url", "http://127.0.0.1/p", "--out", out, "--key", keys / "release.key",
            "--client", "--expires-days", "7"]
    locked = publish(publisher, *args)  # the passphrase is not in this environment
    assert locked.returncode == 2 and "QUIBO_KEY_PASSPHRASE" in locked.stderr, locked.stderr
    assert not out.exists() or list(out.iterdir()) == []
    done = subprocess.run([str(publisher), *map(str, args)], env=secret, capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr

    # openssl itself checks the signature over the message rebuilt from the
    # archive's central directory.
    with zipfile.ZipFile(out / "server.bin") as z:
        names = [info.filename for info in z.infolist()]
        assert names == ["server.dat", "server.sig"]
        message = b"".join(n.encode() + b"\0" + len(z.read(n)).to_bytes(8, "little") + z.read(n)
                           for n in names if n != "server.sig")
        sig = z.read("server.sig").decode()
        assert "\r\nexpires=" in z.read("server.dat").decode("gbk")
    rs = bytes.fromhex(sig.split("sig=")[1].split()[0])
    (tmp_path / "message").write_bytes(message)
    (tmp_path / "sig.der").write_bytes(der_signature(rs))
    pub = subprocess.run(["openssl", "pkey", "-in", keys / "release.key", "-passin", "env:QUIBO_KEY_PASSPHRASE",
                          "-pubout", "-out", tmp_path / "pub.pem"], env=secret, capture_output=True, text=True)
    assert pub.returncode == 0, pub.stderr
    verify = ["openssl", "dgst", "-sha256", "-verify", tmp_path / "pub.pem", "-signature", tmp_path / "sig.der"]
    assert subprocess.run([*verify, tmp_path / "message"], capture_output=True).returncode == 0
    (tmp_path / "message").write_bytes(message.replace(b"sequence=1", b"sequence=9"))
    assert subprocess.run([*verify, tmp_path / "message"], capture_output=True).returncode != 0

    client = client_dat(out / "update.bin")
    pubkey = (keys / "release.pub").read_text().strip()
    assert f"pubkey={pubkey}\r\nproduct=release\r\nsequence=1\r\n" in client, client
