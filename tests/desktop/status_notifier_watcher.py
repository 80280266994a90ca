'''python-dbusmock template: the watcher of a desktop's tray. It says a host (the tray) is
there and takes and announces every item that registers; which did is in the call log.'''
import dbus

BUS_NAME = MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({
        'IsStatusNotifierHostRegistered': dbus.Boolean(True), 'ProtocolVersion': dbus.Int32(0),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s')}, signature='sv'))
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '',
         f'self.EmitSignal("{MAIN_IFACE}", "StatusNotifierItemRegistered", "s", [args[0]])'),
        ('RegisterStatusNotifierHost', 's', '', '')])
