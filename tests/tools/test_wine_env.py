"""tools/wine-env.sh: each build tree runs its Windows programs on an X
display of its own and stops only the X server it started itself."""
import os
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]


def shell(tree, script, display_num=None):
    env = {**os.environ, "UPDATER_ROOT": str(tree), "UPDATER_WIN_PRESET": "win64"}
    env.pop("UPDATER_DISPLAY_NUM", None)
    if display_num is not None:
        env["UPDATER_DISPLAY_NUM"] = str(display_num)
    return subprocess.run(["bash", "-c", f"source {ROOT}/tools/wine-env.sh && {script}"], env=env,
                          check=True, capture_output=True, text=True, timeout=60).stdout.strip()


def display_of(tree, **kw):
    return shell(tree, "updater_ensure_display && echo $DISPLAY", **kw)


def answers(display):
    return subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0


@pytest.fixture
def trees(tmp_path):
    made = [tmp_path / "a", tmp_path / "b"]
    yield made
    for tree in made:
        shell(tree, "updater_stop_wine")


def test_trees_get_displays_of_their_own_and_stop_only_theirs(trees):
    a, b = trees
    display_a, display_b = display_of(a), display_of(b)
    assert display_a != display_b
    assert answers(display_a) and answers(display_b)
    assert display_of(a) == display_a, "a second program of the tree starts a second X server"

    shell(a, "updater_stop_wine")
    assert not answers(display_a)
    assert answers(display_b)


def test_a_display_asked_for_is_used_and_left_running(trees):
    a, b = trees
    display_b = display_of(b)
    assert display_of(a, display_num=display_b[1:]) == display_b
    shell(a, "updater_stop_wine")
    assert answers(display_b), "stopped an X server it did not start"


def test_an_x_server_started_under_a_lock_does_not_keep_it(trees, tmp_path):
    a, _ = trees
    lock = tmp_path / "servers.lock"
    shell(a, f"flock {lock} bash -c 'source {ROOT}/tools/wine-env.sh && updater_ensure_display'")
    assert answers(display_of(a)), "the X server should outlive the locked command"
    free = subprocess.run(["flock", "-n", str(lock), "true"]).returncode == 0
    assert free, "the X server holds the lock of the command that started it"
