#!/usr/bin/python3
"""What scripts/demo shows after its run, and its verdict.

  demo_report.py snapshot PRODUCT OUT.json
      records every file of the product folder (size, md5) and the versions
      in client.dat of its update.bin
  demo_report.py report PRODUCT RELEASE BEFORE.json HOST_OUTPUT VERSION
      prints the files before and after, the versions, and the messages the
      host received with their meaning; exits 1 with one line saying why
      when the product does not hold the release's bytes, or client.dat
      does not give every item VERSION.

The release is read as quibo-publish reads it (release.ini beside its files),
so the verdict follows what was published, not what the demo meant to."""
import hashlib
import json
import sys
import zipfile
from pathlib import Path

HOST_CODES = {  # 2023's wParam
    -5: "no server configuration could be had (no network)",
    -1: "the skin (ui.dat) could not be read",
    1: "updated",
    2: "nothing newer",
    3: "newer version found",
    4: "the updater is exiting",
    -2: "the user left before the download",
    -3: "the user left during the download",
    -4: "the user left after the download",
}
PROGRESS = {2020: "download progress of a file (size, bytes done)",
            2021: "download progress of a file (100, percent)",
            2022: "progress over all items (items x 100, done x 100)"}


def md5(data):
    return hashlib.md5(data).hexdigest()


def client_versions(package):
    """[section] -> ver from client.dat of the configuration package."""
    try:
        with zipfile.ZipFile(package) as z:
            text = z.read("client.dat").decode("gbk")
    except (OSError, KeyError, zipfile.BadZipFile):
        return {}
    versions, section = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif section and section != "system" and line.partition("=")[0].strip() == "ver":
            versions[section] = line.partition("=")[2].strip()
    return versions


def snapshot(product):
    files = {p.relative_to(product).as_posix(): [p.stat().st_size, md5(p.read_bytes())]
             for p in sorted(product.rglob("*")) if p.is_file()}
    return {"files": files, "versions": client_versions(product / "update.bin")}


def read_release(release):
    """(section, keys) of every item in release.ini, in order."""
    items, keys = [], None
    for raw in (release / "release.ini").read_text(encoding="utf-8").splitlines():
        line = raw.strip()
        if not line or line[0] in ";#":
            continue
        if line.startswith("["):
            name = line[1:-1]
            keys = {} if name.startswith(("file", "dir")) else None
            if keys is not None:
                items.append((name, keys))
        elif keys is not None:
            key, _, value = line.partition("=")
            keys[key.strip()] = value.strip()
    return items


def installed_folder(path, product):
    """The product's folder for an item's path (only {parent} paths are the demo's)."""
    assert path.startswith("{parent}"), f"the demo installs below {{parent}} only, not {path}"
    return Path(product.parent, *[p for p in path[len("{parent}"):].split("\\") if p])


def expected_files(product, release):
    """Product file -> the bytes the release puts there."""
    wanted = {}
    for _, keys in read_release(release):
        source = release / keys["file"]
        folder = installed_folder(keys["path"], product)
        if keys.get("uncompress") == "1":
            with zipfile.ZipFile(source) as z:
                for member in z.infolist():
                    if not member.is_dir():
                        wanted[folder / member.filename] = z.read(member)
        else:
            wanted[folder / keys.get("rename", keys["file"])] = source.read_bytes()
    return wanted


def faults(product, release, version):
    """Why the product is not the release, in a few words: empty when it is."""
    files = []
    for target, data in expected_files(product, release).items():
        name = target.relative_to(product).as_posix()
        if not target.is_file():
            files.append(f"{name} is missing")
        elif target.read_bytes() != data:
            files.append(f"{name} differs from the release")
    versions = client_versions(product / "update.bin")
    stale = [f"[{section}] ver={versions.get(section, '(none)')}" for section, _ in read_release(release)
             if versions.get(section) != version]
    found = []
    if files:
        found.append(files[0] + (f" (and {len(files) - 1} more files)" if len(files) > 1 else ""))
    if stale:
        found.append(f"client.dat {stale[0]}" + (f" (and {len(stale) - 1} more items)" if len(stale) > 1 else "") +
                     f", not {version}")
    return found


def describe(entry):
    return "-" if entry is None else f"{entry[0]:>8} B  md5 {entry[1][:12]}"


def files_table(before, after):
    names = sorted(set(before) | set(after))
    width = max(len(n) for n in names)
    lines = [f"{'file':<{width}}  {'before (1.0)':<27}  {'after':<27}  change"]
    for name in names:
        old, new = before.get(name), after.get(name)
        change = "new" if old is None else "removed" if new is None else "same" if old == new else "changed"
        lines.append(f"{name:<{width}}  {describe(old):<27}  {describe(new):<27}  {change}")
    return lines


def host_lines(host_output):
    """The 2023 codes with their meaning; progress messages counted, with the last."""
    messages = []
    for line in host_output.decode("gbk", "replace").splitlines():
        parts = line.split()
        if len(parts) == 3 and all(p.lstrip("-").isdigit() for p in parts):
            messages.append(tuple(map(int, parts)))
    lines, progress = [], {}
    for message, w, l in messages:
        if message == 2023:
            for m, (count, last) in sorted(progress.items()):
                lines.append(f"{m} ... {PROGRESS[m]}: {count} times, the last {m} {last[0]} {last[1]}")
            progress = {}
            lines.append(f"2023 {w} {HOST_CODES.get(w, 'unknown code')}")
        elif message in PROGRESS:
            count, _ = progress.get(message, (0, None))
            progress[message] = (count + 1, (w, l))
    return lines or ["(nothing: the host received no message)"]


def report(product, release, before_file, host_file, version):
    before = json.loads(before_file.read_text())
    after = snapshot(product)
    print(f"--- the demo product's files ({product})")
    print("\n".join(files_table(before["files"], after["files"])))
    print("--- versions in client.dat of update.bin")
    for section in sorted(set(before["versions"]) | set(after["versions"])):
        print(f"[{section}] ver {before['versions'].get(section, '-')} -> {after['versions'].get(section, '-')}")
    print("--- the host program received (message wParam: meaning)")
    print("\n".join(host_lines(host_file.read_bytes())))
    found = faults(product, release, version)
    if found:
        print(f"demo: FAILED: the demo product was not updated to {version}: " + "; ".join(found))
        return 1
    print(f"demo: the demo product was updated to {version}: every file is the release's and client.dat says so")
    return 0


def main(argv):
    if len(argv) == 3 and argv[0] == "snapshot":
        Path(argv[2]).write_text(json.dumps(snapshot(Path(argv[1]))))
        return 0
    if len(argv) == 6 and argv[0] == "report":
        return report(Path(argv[1]), Path(argv[2]), Path(argv[3]), Path(argv[4]), argv[5])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
