"""Signed releases: what the real quibo-publish signs, the real update.exe
under Wine, started by the host program, installs; and every way a served
release can be forged, replayed, outdated or swapped, which the updater must
refuse with a log line naming the check, leaving the product as it was."""
import hashlib
import shutil

import pytest

from conftest import package_members, make_package, resign_server_package, windows_path
from test_download_step import FAILED, ftp_folder  # noqa: F401 (ftp_folder is a fixture)
from test_install import EXITING, NEW_VERSION, NOTHING_NEW, UPDATED, no_leftovers
from test_publish import client_dat, publish, publisher  # noqa: F401 (publisher is a fixture)

NO_SERVER_PACKAGE = -5  # as for a server package that cannot be read
PRODUCT = "quibo-demo"  # the release folder's name, the product's by default
NOT_FETCHED = "错误：下载配置文件失败，可能是配置文件不存在，或解析错误，或网络不通！"
NO_KEY = "注意：客户端配置中没有公钥，服务器端配置包不做签名验证！"
BAD_SIGNATURE = "错误：服务器端配置包的签名验证失败！"


def program(ver):
    """The product's program as release `ver` ships it."""
    return f"MZ program {ver} ".encode() * 3000


def sha256(data):
    return hashlib.sha256(data).hexdigest()


@pytest.fixture(scope="module")
def keys(publisher, tmp_path_factory):  # noqa: F811
    """Two publisher keys made by `quibo-publish keygen`: name -> release.key."""
    made = {}
    for name in ("first", "second"):
        out = tmp_path_factory.mktemp(f"key-{name}")
        done = publish(publisher, "keygen", "--out", out)
        assert done.returncode == 0, f"keygen: {done.stderr}"
        made[name] = out / "release.key"
        assert len(bytes.fromhex(made[name].with_suffix(".pub").read_text().strip())) == 64
    return made


class SignedRelease:
    """The publisher's release folder for the product, published with
    quibo-publish into a served folder; the client package it writes becomes
    the product's."""

    def __init__(self, publisher, product, tmp_path, served, url, folder_item=False):  # noqa: F811
        self.publisher, self.product, self.served, self.url = publisher, product, served, url
        self.folder = tmp_path / PRODUCT
        self.folder.mkdir()
        target = windows_path(product.folder)
        ini = f"[file0]\nfile=app.exe\npath={target}\nshow_type=2\nop_mode=1\n"
        if folder_item:
            for name, data in DATA.items():
                (self.folder / "data" / name).parent.mkdir(parents=True, exist_ok=True)
                (self.folder / "data" / name).write_bytes(data)
            ini += f"[dir0]\nfolder=data\nis_inc_subdir=1\npath={target}\\data\nshow_type=2\nop_mode=1\n"
        (self.folder / "release.ini").write_text(ini + "[UI]\nstart_win=0\n", encoding="utf-8")

    @property
    def server_package(self):
        return self.served / "server.bin"

    def served_file(self, name):
        """A file of the newest release folder the publisher wrote."""
        return max(self.served.glob("release-*"), key=lambda p: int(p.name.split("-")[1])) / name

    def publish(self, ver, *keys, client=False, extra=()):
        """Publishes `ver`, signed with `keys`; with `client`, the product
        gets the client package (trusting `keys`, every item at 1.0.0)."""
        (self.folder / "app.exe").write_bytes(program(ver))
        args = ["--release", self.folder, "--url", self.url, "--out", self.served, "--ver", ver, *extra]
        for key in keys:
            args += ["--key", key]
        if client:
            args += ["--client", "--client-ver", "1.0.0"]
        done = publish(self.publisher, *args)
        assert done.returncode == 0, done.stderr
        if client:
            shutil.move(self.served / "update.bin", self.product.package)


DATA = {"a.dll": b"library a" * 100, "sub/b.dll": b"library b" * 200}


@pytest.fixture
def release(publisher, product, www, tmp_path):  # noqa: F811
    return SignedRelease(publisher, product, tmp_path, *www)


