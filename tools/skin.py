"""The default skin as members of a configuration package, for tests and the demo."""
import os

# What the build's default_skin target leaves in <build>/skin (tools/make_skin.py).
SKIN_MEMBERS = ("ui.dat", "header0.bmp", "header1.bmp", "header2.bmp", "header3.bmp", "footer.bmp", "icons.bmp")


def default_skin_members(build_dir):
    """Member name -> bytes of the built default skin: ui.dat already in code
    page 936 with CR LF line ends, the pictures as BMP files. The build tree
    must have been built (target default_skin, which update depends on)."""
    folder = os.path.join(build_dir, "skin")
    members = {}
    for name in SKIN_MEMBERS:
        with open(os.path.join(folder, name), "rb") as f:
            members[name] = f.read()
    return members
