"""The program itself: a real 32-bit Windows GUI executable that runs under
Wine on its own and writes its run log."""
import re
import subprocess

import pytest

from conftest import ROOT, Product

# The shipped program is always the 32-bit build, whichever build the tests run.
PRODUCT = ROOT / "build" / "win" / "update.exe"

STAMP = re.compile(rb"^\d\d:\d\d:\d\d    ", re.M)


def test_is_a_32bit_gui_executable_needing_no_dll_of_ours():
    described = subprocess.run(["file", str(PRODUCT)], capture_output=True, text=True).stdout
    assert "PE32 executable (GUI) Intel 80386" in described
    imports = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(PRODUCT)],
                             capture_output=True, text=True).stdout
    dlls = {line.split()[-1].lower() for line in imports.splitlines() if "DLL Name:" in line}
    assert dlls and all(not d.startswith(("libgcc", "libstdc", "libwinpthread", "zlib")) for d in dlls), dlls


def offline_package(product):
    """Logging on, and a server that is not there: a short run with no box."""
    product.write_package({
        "pre.dat": "[pre]\ncloselog=0\n",
        "client.dat": "[system]\nurls=url0=http://127.0.0.1:1/server.bin\n",
    })


def test_runs_alone_and_appends_its_log_across_runs(product):
    offline_package(product)
    assert product.run().returncode == 0
    first = product.log_bytes()
    assert first, "no client.log written"
    assert product.run().returncode == 0
    both = product.log_bytes()
    assert both.startswith(first) and len(both) == 2 * len(first)
    # Every line stamped once and ended with CR LF, in code page 936.
    lines = both.split(b"\r\n")
    assert lines[-1] == b"" and all(STAMP.match(line) for line in lines[:-1])
    assert "（版本：V1.0）".encode("gbk") in both


@pytest.mark.parametrize("system", [
    {"UPDATER_WINE_CTYPE": "C.UTF-8"},  # Western: code page 1252, no lead bytes
    {"UPDATER_WINE_FORMATS": "en_US.UTF-8"},  # Chinese code page, English formats
])
def test_runs_from_a_folder_with_an_accented_name(tmp_path, system):
    product = Product(tmp_path / "Café" / "product")
    offline_package(product)
    assert product.run(env=system).returncode == 0
    assert "（版本：V1.0）".encode("gbk") in product.log_bytes(), "the run ended before its log"


def test_host_starts_the_updater_and_waits_for_it(product):
    offline_package(product)
    run = product.run_host("/HWND:{hwnd}")
    assert run.exit_code == 0
    assert run.codes() == [-5, 4]
    assert product.log_path.exists()
