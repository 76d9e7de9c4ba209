"""A mocked NetworkManager on a private bus of its own, for program processes
that run on the Linux machine: the template tests/linux/networkmanager.py
served by python-dbusmock, on a dbus-daemon that stands in for the system
bus (tests/linux/private-bus.conf). Nothing reaches the machine's real
system bus. Its control methods are described in the template's header."""

import json
import os
import subprocess
import tempfile

import dbus

from desktop import wait_for

LINUX_TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "linux")
TEMPLATE = os.path.join(LINUX_TESTS, "networkmanager.py")
BUS_CONFIG = os.path.join(LINUX_TESTS, "private-bus.conf")

NM = "org.freedesktop.NetworkManager"
NM_PATH = "/org/freedesktop/NetworkManager"
SETTINGS_PATH = NM_PATH + "/Settings"
PROPERTIES = "org.freedesktop.DBus.Properties"
MOCK = "org.freedesktop.DBus.Mock"
ACTIVATED = 2  # NMActiveConnectionState


def plain(value):
    """A D-Bus value as plain Python: byte arrays as bytes."""
    if isinstance(value, dbus.Array) and value.signature == "y":
        return bytes(value)
    if isinstance(value, (dbus.Array, list)):
        return [plain(item) for item in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, dbus.String):
        return str(value)
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Byte, dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64)):
        return int(value)
    return value


class MockedNetworkManager:
    """One computer's NetworkManager: `machine` is the template's parameters
    (devices, networks, wifi, auto_activation, ...)."""

    def __init__(self, machine):
        self.folder = tempfile.TemporaryDirectory(prefix="brisklane-nm-")
        config = os.path.join(self.folder.name, "bus.conf")
        with open(BUS_CONFIG) as template, open(config, "w") as file:
            file.write(template.read().replace("@DIR@", self.folder.name))
        self.daemon = subprocess.Popen(
            ["dbus-daemon", f"--config-file={config}", "--print-address", "--nofork", "--nopidfile"],
            stdout=subprocess.PIPE, text=True)
        self.address = self.daemon.stdout.readline().strip()
        if not self.address or "/run/dbus/system_bus_socket" in self.address:
            self.close()
            raise RuntimeError(f"the private bus did not start (address {self.address!r})")
        self.mock = subprocess.Popen(
            ["/usr/bin/python3", "-m", "dbusmock", "--template", TEMPLATE, "-p", json.dumps(machine)],
            env=dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address),
            stdout=subprocess.DEVNULL)
        self.bus = dbus.bus.BusConnection(self.address)
        wait_for("NetworkManager on the private bus",
                 lambda: self.mock.poll() is not None or self.bus.name_has_owner(NM))
        if self.mock.poll() is not None:
            self.close()
            raise RuntimeError("the NetworkManager mock did not start")

    def close(self):
        for process in (getattr(self, "mock", None), self.daemon):
            if process is not None and process.poll() is None:
                process.terminate()
                process.wait()
        self.daemon.stdout.close()
        self.folder.cleanup()

    def environment(self):
        """What a program process needs to take this mock's bus for the
        system bus; the session bus stays the desktop's."""
        return {"DBUS_SYSTEM_BUS_ADDRESS": self.address}

    # Control ------------------------------------------------------------------

    def control(self, method, *args):
        return self.bus.get_object(NM, "/org/freedesktop").get_dbus_method(method, MOCK)(*args)

    def add_network(self, spec):
        self.control("AddNetwork", json.dumps(spec))

    # Reading it as a client would ----------------------------------------------

    def _call(self, path, interface, method, *args):
        return self.bus.get_object(NM, path).get_dbus_method(method, interface)(*args)

    def _property(self, path, interface, name):
        return self._call(path, PROPERTIES, "Get", interface, name)

    def profiles(self):
        """Every profile's settings, secrets left out, by object path."""
        return {str(path): plain(self._call(path, NM + ".Settings.Connection", "GetSettings"))
                for path in self._call(SETTINGS_PATH, NM + ".Settings", "ListConnections")}

    def secrets(self, path, setting):
        return plain(self._call(path, NM + ".Settings.Connection", "GetSecrets", setting)).get(setting, {})

    def active_connections(self):
        """The active connections: the profile's path and the state of each."""
        active = []
        for path in self._property(NM_PATH, NM, "ActiveConnections"):
            interface = NM + ".Connection.Active"
            active.append({"profile": str(self._property(path, interface, "Connection")),
                           "state": int(self._property(path, interface, "State"))})
        return active
