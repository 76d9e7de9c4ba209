"""The Wi-Fi networks in range, and the access point objects each Wi-Fi
device shows for them.

A network on the air is either a router a test placed there or a hotspot a
device of this machine runs; every other Wi-Fi device of the machine sees
it (unless the network names the devices that may see it) and checks its
key when it joins.
"""

import time

from . import rules
from .constants import ACCESS_POINT, ApFlags, ApSecurity, WifiMode
from .exported import Exported

CCMP = ApSecurity.PAIR_CCMP | ApSecurity.GROUP_CCMP
TKIP = ApSecurity.PAIR_TKIP | ApSecurity.GROUP_TKIP

# security name: (Flags, WpaFlags, RsnFlags, the key-mgmt a profile needs)
SECURITY = {
    'open': (0, 0, 0, None),
    'wep': (ApFlags.PRIVACY, 0, 0, 'none'),
    'wpa-psk': (ApFlags.PRIVACY, TKIP | ApSecurity.KEY_MGMT_PSK, 0, 'wpa-psk'),
    'wpa2-psk': (ApFlags.PRIVACY, 0, CCMP | ApSecurity.KEY_MGMT_PSK, 'wpa-psk'),
    'wpa-wpa2-psk': (ApFlags.PRIVACY, TKIP | CCMP | ApSecurity.KEY_MGMT_PSK, CCMP | ApSecurity.KEY_MGMT_PSK, 'wpa-psk'),
    'wpa3-sae': (ApFlags.PRIVACY, 0, CCMP | ApSecurity.KEY_MGMT_SAE, 'sae'),
    # What NetworkManager 1.42 hosts for a WPA-PSK hotspot where the driver can.
    'wpa2-wpa3': (ApFlags.PRIVACY, 0, CCMP | ApSecurity.KEY_MGMT_PSK | ApSecurity.KEY_MGMT_SAE, 'wpa-psk'),
    'wpa2-eap': (ApFlags.PRIVACY, 0, CCMP | ApSecurity.KEY_MGMT_802_1X, 'wpa-eap'),
}

CIPHERS = {'tkip': ApSecurity.PAIR_TKIP, 'ccmp': ApSecurity.PAIR_CCMP}
GROUP_CIPHERS = {'tkip': ApSecurity.GROUP_TKIP, 'ccmp': ApSecurity.GROUP_CCMP}


def boottime_ms():
    return int(time.clock_gettime(time.CLOCK_BOOTTIME) * 1000)


class Network:
    """One network on the air."""

    def __init__(self, ssid, bssid, security='open', secret=None, strength=70, frequency=2437,
                 devices=None, hidden=False, gateway='192.168.1.1', prefix=24, source=None):
        if security not in SECURITY:
            raise ValueError(f'unknown security {security!r}; one of {", ".join(SECURITY)}')
        self.ssid = bytes(ssid)
        self.bssid = bssid.upper()
        self.flags, self.wpa_flags, self.rsn_flags, self.key_mgmt = SECURITY[security]
        self.secret = secret
        self.strength = strength
        self.frequency = frequency
        self.devices = devices
        self.hidden = hidden
        self.gateway = gateway
        self.prefix = prefix
        self.source = source

    @classmethod
    def from_spec(cls, spec):
        ssid = spec['ssid']
        return cls(ssid.encode() if isinstance(ssid, str) else bytes(ssid), spec['bssid'],
                   spec.get('security', 'open'), spec.get('passphrase'), spec.get('strength', 70),
                   spec.get('frequency', 2437), spec.get('devices'), spec.get('hidden', False),
                   spec.get('gateway', '192.168.1.1'), spec.get('prefix', 24))

    @classmethod
    def hotspot(cls, device, settings, bssid):
        """The network a device in access-point mode broadcasts."""
        network = cls(bytes(rules.value(settings, rules.WIFI, 'ssid')), bssid,
                      frequency=_frequency(settings), gateway='10.42.0.1', prefix=24, source=device)
        key_mgmt = rules.security_of(settings)
        if key_mgmt in ('wpa-psk', 'sae'):
            protos = [str(p) for p in rules.value(settings, rules.SECURITY, 'proto', [])] or ['wpa', 'rsn']
            pairwise = sum(CIPHERS[str(c)] for c in rules.value(settings, rules.SECURITY, 'pairwise', [])) \
                or ApSecurity.PAIR_CCMP | ApSecurity.PAIR_TKIP
            group = sum(GROUP_CIPHERS.get(str(c), 0) for c in rules.value(settings, rules.SECURITY, 'group', [])) \
                or ApSecurity.GROUP_CCMP | ApSecurity.GROUP_TKIP
            mgmt = ApSecurity.KEY_MGMT_PSK if key_mgmt == 'wpa-psk' else ApSecurity.KEY_MGMT_SAE
            network.flags = ApFlags.PRIVACY
            network.wpa_flags = pairwise | group | mgmt if 'wpa' in protos and key_mgmt == 'wpa-psk' else 0
            network.rsn_flags = pairwise | group | mgmt if 'rsn' in protos or key_mgmt == 'sae' else 0
        elif key_mgmt == 'none':
            network.flags = ApFlags.PRIVACY
        network.key_mgmt = key_mgmt
        network.secret = rules.secret_of(settings)
        return network

    def visible_to(self, device):
        return device is not self.source and (self.devices is None or device.interface in self.devices)

    def admits(self, settings):
        """Why a profile cannot join: None, 'incompatible', 'no-secret' or 'wrong-secret'."""
        if rules.security_of(settings) != self.key_mgmt:
            return 'incompatible'
        if self.key_mgmt is None:
            return None
        secret = rules.secret_of(settings)
        if secret is None:
            return 'no-secret'
        return None if str(secret) == str(self.secret) else 'wrong-secret'


def _frequency(settings):
    band = rules.value(settings, rules.WIFI, 'band')
    channel = int(rules.value(settings, rules.WIFI, 'channel', 0))
    if band == 'a':
        return 5000 + 5 * (channel or 36)
    channel = channel or 1
    return 2484 if channel == 14 else 2407 + 5 * channel


class AccessPoint(Exported):
    """What one Wi-Fi device shows for a network it hears."""

    def __init__(self, manager, network, mode=WifiMode.INFRA):
        super().__init__(manager, manager.next_path('AccessPoint'), [ACCESS_POINT])
        self.network = network
        self.ssid = network.ssid
        self.key_mgmt = network.key_mgmt
        self.set(ACCESS_POINT, Flags=network.flags, WpaFlags=network.wpa_flags, RsnFlags=network.rsn_flags,
                 Ssid=b'' if network.hidden else network.ssid, Frequency=network.frequency,
                 HwAddress=network.bssid, Mode=mode, MaxBitrate=54000,
                 Strength=network.strength, LastSeen=boottime_ms() // 1000)
        self.announce()

    def refresh(self):
        self.set(ACCESS_POINT, Strength=self.network.strength, LastSeen=boottime_ms() // 1000)
