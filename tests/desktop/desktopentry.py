#!/usr/bin/python3
"""desktopentry.py ENTRY [ARGV_FILE]: the entry as desktop-file-validate and GLib read it and,
given ARGV_FILE, what a desktop session started from it: its program is to write its arguments,
each ended by a zero byte, into $NATALIX_ARGV_FILE. Prints what it found as JSON."""
import json, os, subprocess, sys, time  # noqa: E401
import gi
gi.require_version('Gio', '2.0')
from gi.repository import Gio, GLib  # noqa: E402

path, argv_file, GROUP = sys.argv[1], (sys.argv[2:] or [''])[0], 'Desktop Entry'
keyfile = GLib.KeyFile()
keyfile.load_from_file(path, GLib.KeyFileFlags.KEEP_TRANSLATIONS)
keys = ('Type', 'Name', 'Name[de]', 'Comment', 'Comment[de]', 'Icon', 'Hidden', 'Exec')
found = {k: keyfile.get_string(GROUP, k) if k in keyfile.get_keys(GROUP)[0] else None for k in keys}
check = subprocess.run(['desktop-file-validate', path], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
found['problems'] = check.stdout + ('' if check.returncode == 0 else 'failed')
# The arguments of the Exec line: unquoted as GLib does, then "%%" is a literal "%".
found['argv'] = [a.replace('%%', '%') for a in GLib.shell_parse_argv(found.pop('Exec'))[1]]
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
