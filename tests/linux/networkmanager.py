'''NetworkManager 1.42 stand-in for Brisklane's tests (a python-dbusmock template)

Start it on a private bus that stands in for the system bus:

    python3 -m dbusmock --template tests/linux/networkmanager.py -p '{"devices": [...]}'

The C++ harness in tests/linux (NetworkManagerMock) does this for every test
program and wraps the control methods below; see tests/linux/README.md.

What clients see is NetworkManager's own D-Bus API, typed after Debian's
network-manager-dev introspection files: the manager, Settings and profiles,
devices (Ethernet, Wi-Fi, modem, and bridge/veth/tun/loopback to filter
out), access points, active connections and IPv4 configurations, with the
state numbers, reason codes, error names and polkit checks of the daemon.

Activations do not run by themselves: each one is a list of device states
(prepare, config, need-auth, ip-config, ip-check, secondaries, activated,
or failed with a reason) that a test advances with StepActivation or runs to
the end with CompleteActivation; SetAutoActivation(true) lets every new
activation run to its end right after the call that started it has been
answered. Wi-Fi keys are checked against the network joined; a hotspot
(802-11-wireless.mode "ap") that reaches activated is heard by the other
Wi-Fi devices of the machine.

Clients may write WirelessEnabled (manager) and Managed and Autoconnect
(devices), each behind its polkit action; other writable properties answer
NotSupported, read-only ones PropertyReadOnly.

Parameters (JSON, all optional) describe the machine at start:
  devices     [{"kind": "wifi"|"ethernet"|"modem"|"bridge"|"veth"|"tun"|
                "loopback"|"generic", "interface": "wlan0", "hw_address",
                "perm_hw_address", "managed": true, "ap": true (Wi-Fi can
                host an access point), "carrier": true (Ethernet), "bus":
                "pci"|"usb"|"virtual", "driver", "ip_interface", "ip4":
                {"address", "prefix", "gateway", "dns": [...], "dhcp": true},
                "connected": {"id"} or {"ssid"} (up from the start)}]
  networks    [{"ssid", "bssid", "security": "open"|"wep"|"wpa-psk"|
                "wpa2-psk"|"wpa-wpa2-psk"|"wpa3-sae"|"wpa2-eap",
                "passphrase", "strength", "frequency", "hidden",
                "devices": ["wlan0"] (who hears it; default all),
                "gateway", "prefix"}]
  wifi        {"enabled": true, "hardware": true}
  networking  true
  permissions {"network-control": "yes"|"no"|"auth", ...}
  agent_grants true (what a polkit agent answers for "auth")
  auto_activation false
  file        a JSON file that holds the parameters instead (a crowded air
              does not fit on a command line)

Control methods (interface org.freedesktop.DBus.Mock on /org/freedesktop);
devices are named by interface, networks by BSSID, specs are JSON text:
  AddDevice(s spec) -> o, RemoveDevice(s), SetDeviceManaged(s, b),
  SetCarrier(s, b), AddNetwork(s spec), RemoveNetwork(s bssid),
  SetNetworkStrength(s bssid, y), SetWirelessEnabled(b),
  SetWirelessHardwareEnabled(b), SetPrimaryConnection(s interface or ""),
  SetConnectivity(i, -1 = follow the primary connection),
  SetAutoActivation(b), FailNextActivation(u reason),
  StepActivation(s interface) -> u device state,
  CompleteActivation(s interface) -> u device state,
  SetPermission(s action, s yes|no|auth), SetAuthorizationAgent(b grants),
  AuthorizationRequests() -> as, AddProfile(a{sa{sv}}, s persist) -> o,
  ActivateProfile(s uuid, s interface) -> o (up at once, unbound),
  CallLog() -> a(ssssav) path, interface, member, sender, arguments,
  ClearCallLog(), SetWrongShape(s method or property name, s signature;
  "" restores it: every reply or property of that name carries a small
  value of that type from then on), SetFailing(s message; "" restores:
  every call answers org.freedesktop.DBus.Error.Failed),
  SetReplyDelay(d seconds; every call of a client on a NetworkManager
  object, property reads and GetManagedObjects included, is answered that
  much later and takes effect only then; 0 answers at once again; negative
  holds every call unanswered until the delay is set to 0 or more, which
  answers the held calls after that new delay; calls of the caller of
  SetReplyDelay itself are never held), SetReplyDelayOf(d seconds, as
  members; the same for calls of these methods only, as polkit holds the
  actions it asks a user about), Stop() (NetworkManager leaves the bus), Start(),
  Restart() (leaves and comes back with fresh objects, keeping what a
  real restart keeps).
'''

import json
import os
import sys

import dbus
from dbusmock import MOCK_IFACE

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

# pylint: disable=wrong-import-position
from nmmock.constants import BUS_NAME  # noqa: E402
from nmmock.manager import Manager  # noqa: E402
from nmmock.air import Network  # noqa: E402
from nmmock.exported import serve_managed_objects  # noqa: E402
from nmmock.gate import Gate  # noqa: E402

MAIN_OBJ = '/org/freedesktop'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True


