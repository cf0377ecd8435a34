#!/usr/bin/env bash
# Makes the zip archives under tests/native/fixtures/zip/ with the reference
# tools (Info-ZIP zip and Python's zipfile). Run once; the archives are
# committed so the tests need neither tool. The member contents follow the
# rules in tests/native/zip_test_support.h (TextContent, BinaryContent).
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/tests/native/fixtures/zip"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C TZ=UTC

# The member contents, shared by both Python steps below.
cat > "$work/content.py" <<'PY'
def text():
    return b"".join(b"line %05d: the quick brown fox jumps over the lazy dog\n" % i for i in range(2000))

def binary(n=5000):
    x, out = 1, bytearray()
    for _ in range(n):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)
PY
export PYTHONPATH="$work"

/usr/bin/python3 - "$work/tree" <<'PY'
import os, sys
from content import text, binary
root = sys.argv[1]
files = {
    b"text.txt": text(),
    b"stored.bin": binary(),
    b"empty.txt": b"",
    b"sub/deep/a.txt": b"in a folder\n",
    b"\xd6\xd0\xce\xc4.txt": b"zhongwen\n",            # code page 936 name
    b"\x81\x41.txt": b"trail byte A\n",                 # trail byte looks like 'A'
    b"\x81\x61.txt": b"trail byte a\n",                 # ... and like 'a'
    b"\x81\x5c.txt": b"trail byte backslash\n",         # ... and like '\'
    b"\xc4\xbf\xc2\xbc/\xc5\xe4\xd6\xc3.ini": b"[system]\r\nurls=\r\n",
}
for name, data in files.items():
    path = os.path.join(os.fsencode(root), name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
PY
find "$work/tree" -exec touch -h -d '2021-03-04 05:06:08' {} +

# Info-ZIP: deflated text, stored .bin, an empty member, folder members,
# code page 936 names, an archive comment.
( cd "$work/tree" && rm -f "$out/infozip.zip" &&
  zip -q -r -n .bin "$out/infozip.zip" . &&
  printf 'Info-ZIP archive comment' | zip -q -z "$out/infozip.zip" )

# Info-ZIP with traditional encryption; the password is "secret".
( cd "$work/tree" && rm -f "$out/encrypted.zip" &&
  zip -q -n .bin -P secret "$out/encrypted.zip" text.txt stored.bin empty.txt )

/usr/bin/python3 - "$out" <<'PY'
import io, sys, zipfile
from content import text, binary
out = sys.argv[1]
when = (2022, 7, 8, 9, 10, 12)

def info(name, method):
    zi = zipfile.ZipInfo(name, when)
    zi.compress_type = method
    zi.external_attr = 0o644 << 16
    return zi

def members(z):
    z.writestr(info("Dir/", zipfile.ZIP_STORED), b"")
    z.writestr(info("Dir/Nested/", zipfile.ZIP_STORED), b"")
    z.writestr(info("Dir/Nested/Text.TXT", zipfile.ZIP_DEFLATED), text(), compresslevel=9)
    z.writestr(info("stored.bin", zipfile.ZIP_STORED), binary())
    z.writestr(info("empty.txt", zipfile.ZIP_DEFLATED), b"")

# A 65535-byte comment, the longest there is.
comment = b"".join(b"comment %05d\n" % i for i in range(5100))[:65535]
with zipfile.ZipFile(f"{out}/python.zip", "w") as z:
    members(z)
    z.comment = comment

# Written to a stream that cannot seek: every member gets a data descriptor.
class Unseekable(io.RawIOBase):
    def __init__(self): self.data = bytearray()
    def writable(self): return True
    def write(self, b): self.data += b; return len(b)
    def seekable(self): return False
    def tell(self): raise OSError("unseekable")
sink = Unseekable()
with zipfile.ZipFile(sink, "w") as z:
    members(z)
with open(f"{out}/python_stream.zip", "wb") as f:
    f.write(sink.data)

# Names that try to leave the target folder, and one harmless member.
with zipfile.ZipFile(f"{out}/unsafe.zip", "w") as z:
    for name in ["ok.txt", "../evil.txt", "a/../../evil.txt", "/abs.txt",
                 "C:/drive.txt", "..\\evil.txt", "sub\\..\\..\\evil.txt", "c:evil.txt"]:
        zi = zipfile.ZipInfo("x", when)
        zi.filename = name  # as given, past ZipInfo's own clean-up
        z.writestr(zi, b"payload\n")
PY
ls -l "$out"
