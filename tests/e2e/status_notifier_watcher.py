'''A desktop's tray for the story, as a python-dbusmock template: a
StatusNotifierWatcher with a host registered, so that programs on the
private session bus show tray icons and balloons (the balloons go to the
notification daemon template beside it).'''

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '', ''),
        ('RegisterStatusNotifierHost', 's', '', ''),
    ])
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
    })
