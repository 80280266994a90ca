#!/usr/bin/python3
"""Reads a desktop entry as desktop-file-validate and GLib read it and, given ARGV_FILE,
starts it as a desktop session starts an autostart entry; prints what it found as JSON.
The entry's program is to write its arguments, each ended by a zero byte, into
$NATALIX_ARGV_FILE.    Usage: desktopentry.py ENTRY [ARGV_FILE]
"""
import json
import os
import subprocess
import sys
import time

import gi
gi.require_version('Gio', '2.0')
from gi.repository import Gio, GLib  # noqa: E402

path, argv_file = sys.argv[1], (sys.argv[2:] or [''])[0]
keyfile = GLib.KeyFile()
keyfile.load_from_file(path, GLib.KeyFileFlags.KEEP_TRANSLATIONS)


def value(key):
    try:
        return keyfile.get_string('Desktop Entry', key)
    except GLib.Error:
        return None


found = {key: value(key) for key in ('Type', 'Name', 'Name[de]', 'Comment', 'Comment[de]',
                                     'Icon', 'Hidden')}
check = subprocess.run(['desktop-file-validate', path], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
found['problems'] = check.stdout + ('' if check.returncode == 0 else 'failed')
# The arguments of the Exec line: unquoted as GLib does, then "%%" is a literal "%".
found['argv'] = [a.replace('%%', '%') for a in GLib.shell_parse_argv(value('Exec'))[1]]
if argv_file:
    os.environ['NATALIX_ARGV_FILE'] = argv_file
    try:
        info = Gio.DesktopAppInfo.new_from_filename(path)
    except TypeError:  # GLib refused the entry
        info = None
    found['loaded'], found['launched'] = info is not None, None
    if info is not None and info.launch([], None):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not os.path.exists(argv_file):
            time.sleep(0.02)
        if os.path.exists(argv_file):
            with open(argv_file, 'rb') as f:
                found['launched'] = [a.decode() for a in f.read().split(b'\0')[:-1]]
json.dump(found, sys.stdout, ensure_ascii=False)
