#!/usr/bin/python3
"""Reads a desktop entry as GLib reads it and, given ARGV_FILE, starts it as a desktop's
session starts an autostart entry; prints what it found as JSON.

  desktopentry.py ENTRY [ARGV_FILE]

The program of the entry is to write its arguments, each ended by a zero byte, into
ARGV_FILE (the variable NATALIX_ARGV_FILE tells it where).
"""
import json
import os
import sys
import time

import gi
gi.require_version('Gio', '2.0')
from gi.repository import Gio, GLib  # noqa: E402

GROUP = 'Desktop Entry'


def main():
    path = sys.argv[1]
    argv_file = sys.argv[2] if len(sys.argv) > 2 else None
    keyfile = GLib.KeyFile()
    keyfile.load_from_file(path, GLib.KeyFileFlags.KEEP_TRANSLATIONS)

    def value(key, locale=None):
        try:
            if locale:
                return keyfile.get_locale_string(GROUP, key, locale)
            return keyfile.get_string(GROUP, key)
        except GLib.Error:
            return None

    result = {key: value(key) for key in ('Type', 'Name', 'Comment', 'Icon', 'Hidden', 'Exec')}
    result['Name[de]'] = value('Name', 'de')
    result['Comment[de]'] = value('Comment', 'de')
    # The arguments of the Exec line: unquoted as GLib does, then "%%" is a literal "%".
    if result['Exec']:
        result['argv'] = [a.replace('%%', '%') for a in GLib.shell_parse_argv(result['Exec'])[1]]
    if argv_file:
        os.environ['NATALIX_ARGV_FILE'] = argv_file
        try:
            info = Gio.DesktopAppInfo.new_from_filename(path)
        except TypeError:  # GLib refused the entry
            info = None
        result['loaded'] = info is not None
        result['launched'] = None
        if info is not None and info.launch([], None):
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and not os.path.exists(argv_file):
                time.sleep(0.02)
            if os.path.exists(argv_file):
                with open(argv_file, 'rb') as f:
                    result['launched'] = [a.decode() for a in f.read().split(b'\0')[:-1]]
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == '__main__':
    main()