@pytest.fixture
def folder_release(publisher, product, ftp_folder, tmp_path):  # noqa: F811
    """A release with a folder item, served by the FTP server (an updater
    lists a folder item's folder, which HTTP cannot do)."""
    served, url = ftp_folder
    return SignedRelease(publisher, product, tmp_path, served, url.replace("ftp://", "ftp://updater:secret@"),
                         folder_item=True)


def system_value(client, key):
    """`key` of [system] in client.dat's text, None when absent."""
    section = None
    for line in client.splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif section == "system" and line.startswith(key + "="):
            return line[len(key) + 1:]
    return None


def product_digest(product):
    """SHA-256 of every file of the product folder but the run log, and its folders."""
    return {p.relative_to(product.folder).as_posix(): sha256(p.read_bytes()) if p.is_file() else "folder"
            for p in sorted(product.folder.rglob("*")) if p != product.log_path}


def rewrite(package, edit):
    """Rewrites a package with `edit` applied to its (name, bytes) members,
    server.sig among them, as they are."""
    make_package(package, edit(package_members(package)))


def edit_member(name, change):
    def edit(members):
        edited = [(n, change(d) if n == name else d) for n, d in members]
        assert edited != members, f"{name} was not changed"
        return edited
    return edit


# name -> (client keys, signing keys of the release served)
INSTALLS = {
    "a good release": (["first"], ["first"]),
    "a client with two keys, a release signed by the second": (["first", "second"], ["second"]),
    "a client without a key, an unsigned release": ([], []),
}


@pytest.mark.parametrize("client_keys, signing_keys", INSTALLS.values(), ids=INSTALLS)
def test_a_release_the_client_trusts_is_installed_and_its_sequence_recorded(release, product, keys, client_keys,
                                                                           signing_keys):
    # The client package comes with release 1; release 2 is the one installed.
    release.publish("1.5.0", *(keys[k] for k in client_keys), client=True)
    assert (system_value(client_dat(product.package), "pubkey") is not None) == bool(client_keys)
    release.publish("2.0.0", *(keys[k] for k in signing_keys))

    run = product.run_host()
    lines = product.log_lines()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING], lines
    assert (product.folder / "app.exe").read_bytes() == program("2.0.0")
    assert no_leftovers(product) == []
    client = client_dat(product.package)
    assert "[file0]\r\nver=2.0.0\r\n" in client, client
    if client_keys:
        assert system_value(client, "sequence") == "2", client
        assert NO_KEY not in lines
    else:
        assert lines.count(NO_KEY) == 1, lines
    # The recorded sequence is the one served: the same release is taken again.
    again = product.run_host()
    assert again.codes() == [NOTHING_NEW, EXITING], product.log_lines()


def refused(product, before, run, codes, said):
    lines = product.log_lines()
    assert run.codes() == codes, lines
    assert said in lines, lines
    assert product_digest(product) == before
    assert no_leftovers(product) == []
    return lines


def replayed_after_a_newer_one(release, product, keys):
    """Release 1 (a tempting 9.0.0) saved; release 2 installed; release 1 served again."""
    release.publish("9.0.0", keys["first"], client=True)
    old = release.server_package.read_bytes()
    release.publish("2.0.0", keys["first"])
    assert product.run_host().codes() == [NEW_VERSION, UPDATED, EXITING], product.log_lines()
    release.server_package.write_bytes(old)
    return "错误：服务器端配置包的序号1小于已安装的序号2！"


def signed_then(change):
    """Release 2.0.0 signed with the client's key, then `change`d (release, keys) -> the log line."""
    def prepare(release, product, keys):
        release.publish("2.0.0", keys["first"], client=True)
        return change(release, keys)
    return prepare


def changed_byte(release, keys):
    rewrite(release.server_package, edit_member("server.dat", lambda d: d.replace(b"ver=2.0.0", b"ver=2.0.1", 1)))
    return BAD_SIGNATURE


def added_member(release, keys):
    rewrite(release.server_package, lambda members: [*members, ("extra.dat", b"[file1]\r\nver=3.0\r\n")])
    return BAD_SIGNATURE


