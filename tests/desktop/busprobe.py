#!/usr/bin/python3
"""Reads what the program put on the session bus, as a desktop would, and prints it as JSON.

  busprobe.py calls NAME PATH METHOD      the calls a python-dbusmock object received
  busprobe.py items                       every tray item the watcher took that is still
                                          there, with its properties and its menu
  busprobe.py activate SERVICE            a left click on the tray item
  busprobe.py click SERVICE LABEL         a click on the item's menu entry LABEL
"""
import json
import sys
import time

import dbus

WATCHER = ('org.kde.StatusNotifierWatcher', '/StatusNotifierWatcher')
ITEM_IFACE = 'org.kde.StatusNotifierItem'
ITEM_PATH = '/StatusNotifierItem'
MENU_IFACE = 'com.canonical.dbusmenu'


def plain(value):
    """A D-Bus value as JSON: bytes arrays by their length only."""
    if isinstance(value, dbus.Array) and value.signature == 'y':
        return {'bytes': len(value)}
    if isinstance(value, (dbus.Array, list, tuple, dbus.Struct)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Byte, dbus.Int16, dbus.Int32, dbus.Int64, dbus.UInt16,
                          dbus.UInt32, dbus.UInt64, int)):
        return int(value)
    if isinstance(value, (dbus.Double, float)):
        return float(value)
    return str(value)


def calls(bus, name, path, method):
    mock = dbus.Interface(bus.get_object(name, path), 'org.freedesktop.DBus.Mock')
    return [plain(args) for _, args in mock.GetMethodCalls(method)]


def item_service(registered):
    # An item registers by its service name, or by its path from its own connection.
    return registered.split('/', 1)[0] if not registered.startswith('/') else registered


def menu_entries(bus, service, menu_path):
    """The visible entries of the item's menu: (id, label), "-" for a separator."""
    menu = dbus.Interface(bus.get_object(service, menu_path), MENU_IFACE)
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature='s'))
    entries = []
    for ident, props, _ in layout[2]:
        if not props.get('visible', True):
            continue
        separator = props.get('type') == 'separator'
        entries.append((int(ident), '-' if separator else str(props.get('label', ''))))
    return entries


def items(bus):
    found = []
    for (registered,) in calls(bus, *WATCHER, 'RegisterStatusNotifierItem'):
        service = item_service(registered)
        try:
            props = bus.get_object(service, ITEM_PATH, introspect=False).GetAll(
                ITEM_IFACE, dbus_interface='org.freedesktop.DBus.Properties')
        except dbus.exceptions.DBusException:
            continue  # an item that has gone since, as a tray drops it

        item = {'service': service, 'properties': plain(props)}
        # Each pixmap as [width, height, whether any pixel is drawn].
        item['pixmaps'] = [[int(w), int(h), any(b != 0 for b in data)]
                           for w, h, data in props.get('IconPixmap', [])]
        item['toolTip'] = str(props['ToolTip'][2]) if 'ToolTip' in props else None
        if 'Menu' in props:
            item['menu'] = [label for _, label in menu_entries(bus, service, str(props['Menu']))]
        found.append(item)
    return found


def main():
    bus = dbus.SessionBus()
    command = sys.argv[1]
    if command == 'calls':
        result = calls(bus, sys.argv[2], sys.argv[3], sys.argv[4])
    elif command == 'items':
        result = items(bus)
    elif command == 'activate':
        item = dbus.Interface(bus.get_object(sys.argv[2], ITEM_PATH), ITEM_IFACE)
        item.Activate(dbus.Int32(0), dbus.Int32(0))
        result = True
    elif command == 'click':
        service, label = sys.argv[2], sys.argv[3]
        props = bus.get_object(service, ITEM_PATH).GetAll(
            ITEM_IFACE, dbus_interface='org.freedesktop.DBus.Properties')
        menu_path = str(props['Menu'])
        ident = next(i for i, text in menu_entries(bus, service, menu_path) if text == label)
        menu = dbus.Interface(bus.get_object(service, menu_path), MENU_IFACE)
        menu.Event(dbus.Int32(ident), 'clicked', dbus.Int32(0, variant_level=1),
                   dbus.UInt32(int(time.time())))
        result = ident
    else:
        sys.exit(f'busprobe: unknown command {command}')
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == '__main__':
    main()
