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


def item(service):
    """The item's properties and its menu's visible entries: (id, label), "-" a separator."""
    p = bus.get_object(service, PATH, introspect=False).GetAll(
        ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
    _, layout = bus.get_object(service, p['Menu']).GetLayout(
        0, -1, dbus.Array([], signature='s'), dbus_interface=MENU)
    return p, [(int(i), '-' if e.get('type') == 'separator' else str(e.get('label', '')))
               for i, e, _ in layout[2] if e.get('visible', True)]


def items():
    found = []
    for (registered,) in calls('org.kde.StatusNotifierWatcher', '/StatusNotifierWatcher',
                               'RegisterStatusNotifierItem'):
        try:
            p, menu = item(registered.split('/')[0])
        except dbus.exceptions.DBusException:
            continue  # an item that has gone since, as a tray drops it
        # The painted icon travels as pixmaps: 16 and 22 pixels at least, none of them blank.
        drawn = [int(w) for w, _, data in p['IconPixmap'] if any(data)]
        found.append({'service': registered.split('/')[0], 'Status': p['Status'],
                      'Title': p['Title'], 'ToolTip': p['ToolTip'][2],
                      'Menu': [label for _, label in menu],
                      'IconDrawn': {16, 22} <= set(drawn) and len(drawn) == len(p['IconPixmap'])})
    return found


def click(service, label):
    entry = next(i for i, text in item(service)[1] if text == label)
    bus.get_object(service, item(service)[0]['Menu']).Event(
        entry, 'clicked', dbus.Int32(0, variant_level=1), dbus.UInt32(int(time.time())),
        dbus_interface=MENU)
    return entry


def activate(service):
    return bus.get_object(service, PATH).Activate(0, 0, dbus_interface=ITEM) is None


command = {'calls': calls, 'items': items, 'click': click, 'activate': activate}[sys.argv[1]]
json.dump(command(*sys.argv[2:]), sys.stdout, ensure_ascii=False)
