"""org.freedesktop.NetworkManager: the root of the stand-in daemon.

It holds the machine (devices, the networks on the air, radio switches,
polkit's answers), starts and ends activations, and keeps the overall
state, the primary connection and the connectivity up to date.
"""

import pwd

import dbus
import dbusmock
from gi.repository import GLib

from . import rules
from .activation import Activation
from .air import Network
from .constants import MANAGER, ROOT, VERSION, Connectivity, Reason, State
from .devices import Device
from .exported import CallLog, Exported, error
from .polkit import Polkit
from .settings import Settings

MANAGER_ERROR = 'org.freedesktop.NetworkManager.'
PERSIST = {'disk', 'memory', 'volatile'}
BIND = {'dbus-client', 'none'}
# Route metrics NetworkManager gives each kind of device: the lowest wins the default route.
METRICS = {'ethernet': 100, 'wifi': 600, 'modem': 700}


class Manager(Exported):
    def __init__(self, mock, machine):
        self.mock = mock
        self.running = True
        self.calls = CallLog()
        self.wrong_shapes = {}  # method or property name -> the D-Bus type its answers carry instead
        self.failure = ''  # when set, every call answers with this error message
        self.counters = {}
        self.machine = machine
        super().__init__(self, ROOT, [MANAGER])
        radio = machine.get('wifi', {})
        self.wifi_enabled = radio.get('enabled', True)
        self.wifi_hardware_enabled = radio.get('hardware', True)
        self.networking_enabled = machine.get('networking', True)
        self.polkit = Polkit(machine.get('permissions'), machine.get('agent_grants', True))
        self.auto_activation = machine.get('auto_activation', False)
        self.failures = []
        self.primary_override = None
        self.connectivity_override = None
        self.devices = []
        self.activations = []
        self.air = [Network.from_spec(spec) for spec in machine.get('networks', [])]
        self.set(MANAGER, Version=VERSION, VersionInfo=[0x012a04], Startup=False,
                 WwanEnabled=True, WwanHardwareEnabled=True, ConnectivityCheckAvailable=False)
        self._publish_switches()
        for member, handler in (
                ('GetDevices', self._get_devices), ('GetAllDevices', self._get_devices),
                ('GetDeviceByIpIface', self._device_by_ip_iface), ('ActivateConnection', self._activate),
                ('AddAndActivateConnection', self._add_and_activate),
                ('AddAndActivateConnection2', self._add_and_activate2),
                ('DeactivateConnection', self._deactivate), ('Enable', self._enable), ('Sleep', self._sleep),
                ('GetPermissions', self._permissions), ('CheckConnectivity', self._check_connectivity),
                ('state', self._state), ('Reload', self._reload), ('GetLogging', self._get_logging),
                ('SetLogging', self._set_logging), ('CheckpointCreate', self._unsupported),
                ('CheckpointDestroy', self._unsupported), ('CheckpointRollback', self._unsupported),
                ('CheckpointAdjustRollbackTimeout', self._unsupported)):
            self.export(MANAGER, member, handler)
        self.announce()
        self.settings = Settings(self)
        for spec in machine.get('devices', []):
            self.add_device(spec)
        self.refresh()

    # Bookkeeping ------------------------------------------------------------

    def count(self, kind):
        self.counters[kind] = self.counters.get(kind, 0) + 1
        return self.counters[kind]

    def next_path(self, kind):
        return f'{ROOT}/{kind}/{self.count(kind)}'

    def later(self, function):
        """Runs function once the current call has been answered (unless the
        daemon stopped meanwhile)."""
        def run():
            if self.running:
                function()
            return False
        GLib.idle_add(run)

    def device(self, interface):
        found = next((d for d in self.devices if d.interface == interface), None)
        if found is None:
            raise ValueError(f'no device {interface!r}')
        return found

    def wireless_enabled(self):
        return self.wifi_enabled and self.wifi_hardware_enabled and self.networking_enabled

    # The machine, as tests change it --------------------------------------

    def add_device(self, spec):
        if any(d.interface == spec['interface'] for d in self.devices):
            raise ValueError(f"device {spec['interface']!r} exists already")
        device = Device(self, spec)
        self.devices.append(device)
        self._publish_devices()
        self.emit(MANAGER, 'DeviceAdded', dbus.ObjectPath(device.path))
        if device.kind == 'wifi':
            device.sync_access_points()
        self.profiles_changed()
        if spec.get('connected') is not None:
            self.assume(device, spec['connected'])
        return device

    def assume(self, device, description):
        """Brings a device up at once, as if it had been up when NetworkManager started."""
        profile = self.settings.find_uuid(description.get('uuid', ''))
        if profile is None:
            settings = {'connection': {'id': dbus.String(description.get('id', device.default_profile_name())),
                                       'type': dbus.String(device.profile_type)}}
            if device.kind == 'wifi':
                settings[rules.WIFI] = {'ssid': dbus.ByteArray(description['ssid'].encode())}
            profile = self.settings.add(settings, 'disk')
        # A Wi-Fi card that is up is on the strongest base station of its network.
        ssid = rules.value(profile.settings, rules.WIFI, 'ssid') if device.kind == 'wifi' else None
        point = device.best_access_point(ssid) if ssid is not None else None
        return self.start_activation(profile, device, point, steps=False)

    def remove_device(self, interface):
        device = self.device(interface)
        if device.activation is not None:
            device.activation.deactivate(Reason.REMOVED)
        self.devices.remove(device)
        self._publish_devices()
        self.emit(MANAGER, 'DeviceRemoved', dbus.ObjectPath(device.path))
        device.release()
        self.profiles_changed()
        self.refresh()

    def broadcast(self, network):
        self.air.append(network)
        self._sync_air()

    def silence(self, network):
        if network in self.air:
            self.air.remove(network)
            self._sync_air()
        for device in self.devices:
            activation = device.activation
            if activation is not None and activation.network is network and activation.activated:
                activation.lose_network()

    def network(self, bssid):
        found = next((n for n in self.air if n.bssid == bssid.upper()), None)
        if found is None:
            raise ValueError(f'no network with BSSID {bssid}')
        return found

    def _sync_air(self):
        for device in self.devices:
            if device.kind == 'wifi':
                device.sync_access_points()

    def set_wireless(self, enabled=None, hardware=None):
        if enabled is not None:
            self.wifi_enabled = enabled
        if hardware is not None:
            self.wifi_hardware_enabled = hardware
        self._publish_switches()
        for device in self.devices:
            if device.kind == 'wifi':
                device.settle(Reason.NONE)
        self.refresh()

    def set_networking(self, enabled):
        self.networking_enabled = enabled
        self._publish_switches()
        for device in self.devices:
            device.settle(Reason.NONE)
        self.refresh()

    def _publish_switches(self):
        self.set(MANAGER, WirelessEnabled=self.wifi_enabled and self.wifi_hardware_enabled,
                 WirelessHardwareEnabled=self.wifi_hardware_enabled, NetworkingEnabled=self.networking_enabled)

    def _publish_devices(self):
        paths = [d.path for d in self.devices]
        flags = (1 if any(d.kind == 'wifi' for d in self.devices) else 0) | \
                (2 if any(d.kind == 'modem' for d in self.devices) else 0)
        self.set(MANAGER, Devices=paths, AllDevices=paths, RadioFlags=flags)

    # Profiles and activations ---------------------------------------------

    def profiles_changed(self):
        for device in self.devices:
            device.set('org.freedesktop.NetworkManager.Device', AvailableConnections=[
                p.path for p in self.settings.profiles if device.incompatibility(p.settings) is None])

    def delete_profile(self, profile):
        for activation in list(self.activations):
            if activation.profile is profile:
                activation.deactivate(Reason.CONNECTION_REMOVED)
        if profile in self.settings.profiles:
            self.settings.remove(profile)

    def start_activation(self, profile, device, access_point, client=None, steps=True):
        if device.activation is not None:
            device.activation.deactivate(Reason.NEW_ACTIVATION)
        failure = self.failures.pop(0) if self.failures and steps else None
        activation = Activation(self, profile, device, access_point, failure)
        device.activation = activation
        device.set('org.freedesktop.NetworkManager.Device', ActiveConnection=activation.path)
        self.activations.append(activation)
        if client is not None:
            activation.bind_to(client)
        self.refresh()
        if not steps:
            activation.complete()
        elif self.auto_activation:
            self.later(activation.complete)
        return activation

    def forget(self, activation):
        self.activations.remove(activation)
        self.refresh()

    def refresh(self):
        """Recomputes the overall state, the primary connection and connectivity."""
        up = [a for a in self.activations if a.activated]
        routed = [a for a in up if a.gateway()]
        primary = self.primary_override if self.primary_override in up else \
            min(routed, key=lambda a: METRICS.get(a.device.kind, 1000), default=None)
        for activation in up:
            activation.set('org.freedesktop.NetworkManager.Connection.Active', Default=activation is primary)
        connectivity = self.connectivity_override
        if connectivity is None:
            connectivity = Connectivity.FULL if primary else Connectivity.NONE
        if not self.networking_enabled:
            state = State.ASLEEP
        elif up:
            state = {Connectivity.FULL: State.CONNECTED_GLOBAL, 2: State.CONNECTED_SITE,
                     3: State.CONNECTED_SITE}.get(connectivity, State.CONNECTED_LOCAL)
        elif self.activations:
            state = State.CONNECTING
        else:
            state = State.DISCONNECTED
        activating = next((a for a in self.activations if not a.activated), None)
        old_state = int(self.get(MANAGER, 'State'))
        self.set(MANAGER, ActiveConnections=[a.path for a in self.activations],
                 PrimaryConnection=primary.path if primary else '/',
                 PrimaryConnectionType=primary.profile.type if primary else '',
                 ActivatingConnection=activating.path if activating else '/',
                 Connectivity=connectivity, State=state)
        if state != old_state:
            self.emit(MANAGER, 'StateChanged', dbus.UInt32(state))

    # Checks before an activation --------------------------------------------

    def _device_for(self, path, settings):
        if path != '/':
            device = next((d for d in self.devices if d.path == path), None)
            if device is None:
                raise error(MANAGER_ERROR + 'UnknownDevice', 'No device found for the requested iface.')
            return device
        kind = str(rules.value(settings, 'connection', 'type', ''))
        device = next((d for d in self.devices if d.profile_type == kind and d.incompatibility(settings) is None), None)
        if device is None:
            raise error(MANAGER_ERROR + 'UnknownDevice', 'No suitable device found for this connection.')
        return device

    def _check_activation(self, caller, settings, device, name):
        why = device.incompatibility(settings)
        if why is not None:
            raise error(MANAGER_ERROR + 'UnknownConnection',
                        f"Connection '{name}' is not available on device {device.interface} because {why}")
        users = rules.permitted_users(settings)
        if users:
            user = self._user_of(caller)
            if user not in users:
                raise error(MANAGER_ERROR + 'PermissionDenied',
                            f"Connection '{name}' is not visible to user '{user}'")
        actions = ['network-control']
        if device.kind == 'wifi' and rules.is_shared(settings):
            actions.append('wifi.share.protected' if rules.security_of(settings) else 'wifi.share.open')
        self.polkit.check(caller, *actions)

    def _user_of(self, caller):
        uid = self.mock.connection.call_blocking('org.freedesktop.DBus', '/org/freedesktop/DBus',
                                                 'org.freedesktop.DBus', 'GetConnectionUnixUser', 's',
                                                 [caller.name])
        try:
            return pwd.getpwuid(int(uid)).pw_name
        except KeyError:
            return str(uid)

    def _access_point_for(self, device, specific_object, settings):
        if specific_object != '/':
            point = device.find_access_point(specific_object)
            if point is None:
                raise error(MANAGER_ERROR + 'Device.SpecificObjectNotFound',
                            f'The access point {specific_object} was not in the scan list.')
            return point
        ssid = rules.value(settings, rules.WIFI, 'ssid')
        if device.kind != 'wifi' or ssid is None or rules.is_hotspot(settings):
            return None
        return device.best_access_point(ssid)

    # Manager methods ----------------------------------------------------------

    def _get_devices(self, caller):
        return [d.path for d in self.devices]

    def _device_by_ip_iface(self, caller, name):
        device = next((d for d in self.devices if d.ip_interface() == name), None)
        if device is None:
            raise error(MANAGER_ERROR + 'UnknownDevice', 'No device found for the requested iface.')
        return device.path

    def _activate(self, caller, connection, device_path, specific_object):
        profile = self.settings.find_path(connection)
        if profile is None:
            raise error(MANAGER_ERROR + 'UnknownConnection', 'Connection not found')
        device = self._device_for(device_path, profile.settings)
        point = self._access_point_for(device, specific_object, profile.settings)
        self._check_activation(caller, profile.settings, device, profile.id)
        return self.start_activation(profile, device, point).path

    def _add_and_activate(self, caller, settings, device_path, specific_object, persist='disk', client=None):
        device = self._device_for(device_path, settings)
        point = self._access_point_for(device, specific_object, settings) if specific_object != '/' else None
        settings = rules.complete(settings, device, point)
        rules.verify(settings)
        point = point or self._access_point_for(device, '/', settings)
        self._check_activation(caller, settings, device, str(rules.value(settings, 'connection', 'id')))
        profile = self.settings.add(settings, persist, caller)
        return profile.path, self.start_activation(profile, device, point, client).path

    def _add_and_activate2(self, caller, settings, device_path, specific_object, options):
        persist, bind = 'disk', 'none'
        for key, value in options.items():
            if key == 'persist' and str(value) in PERSIST:
                persist = str(value)
            elif key == 'bind-activation' and str(value) in BIND:
                bind = str(value)
            elif key in ('persist', 'bind-activation'):
                raise error(MANAGER_ERROR + 'InvalidArguments', f"Option '{key}' does not support value '{value}'")
            else:
                raise error(MANAGER_ERROR + 'InvalidArguments', f"Unknown extra option '{key}'")
        client = caller.name if bind == 'dbus-client' else None
        return self._add_and_activate(caller, settings, device_path, specific_object, persist, client) + ({},)

    def _deactivate(self, caller, path):
        activation = next((a for a in self.activations if a.path == path), None)
        if activation is None:
            raise error(MANAGER_ERROR + 'ConnectionNotActive', 'The connection was not active.')
        self.polkit.check(caller, 'network-control')
        activation.deactivate(Reason.USER_REQUESTED)

    def _enable(self, caller, enable):
        self.polkit.check(caller, 'enable-disable-network')
        if bool(enable) == self.networking_enabled:
            raise error(MANAGER_ERROR + 'AlreadyEnabledOrDisabled',
                        'Already enabled' if enable else 'Already disabled')
        self.set_networking(bool(enable))

    def _sleep(self, caller, sleep):
        self.polkit.check(caller, 'sleep-wake')
        self.set_networking(not sleep)

    def _permissions(self, caller):
        return self.polkit.permissions()

    def _check_connectivity(self, caller):
        return self.get(MANAGER, 'Connectivity')

    def _state(self, caller):
        return self.get(MANAGER, 'State')

    def _reload(self, caller, flags):
        self.polkit.check(caller, 'reload')

    def _get_logging(self, caller):
        return 'INFO', 'PLATFORM,RFKILL,ETHER,WIFI,DHCP4,DEVICE,CORE,SUPPLICANT,SETTINGS'

    def _set_logging(self, caller, level, domains):
        self.polkit.check(caller, 'network-control')

    def _unsupported(self, caller, *args):
        raise error('org.freedesktop.DBus.Error.NotSupported', 'Checkpoints are not supported here')

    def write_property(self, caller, interface, name, value):
        if name != 'WirelessEnabled':
            super().write_property(caller, interface, name, value)
        self.polkit.check(caller, 'enable-disable-wifi')
        self.set_wireless(enabled=bool(value))

    # What survives a restart ------------------------------------------------

    def carried_over(self):
        """The machine as a restarted daemon finds it: the same hardware and
        switches, the profiles stored on disk or in /run, and the devices
        that were up with one of those profiles still up."""
        machine = dict(self.machine)
        machine.update(wifi={'enabled': self.wifi_enabled, 'hardware': self.wifi_hardware_enabled},
                       networking=self.networking_enabled, permissions=self.polkit.permissions(),
                       agent_grants=self.polkit.agent_grants, auto_activation=self.auto_activation,
                       devices=[dict(d.spec, managed=d.managed, carrier=d.carrier, connected=None)
                                for d in self.devices])
        machine['networks'] = []
        kept = [(p.settings, p.persist) for p in self.settings.profiles if not p.volatile]
        up = [(a.profile.uuid, a.device.interface) for a in self.activations
              if a.activated and not a.profile.volatile]
        return machine, kept, up, [n for n in self.air if n.source is None]

    def restore(self, kept, up, networks):
        for settings, persist in kept:
            self.settings.add(settings, persist)
        self.air = list(networks)
        self._sync_air()
        for uuid, interface in up:
            self.assume(self.device(interface), {'uuid': uuid})

    def shut_down(self):
        """Drops every object without a word, as a daemon that ends does."""
        self.running = False
        for activation in self.activations:
            if activation.client_watch is not None:
                activation.client_watch.cancel()
        for path in [p for p in dbusmock.get_objects() if p != self.mock.path]:
            self.mock.RemoveObject(path)
