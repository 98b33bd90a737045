'''A StatusNotifierWatcher stand-in for python3-dbusmock: a panel that takes
tray items, as KDE Plasma's or the AppIndicator extension's watcher does.'''

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
        'IsStatusNotifierHostRegistered': True,
        'ProtocolVersion': dbus.Int32(0),
    })
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierHost', 's', '', ''),
        ('RegisterStatusNotifierItem', 's', '',
         'service = args[0]\n'
         'items = self.Get("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems")\n'
         'self.Set("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems", dbus.Array(list(items) + [service], signature="s"))\n'
         'self.EmitSignal("org.kde.StatusNotifierWatcher", "StatusNotifierItemRegistered", "s", [service])'),
    ])
