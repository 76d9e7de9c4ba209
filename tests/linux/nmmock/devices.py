"""Network devices: the common Device interface, the Wi-Fi device's access
point list and scans, and the IPv4 configuration of an activated device."""

import time

import dbus

from . import rules
from .air import AccessPoint, boottime_ms
from .constants import (DEVICE, DHCP4_CONFIG, IP4_CONFIG, MANAGER, WIRED, WIRELESS, DeviceCapability, DeviceState,
                        DeviceType, Reason, WifiCapability, WifiMode)
from .exported import Exported, error

DEVICE_ERROR = 'org.freedesktop.NetworkManager.Device.'

# kind: (DeviceType, extra interfaces, profile type, driver)
KINDS = {
    'ethernet': (DeviceType.ETHERNET, [WIRED], rules.ETHERNET, 'e1000e'),
    'wifi': (DeviceType.WIFI, [WIRELESS], rules.WIFI, 'iwlwifi'),
    'modem': (DeviceType.MODEM, [MANAGER + '.Device.Modem'], 'gsm', 'cdc_mbim'),
    'bridge': (DeviceType.BRIDGE, [MANAGER + '.Device.Bridge'], 'bridge', 'bridge'),
    'veth': (DeviceType.VETH, [WIRED, MANAGER + '.Device.Veth'], 'veth', 'veth'),
    'tun': (DeviceType.TUN, [MANAGER + '.Device.Tun'], 'tun', 'tun'),
    'loopback': (DeviceType.LOOPBACK, [MANAGER + '.Device.Loopback'], 'loopback', ''),
    'generic': (DeviceType.GENERIC, [MANAGER + '.Device.Generic'], 'generic', ''),
}
SOFTWARE = {'bridge', 'veth', 'tun', 'loopback'}
ACTIVE_STATES = range(DeviceState.PREPARE, DeviceState.DEACTIVATING + 1)

WIFI_CAPABILITIES = (WifiCapability.CIPHER_WEP40 | WifiCapability.CIPHER_WEP104 | WifiCapability.CIPHER_TKIP
                     | WifiCapability.CIPHER_CCMP | WifiCapability.WPA | WifiCapability.RSN
                     | WifiCapability.FREQ_VALID | WifiCapability.FREQ_2GHZ | WifiCapability.FREQ_5GHZ)


class Ip4Config(Exported):
    def __init__(self, manager, address, prefix, gateway, dns):
        super().__init__(manager, manager.next_path('IP4Config'), [IP4_CONFIG])
        self.address = address
        self.set(IP4_CONFIG,
                 AddressData=[{'address': dbus.String(address), 'prefix': dbus.UInt32(prefix)}],
                 Gateway=gateway or '',
                 RouteData=[{'dest': dbus.String('0.0.0.0'), 'prefix': dbus.UInt32(0),
                             'next-hop': dbus.String(gateway)}] if gateway else [],
                 NameserverData=[{'address': dbus.String(server)} for server in dns])
        self.announce()


class Dhcp4Config(Exported):
    """The lease a DHCP server gave an activated device."""

    LEASE_SECONDS = 3600

    def __init__(self, manager, address, prefix, gateway, dns):
        super().__init__(manager, manager.next_path('DHCP4Config'), [DHCP4_CONFIG])
        mask = (0xFFFFFFFF << (32 - prefix)) & 0xFFFFFFFF
        options = {'ip_address': address, 'subnet_mask': '.'.join(str(mask >> s & 0xFF) for s in (24, 16, 8, 0)),
                   'routers': gateway, 'dhcp_server_identifier': gateway,
                   'domain_name_servers': ' '.join(dns), 'dhcp_lease_time': str(self.LEASE_SECONDS),
                   'expiry': str(int(time.time()) + self.LEASE_SECONDS)}
        self.set(DHCP4_CONFIG, Options={key: dbus.String(value) for key, value in options.items()})
        self.announce()


