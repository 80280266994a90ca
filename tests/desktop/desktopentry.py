#!/usr/bin/python3
"""desktopentry.py ENTRY: the entry as desktop-file-validate and GLib read it, and whether GLib
takes it for a desktop session to start (it looks for the program first). Prints JSON."""
import json, subprocess, sys  # noqa: E401
import gi
gi.require_version('Gio', '2.0')
from gi.repository import Gio, GLib  # noqa: E402

path, GROUP = sys.argv[1], 'Desktop Entry'
keyfile = GLib.KeyFile()
keyfile.load_from_file(path, GLib.KeyFileFlags.KEEP_TRANSLATIONS)
keys = ('Type', 'Name', 'Name[de]', 'Comment', 'Comment[de]', 'Icon', 'Hidden', 'Exec')
found = {k: keyfile.get_string(GROUP, k) if k in keyfile.get_keys(GROUP)[0] else None for k in keys}
check = subprocess.run(['desktop-file-validate', path], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
found['problems'] = check.stdout + ('' if check.returncode == 0 else 'failed')
# The arguments of the Exec line: unquoted as GLib does, then "%%" is a literal "%".
found['argv'] = [a.replace('%%', '%') for a in GLib.shell_parse_argv(found.pop('Exec'))[1]]
try:
    found['loaded'] = Gio.DesktopAppInfo.new_from_filename(path) is not None
except TypeError:  # GLib refused the entry
    found['loaded'] = False
json.dump(found, sys.stdout, ensure_ascii=False)
