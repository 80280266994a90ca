#!/usr/bin/env python3
"""What the metainfo promises that its validator does not check, against the unpacked package.

Usage: check_metainfo.py METAINFO ROOT VERSION SCREENSHOT_DIR
Prints each problem and exits 1 when there is one.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def problems(path, root, version, shots):
    meta = ET.parse(path).getroot()
    cid = meta.findtext("id")
    if os.path.basename(path) != f"{cid}.metainfo.xml":
        yield f"file name does not carry the id {cid}"
    for what in ["project_license", "content_rating", "categories/category"]:
        if meta.find(what) is None:
            yield f"no {what}"
    for what in ["summary", "description/p"]:
        if not {None, "de"} <= {e.get(LANG) for e in meta.findall(what)}:
            yield f"{what} not in English and German"
    if meta.findtext("launchable[@type='desktop-id']") != f"{cid}.desktop":
        yield "launchable is not the desktop entry"
    entry = os.path.join(root, "usr/share/applications", f"{cid}.desktop")
    if not os.path.isfile(entry):
        yield f"no desktop entry {cid}.desktop"
    else:
        icon = re.search(r"^Icon=(.*)$", open(entry, encoding="utf-8").read(), re.M).group(1)
        if not os.path.isfile(os.path.join(root, "usr/share/icons/hicolor/scalable/apps", f"{icon}.svg")):
            yield f"no icon {icon}"
    # Windows and notifications name the entry by this id (a UTF-16 literal in the window module).
    modules = [os.path.join(d, "natalix_window.so") for d, _, f in os.walk(root) if "natalix_window.so" in f]
    if not modules or cid.encode("utf-16-le") not in open(modules[0], "rb").read():
        yield f"the window module does not name the desktop entry {cid}"
    binaries = [b.text for b in meta.findall("provides/binary")]
    if not binaries or not all(os.path.isfile(os.path.join(root, "usr/bin", b)) for b in binaries):
        yield f"provided binaries {binaries} not all in /usr/bin"
    newest = meta.find("releases/release")
    if newest is None or newest.get("version") != version:
        yield f"the newest release is not {version}"
    # A release publishes the screenshots of docs/screenshots under its version.
    home = meta.findtext("url[@type='homepage']")
    published = re.escape(f"{home}/releases/{version}/screenshots/")
    screenshots = meta.findall("screenshots/screenshot")
    if not screenshots:
        yield "no screenshot"
    for shot in screenshots:
        url = shot.findtext("image") or ""
        name = re.fullmatch(published + r"([^/]+)", url)
        if not name or not os.path.isfile(os.path.join(shots, name.group(1))):
            yield f"screenshot {url} is not a file of {shots} published with {version}"
        if not any(c.get(LANG) is None for c in shot.findall("caption")):
            yield f"screenshot {url} has no caption"


def main():
    found = list(problems(*sys.argv[1:]))
    for p in found:
        print(f"metainfo: {p}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