class Device(Exported):
    def __init__(self, manager, spec):
        kind = spec.get('kind', 'ethernet')
        if kind not in KINDS:
            raise ValueError(f'unknown device kind {kind!r}; one of {", ".join(KINDS)}')
        device_type, extra, self.profile_type, driver = KINDS[kind]
        super().__init__(manager, manager.next_path('Devices'), [DEVICE] + extra)
        self.spec = dict(spec)
        self.kind = kind
        self.interface = spec['interface']
        self.managed = spec.get('managed', True)
        self.carrier = spec.get('carrier', True)
        self.hw_address = spec.get('hw_address', '00:00:00:00:00:00').upper()
        self.activation = None
        self.access_points = {}  # bssid -> AccessPoint, Wi-Fi only
        bus = spec.get('bus', 'virtual' if kind in SOFTWARE else 'pci')
        capabilities = DeviceCapability.NM_SUPPORTED | DeviceCapability.CARRIER_DETECT
        if kind in SOFTWARE:
            capabilities |= DeviceCapability.IS_SOFTWARE
        self.set(DEVICE, Interface=self.interface, DeviceType=device_type, Driver=spec.get('driver', driver),
                 Udi=spec.get('udi', _udi(bus, self.interface)), Path=spec.get('path', ''),
                 Capabilities=capabilities, Managed=self.managed, Autoconnect=True, Real=True, Mtu=1500,
                 HwAddress=self.hw_address)
        perm = spec.get('perm_hw_address', self.hw_address).upper()
        if kind == 'wifi':
            capabilities = WIFI_CAPABILITIES | (WifiCapability.AP if spec.get('ap', True) else 0)
            self.set(WIRELESS, HwAddress=self.hw_address, PermHwAddress=perm, Mode=WifiMode.INFRA,
                     WirelessCapabilities=capabilities, Bitrate=0,
                     LastScan=boottime_ms() if self.available() else -1)
            for member, handler in (('GetAccessPoints', self._get_access_points),
                                    ('GetAllAccessPoints', self._get_all_access_points),
                                    ('RequestScan', self._request_scan)):
                self.export(WIRELESS, member, handler)
        elif WIRED in self.interfaces:
            self.set(WIRED, HwAddress=self.hw_address, PermHwAddress=perm, Carrier=self.carrier,
                     Speed=1000 if self.carrier else 0)
        elif kind == 'modem':
            self.set(MANAGER + '.Device.Modem', ModemCapabilities=0xC, CurrentCapabilities=0xC)
        for member, handler in (('Disconnect', self._disconnect), ('Delete', self._delete)):
            self.export(DEVICE, member, handler)
        self.set(DEVICE, State=self.idle_state(), StateReason=(self.idle_state(), Reason.NONE))
        self.announce()

    # What the device is and can do --------------------------------------

    @property
    def state(self):
        return int(self.get(DEVICE, 'State'))

    @property
    def can_host_access_point(self):
        return bool(self.get(WIRELESS, 'WirelessCapabilities') & WifiCapability.AP)

    def available(self):
        if not self.managed or not self.manager.networking_enabled:
            return False
        if self.kind == 'wifi':
            return self.manager.wireless_enabled()
        return self.carrier

    def idle_state(self):
        if not self.managed or not self.manager.networking_enabled:
            return DeviceState.UNMANAGED
        return DeviceState.DISCONNECTED if self.available() else DeviceState.UNAVAILABLE

    def default_profile_name(self):
        return {'ethernet': 'Wired connection 1', 'modem': 'Mobile broadband'}.get(self.kind, self.interface)

    def ip_interface(self):
        return self.spec.get('ip_interface', self.interface)

    def incompatibility(self, settings):
        """Why the profile cannot run on this device, or None."""
        if self.state == DeviceState.UNMANAGED:
            return 'device is strictly unmanaged'
        if not self.available():
            return 'device is not available'
        if str(rules.value(settings, 'connection', 'type')) != self.profile_type:
            return f"device is not of type '{self.profile_type}'"
        name = rules.value(settings, 'connection', 'interface-name')
        if name is not None and str(name) != self.interface:
            return f"the profile is bound to interface '{name}'"
        if self.kind == 'wifi' and rules.is_hotspot(settings) and not self.can_host_access_point:
            return 'access point mode is not supported by the device'
        return None

    # State changes --------------------------------------------------------

    def change_state(self, new_state, reason):
        old_state = self.state
        if new_state == old_state:
            return
        self.set(DEVICE, State=new_state, StateReason=(new_state, reason))
        self.emit(DEVICE, 'StateChanged', dbus.UInt32(new_state), dbus.UInt32(old_state), dbus.UInt32(reason))

    def settle(self, reason):
        """Back to the state of an idle device, after a change of switches or management."""
        if self.activation is not None:
            self.activation.deactivate(reason, final_state=self.idle_state())
        elif self.state != self.idle_state():
            self.change_state(self.idle_state(), reason)
        if self.kind == 'wifi':
            self.sync_access_points()

    def set_managed(self, managed):
        self.managed = managed
        self.set(DEVICE, Managed=managed)
        self.settle(Reason.NOW_MANAGED if managed else Reason.NOW_UNMANAGED)

    def show_configuration(self, ip4_config=None, access_point=None, mode=WifiMode.INFRA, hw_address=None,
                           dhcp4_config=None):
        """Publishes what an activated (or idle, with no arguments) device carries."""
        self.set(DEVICE, Ip4Config=ip4_config.path if ip4_config else '/',
                 Dhcp4Config=dhcp4_config.path if dhcp4_config else '/',
                 IpInterface=self.ip_interface() if ip4_config else '',
                 HwAddress=hw_address or self.hw_address)
        if self.kind == 'wifi':
            self.set(WIRELESS, ActiveAccessPoint=access_point.path if access_point else '/', Mode=mode,
                     HwAddress=hw_address or self.hw_address, Bitrate=54000 if access_point else 0)

    # Access points (Wi-Fi) ----------------------------------------------

    def sync_access_points(self):
        """Shows the networks on the air this device hears, and only those."""
        heard = {n.bssid: n for n in self.manager.air if n.visible_to(self)} if self.available() else {}
        for bssid in [b for b in self.access_points if b not in heard or self.access_points[b].network is not heard[b]]:
            point = self.access_points.pop(bssid)
            self.emit(WIRELESS, 'AccessPointRemoved', point.path)
            self._publish_access_points()
            point.withdraw()
        added = []
        for bssid, network in heard.items():
            if bssid in self.access_points:
                self.access_points[bssid].refresh()
                continue
            point = AccessPoint(self.manager, network)
            self.access_points[bssid] = point
            added.append(point)
        # One change of the list for all that were added (a scan may find thousands).
        if added:
            self._publish_access_points()
        for point in added:
            self.emit(WIRELESS, 'AccessPointAdded', point.path)

    def find_access_point(self, path):
        return next((p for p in self.access_points.values() if p.path == path), None)

    def best_access_point(self, ssid):
        candidates = [p for p in self.access_points.values() if p.ssid == bytes(ssid)]
        return max(candidates, key=lambda p: p.network.strength, default=None)

    def _publish_access_points(self):
        self.set(WIRELESS, AccessPoints=[p.path for p in self.access_points.values()])

    def _get_access_points(self, caller):
        return [p.path for p in self.access_points.values() if not p.network.hidden]

    def _get_all_access_points(self, caller):
        return [p.path for p in self.access_points.values()]

    def _request_scan(self, caller, options):
        self.manager.polkit.check(caller, 'wifi.scan')
        if not self.available():
            raise error(DEVICE_ERROR + 'NotAllowed', 'Scanning not allowed while unavailable')
        self.manager.later(self._finish_scan)

    def _finish_scan(self):
        self.sync_access_points()
        self.set(WIRELESS, LastScan=boottime_ms())

    # Methods and writable properties of the Device interface -------------

    def write_property(self, caller, interface, name, value):
        if interface != DEVICE or name not in ('Managed', 'Autoconnect'):
            super().write_property(caller, interface, name, value)
        self.manager.polkit.check(caller, 'network-control')
        if name == 'Managed':
            self.set_managed(bool(value))
            self.manager.refresh()
        else:
            self.set(DEVICE, Autoconnect=bool(value))

    def _disconnect(self, caller):
        self.manager.polkit.check(caller, 'network-control')
        if self.activation is None:
            raise error(DEVICE_ERROR + 'NotActive', 'This device is not active')
        self.activation.deactivate(Reason.USER_REQUESTED)

    def _delete(self, caller):
        raise error(DEVICE_ERROR + 'NotSoftware', 'This device is not a software device')

    def release(self):
        """The device's objects go (after its activation ended)."""
        for point in self.access_points.values():
            point.withdraw()
        self.access_points = {}
        self.withdraw()


def _udi(bus, interface):
    if bus == 'usb':
        return f'/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/net/{interface}'
    if bus == 'pci':
        return f'/sys/devices/pci0000:00/0000:00:1c.0/0000:02:00.0/net/{interface}'
    return f'/sys/devices/virtual/net/{interface}'