def load(mock, parameters):
    parameters = dict(parameters or {})
    if 'file' in parameters:
        with open(parameters['file'], encoding='utf-8') as machine:
            parameters = json.load(machine)
    mock.networkmanager = Manager(mock, parameters)
    serve_managed_objects(mock)
    mock.networkmanager_stopped = None
    mock.networkmanager_gate = Gate(mock)


def _nm(mock):
    if mock.networkmanager is None:
        raise dbus.exceptions.DBusException('NetworkManager is stopped', name='org.freedesktop.DBus.Mock.Stopped')
    return mock.networkmanager


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='o')
def AddDevice(self, spec):
    return _nm(self).add_device(json.loads(spec)).path


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveDevice(self, interface):
    _nm(self).remove_device(interface)


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def SetDeviceManaged(self, interface, managed):
    _nm(self).device(interface).set_managed(bool(managed))
    _nm(self).refresh()


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def SetCarrier(self, interface, carrier):
    device = _nm(self).device(interface)
    device.carrier = bool(carrier)
    device.set('org.freedesktop.NetworkManager.Device.Wired', Carrier=device.carrier)
    device.settle(40)
    _nm(self).refresh()


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def AddNetwork(self, spec):
    _nm(self).broadcast(Network.from_spec(json.loads(spec)))


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveNetwork(self, bssid):
    _nm(self).silence(_nm(self).network(bssid))


@dbus.service.method(MOCK_IFACE, in_signature='sy', out_signature='')
def SetNetworkStrength(self, bssid, strength):
    _nm(self).network(bssid).strength = int(strength)
    _nm(self)._sync_air()


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetWirelessEnabled(self, enabled):
    _nm(self).set_wireless(enabled=bool(enabled))


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetWirelessHardwareEnabled(self, enabled):
    _nm(self).set_wireless(hardware=bool(enabled))


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetPrimaryConnection(self, interface):
    nm = _nm(self)
    nm.primary_override = nm.device(interface).activation if interface else None
    nm.refresh()


@dbus.service.method(MOCK_IFACE, in_signature='i', out_signature='')
def SetConnectivity(self, connectivity):
    nm = _nm(self)
    nm.connectivity_override = None if connectivity < 0 else int(connectivity)
    nm.refresh()


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetAutoActivation(self, enabled):
    _nm(self).auto_activation = bool(enabled)


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='')
def FailNextActivation(self, reason):
    _nm(self).failures.append(int(reason))


def _activation(mock, interface):
    activation = _nm(mock).device(interface).activation
    if activation is None:
        raise ValueError(f'no activation on {interface}')
    return activation


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='u')
def StepActivation(self, interface):
    return _activation(self, interface).step()


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='u')
def CompleteActivation(self, interface):
    return _activation(self, interface).complete()


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetPermission(self, action, answer):
    _nm(self).polkit.set(action, answer)
    _nm(self).emit('org.freedesktop.NetworkManager', 'CheckPermissions')


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetAuthorizationAgent(self, grants):
    _nm(self).polkit.agent_grants = bool(grants)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def AuthorizationRequests(self):
    return _nm(self).polkit.agent_requests


@dbus.service.method(MOCK_IFACE, in_signature='a{sa{sv}}s', out_signature='o', byte_arrays=True)
def AddProfile(self, settings, persist):
    return _nm(self).settings.add(settings, persist).path


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='o')
def ActivateProfile(self, uuid, interface):
    nm = _nm(self)
    return nm.assume(nm.device(interface), {'uuid': uuid}).path


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='a(ssssav)')
def CallLog(self):
    return [(path, interface, member, sender, dbus.Array(args, signature='v'))
            for path, interface, member, sender, args in _nm(self).calls.entries]


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def ClearCallLog(self):
    _nm(self).calls.clear()


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetWrongShape(self, name, signature):
    shapes = _nm(self).wrong_shapes
    if signature:
        shapes[name] = signature
    else:
        shapes.pop(name, None)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetFailing(self, message):
    _nm(self).failure = message


@dbus.service.method(MOCK_IFACE, in_signature='d', out_signature='', sender_keyword='sender')
def SetReplyDelay(self, seconds, sender=None):
    self.networkmanager_gate.set_delay(seconds, sender)


@dbus.service.method(MOCK_IFACE, in_signature='das', out_signature='', sender_keyword='sender')
def SetReplyDelayOf(self, seconds, members, sender=None):
    self.networkmanager_gate.set_delay(seconds, sender, [str(member) for member in members])


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def Stop(self):
    nm = _nm(self)
    self.networkmanager_stopped = nm.carried_over()
    nm.shut_down()
    self.networkmanager = None
    self.connection.release_name(BUS_NAME)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def Start(self):
    if self.networkmanager is not None:
        raise dbus.exceptions.DBusException('NetworkManager runs already', name='org.freedesktop.DBus.Mock.Running')
    machine, kept, up, networks = self.networkmanager_stopped
    self.networkmanager = Manager(self, machine)
    self.networkmanager.restore(kept, up, networks)
    self.connection.request_name(BUS_NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def Restart(self):
    Stop(self)
    Start(self)