def removed_signature(release, keys):
    rewrite(release.server_package, lambda members: [(n, d) for n, d in members if n != "server.sig"])
    return "错误：服务器端配置包没有签名！"


def another_key(release, keys):
    release.publish("2.0.1", keys["second"])
    return BAD_SIGNATURE


def another_product(release, keys):
    release.publish("2.0.1", keys["first"], extra=["--product", "other-product"])
    return "错误：服务器端配置包属于其他产品：other-product！"


def expired(release, keys):
    def expire(members):
        def meta(text):
            lines = [line for line in text.split(b"\r\n") if not line.startswith(b"expires=")]
            at = lines.index(b"[meta]") + 1
            return b"\r\n".join(lines[:at] + [b"expires=2020-01-01T00:00:00Z"] + lines[at:])
        return edit_member("server.dat", meta)(members)
    resign_server_package(release.server_package, [keys["first"]], expire)
    return "错误：服务器端配置包已过期：2020-01-01T00:00:00Z！"


# name -> prepare(release, product, keys), which returns the log line that names the failed check
PACKAGE_REFUSALS = {
    "a byte of server.dat changed": signed_then(changed_byte),
    "a member added": signed_then(added_member),
    "server.sig removed": signed_then(removed_signature),
    "a signature by another key": signed_then(another_key),
    "another product's signed package": signed_then(another_product),
    "an expired package": signed_then(expired),
    "an older sequence after a newer one was installed": replayed_after_a_newer_one,
}


@pytest.mark.parametrize("prepare", PACKAGE_REFUSALS.values(), ids=PACKAGE_REFUSALS)
def test_a_server_package_the_client_cannot_trust_is_refused_and_nothing_changes(release, product, keys, prepare):
    (product.folder / "app.exe").write_bytes(b"old program")
    said = prepare(release, product, keys)
    before = product_digest(product)

    run = product.run_host()
    lines = refused(product, before, run, [NO_SERVER_PACKAGE, EXITING], said)
    assert NOT_FETCHED in lines


def same_size_other_bytes(signed):
    changed = signed[:-1] + bytes([signed[-1] ^ 1])
    return changed, "错误：已下载文件：app.exe的SHA-256值为：{}，不等于服务器端配置包中的值{}！".format(
        sha256(changed), sha256(signed))


def longer(signed):
    # Cut off at the signed size, and failed there.
    return signed + b"more", f"错误：已下载文件：app.exe的大小超过{len(signed)}字节！"


@pytest.mark.parametrize("serve", [same_size_other_bytes, longer], ids=["the same size", "longer"])
def test_a_served_file_unlike_its_signed_digest_is_never_installed(release, product, keys, serve):
    (product.folder / "app.exe").write_bytes(b"old program")
    release.publish("2.0.0", keys["first"], client=True)
    body, said = serve(program("2.0.0"))
    release.served_file("app.exe").write_bytes(body)
    before = product_digest(product)

    run = product.run_host()
    refused(product, before, run, [NEW_VERSION, FAILED, EXITING], said)


def test_a_folder_item_delivering_a_file_it_does_not_list_is_never_installed(folder_release, product, keys):
    folder_release.publish("2.0.0", keys["first"], client=True)
    planted = folder_release.served_file("data") / "extra.dll"
    planted.write_bytes(b"planted")
    before = product_digest(product)

    run = product.run_host()
    refused(product, before, run, [NEW_VERSION, FAILED, EXITING], "错误：文件夹[dir0]中的文件与签名的清单不符：extra.dll")
    assert not (product.folder / "data").exists()

    # Without the planted file the same release installs.
    planted.unlink()
    run = product.run_host()
    assert run.codes() == [NEW_VERSION, UPDATED, EXITING], product.log_lines()
    assert {p.relative_to(product.folder / "data").as_posix(): p.read_bytes()
            for p in (product.folder / "data").rglob("*") if p.is_file()} == DATA
    assert (product.folder / "app.exe").read_bytes() == program("2.0.0")
