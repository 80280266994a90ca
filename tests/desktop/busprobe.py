#!/usr/bin/python3
"""busprobe.py calls NAME PATH METHOD | items | activate SERVICE | click SERVICE LABEL: what a
python-dbusmock object was called with, the tray items, a click on one or on its menu (JSON)."""
import json, sys, time  # noqa: E401
import dbus

PATH, ITEM, MENU = '/StatusNotifierItem', 'org.kde.StatusNotifierItem', 'com.canonical.dbusmenu'
bus = dbus.SessionBus()


def calls(name, path, method):
    mock = dbus.Interface(bus.get_object(name, path), 'org.freedesktop.DBus.Mock')
    return [args for _, args in mock.GetMethodCalls(method)]  # D-Bus values are JSON's types


def properties(service):
    return bus.get_object(service, PATH, introspect=False).GetAll(
        ITEM, dbus_interface='org.freedesktop.DBus.Properties')


def menu(service, path):
    """The visible entries of the item's menu: (id, label), "-" for a separator."""
    _, layout = bus.get_object(service, path).GetLayout(
        0, -1, dbus.Array([], signature='s'), dbus_interface=MENU)
    return [(int(i), '-' if p.get('type') == 'separator' else str(p.get('label', '')))
            for i, p, _ in layout[2] if p.get('visible', True)]


def items():
    found = []
    for (registered,) in calls('org.kde.StatusNotifierWatcher', '/StatusNotifierWatcher',
                               'RegisterStatusNotifierItem'):
        service = registered.split('/')[0]
        try:
            p = properties(service)
        except dbus.exceptions.DBusException:
            continue  # an item that has gone since, as a tray drops it
        # The painted icon travels as pixmaps: 16 and 22 pixels at least, none of them blank.
        drawn = [int(w) for w, _, data in p['IconPixmap'] if any(data)]
        found.append({'service': service, 'Status': str(p['Status']), 'Title': str(p['Title']),
                      'ToolTip': str(p['ToolTip'][2]),
                      'Menu': [label for _, label in menu(service, p['Menu'])],
                      'IconDrawn': {16, 22} <= set(drawn) and len(drawn) == len(p['IconPixmap'])})
    return found


def click(service, label):
    path = properties(service)['Menu']
    entry = next(i for i, text in menu(service, path) if text == label)
    bus.get_object(service, path).Event(entry, 'clicked', dbus.Int32(0, variant_level=1),
                                        dbus.UInt32(int(time.time())), dbus_interface=MENU)
    return entry


def activate(service):
    return bus.get_object(service, PATH).Activate(0, 0, dbus_interface=ITEM) is None


command = {'calls': calls, 'items': items, 'click': click, 'activate': activate}[sys.argv[1]]
json.dump(command(*sys.argv[2:]), sys.stdout, ensure_ascii=False)
