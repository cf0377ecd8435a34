"""tools/test-ports: each build tree gets a block of ports of its own, keeps
it from run to run, and never gets one that another tree holds or that
something else listens on."""
import os
import shutil
import socket
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
TOOL = ROOT / "tools" / "test-ports"


@pytest.fixture
def claims(tmp_path):
    folder = tmp_path / "claims"
    folder.mkdir()
    return folder


def claim(claims, servers, *extra):
    out = subprocess.run([str(TOOL), "claim", str(servers), *extra], check=True, capture_output=True, text=True,
                         env={**os.environ, "UPDATER_PORT_CLAIMS": str(claims)}).stdout
    ports = dict(line.split("=", 1) for line in out.splitlines())
    assert (servers / "ports.env").read_text() == out
    return ports


def server_ports(ports):
    return {int(v) for k, v in ports.items() if k.endswith("_PORT")}


def test_trees_get_blocks_apart_and_keep_them(claims, tmp_path):
    a, b = tmp_path / "a" / "servers", tmp_path / "b" / "servers"
    first_a, first_b = claim(claims, a), claim(claims, b)
    assert first_a["UPDATER_PORT_BLOCK"] != first_b["UPDATER_PORT_BLOCK"]
    passive = [range(int(lo), int(hi) + 1) for lo, hi in
               (p["UPDATER_FTP_PASSIVE_PORTS"].split("-") for p in (first_a, first_b))]
    every_a = server_ports(first_a) | set(passive[0])
    every_b = server_ports(first_b) | set(passive[1])
    assert not every_a & every_b
    assert len(server_ports(first_a)) == 7 and not server_ports(first_a) & set(passive[0])
    # Claimed again, in any order, each keeps its block.
    assert claim(claims, b) == first_b
    assert claim(claims, a) == first_a


def test_a_block_someone_listens_on_is_passed_over(claims, tmp_path):
    probe = claim(claims, tmp_path / "probe" / "servers")
    (tmp_path / "probe" / "servers" / "ports.env").unlink()  # the block is free again
    with socket.socket() as taken:
        taken.bind(("127.0.0.1", int(probe["UPDATER_FTP_PASSIVE_PORTS"].split("-")[0]) + 50))
        taken.listen()
        got = claim(claims, tmp_path / "other" / "servers")
    assert got["UPDATER_PORT_BLOCK"] != probe["UPDATER_PORT_BLOCK"]


def test_a_tree_moves_when_its_block_is_taken_and_its_servers_do_not_run(claims, tmp_path):
    a = tmp_path / "a" / "servers"
    first = claim(claims, a)
    with socket.socket() as taken:
        taken.bind(("127.0.0.1", int(first["UPDATER_HTTP_PORT"])))
        taken.listen()
        # Its own servers listening there: it stays.
        assert claim(claims, a, "--in-use") == first
        moved = claim(claims, a)
    assert moved["UPDATER_PORT_BLOCK"] != first["UPDATER_PORT_BLOCK"]


def test_the_block_of_a_deleted_tree_is_given_out_again(claims, tmp_path):
    gone = tmp_path / "gone" / "servers"
    first = claim(claims, gone)
    shutil.rmtree(gone.parent)
    assert claim(claims, tmp_path / "new" / "servers")["UPDATER_PORT_BLOCK"] == first["UPDATER_PORT_BLOCK"]


def test_servers_and_programs_read_the_ports(tmp_path):
    """The servers take the ports they are given; the Windows tests, the
    scenarios and the scripts read the same file through tools/wine-env.sh."""
    env = tmp_path / "build" / "servers" / "ports.env"
    env.parent.mkdir(parents=True)
    env.write_text("UPDATER_HTTP_PORT=23456\nUPDATER_FTP_PASSIVE_PORTS=23500-23509\n")
    out = subprocess.run(["bash", "-c", f"source {ROOT}/tools/wine-env.sh && updater_load_ports && "
                          "bash -c 'echo $UPDATER_HTTP_PORT $UPDATER_FTP_PASSIVE_PORTS'"],
                         env={**os.environ, "UPDATER_ROOT": str(tmp_path), "UPDATER_WIN_PRESET": "win64"},
                         check=True, capture_output=True, text=True).stdout
    assert out.split() == ["23456", "23500-23509"]
