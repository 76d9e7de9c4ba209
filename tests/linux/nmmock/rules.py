"""What NetworkManager accepts in a profile: the checks its verify() makes
on the settings clients send, the completion AddAndActivateConnection does,
and the secrets GetSettings leaves out."""

import re
import uuid

from .exported import error
from .schema import signature_of, typed

CONNECTION_ERROR = 'org.freedesktop.NetworkManager.Settings.Connection.'

WIFI = '802-11-wireless'
SECURITY = '802-11-wireless-security'
ETHERNET = '802-3-ethernet'

KNOWN_SETTINGS = {
    'connection', WIFI, SECURITY, ETHERNET, 'ipv4', 'ipv6', 'user', 'proxy', 'gsm', 'cdma',
    'serial', 'ppp', '802-1x', 'bridge', 'bridge-port', 'ethtool', 'match', 'vlan', 'loopback',
    'generic', 'tun', 'veth', 'hostname', 'tc', 'sriov', 'dcb',
}

# Where a client's value must have a given D-Bus type.
TYPES = {
    ('connection', 'id'): 's', ('connection', 'uuid'): 's', ('connection', 'type'): 's',
    ('connection', 'interface-name'): 's', ('connection', 'autoconnect'): 'b',
    ('connection', 'permissions'): 'as',
    (WIFI, 'ssid'): 'ay', (WIFI, 'mode'): 's', (WIFI, 'band'): 's', (WIFI, 'channel'): 'u',
    (WIFI, 'hidden'): 'b', (WIFI, 'assigned-mac-address'): 's', (WIFI, 'mac-address'): 'ay',
    (SECURITY, 'key-mgmt'): 's', (SECURITY, 'psk'): 's', (SECURITY, 'proto'): 'as',
    (SECURITY, 'pairwise'): 'as', (SECURITY, 'group'): 'as', (SECURITY, 'wep-key0'): 's',
    (SECURITY, 'auth-alg'): 's',
    ('ipv4', 'method'): 's', ('ipv4', 'never-default'): 'b', ('ipv4', 'address-data'): 'aa{sv}',
    ('ipv6', 'method'): 's', ('user', 'data'): 'a{ss}',
}

SECRETS = {
    SECURITY: {'psk', 'wep-key0', 'wep-key1', 'wep-key2', 'wep-key3', 'leap-password'},
    '802-1x': {'password', 'private-key-password', 'phase2-private-key-password', 'pin'},
    'gsm': {'password', 'pin'},
    'cdma': {'password'},
}

WIFI_MODES = {'infrastructure', 'adhoc', 'ap', 'mesh'}
KEY_MGMT = {'none', 'ieee8021x', 'wpa-psk', 'wpa-eap', 'sae', 'owe', 'wpa-eap-suite-b-192'}
IPV4_METHODS = {'auto', 'link-local', 'manual', 'shared', 'disabled'}
IPV6_METHODS = {'auto', 'dhcp', 'link-local', 'manual', 'ignore', 'shared', 'disabled'}
MAC = re.compile(r'^([0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2}$')
USER_KEY = re.compile(r'^[A-Za-z0-9_+/=-]+(\.[A-Za-z0-9_+/=-]+)+$')
BG_CHANNELS = set(range(1, 15))
A_CHANNELS = {7, 8, 9, 11, 12, 16, 34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62, 64,
              100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122, 124, 126, 128, 132, 134,
              136, 138, 140, 142, 144, 149, 151, 153, 155, 157, 159, 161, 165, 169, 173, 177}


def invalid(setting, prop, why='property is invalid', kind='InvalidProperty'):
    return error(CONNECTION_ERROR + kind, f'{setting}.{prop}: {why}')


def value(settings, setting, prop, default=None):
    return settings.get(setting, {}).get(prop, default)


def ssid_text(ssid):
    return bytes(ssid).decode('utf-8', errors='replace').replace('\0', '')


def security_of(settings):
    """The profile's key management, or None for an open network."""
    if SECURITY not in settings:
        return None
    return str(value(settings, SECURITY, 'key-mgmt', ''))


def secret_of(settings):
    """The secret a Wi-Fi network checks: the passphrase, or the WEP key."""
    if security_of(settings) == 'none':
        return value(settings, SECURITY, 'wep-key0')
    return value(settings, SECURITY, 'psk')


def is_hotspot(settings):
    return value(settings, WIFI, 'mode') == 'ap'


def is_shared(settings):
    return value(settings, 'ipv4', 'method') == 'shared'


def permitted_users(settings):
    """The users connection.permissions restricts the profile to (empty: everyone)."""
    users = []
    for entry in value(settings, 'connection', 'permissions', []):
        parts = str(entry).split(':')
        users.append(parts[1])
    return users


def without_secrets(settings):
    return {name: {prop: v for prop, v in props.items() if prop not in SECRETS.get(name, ())}
            for name, props in settings.items()}


def secrets(settings, setting):
    return {prop: v for prop, v in settings.get(setting, {}).items() if prop in SECRETS.get(setting, ())}


def copy(settings):
    return {str(name): dict(props) for name, props in settings.items()}


def complete(settings, device, access_point):
    """Fills in what AddAndActivateConnection completes from the device and
    the chosen access point; returns a new settings dictionary."""
    settings = copy(settings)
    con = settings.setdefault('connection', {})
    con.setdefault('type', typed('s', device.profile_type))
    con.setdefault('uuid', typed('s', str(uuid.uuid4())))
    if str(con['type']) == WIFI:
        wifi = settings.setdefault(WIFI, {})
        if 'ssid' not in wifi:
            if access_point is None:
                raise error('org.freedesktop.NetworkManager.Device.InvalidConnection',
                            "A 'wireless' setting with a valid SSID is required if no AP path was given.")
            wifi['ssid'] = typed('ay', access_point.ssid)
        wifi.setdefault('mode', typed('s', 'infrastructure'))
        if access_point is not None and access_point.key_mgmt and SECURITY not in settings:
            settings[SECURITY] = {'key-mgmt': typed('s', access_point.key_mgmt)}
        con.setdefault('id', typed('s', ssid_text(wifi['ssid'])))
    con.setdefault('id', typed('s', device.default_profile_name()))
    settings.setdefault('ipv4', {}).setdefault('method', typed('s', 'auto'))
    settings.setdefault('ipv6', {}).setdefault('method', typed('s', 'auto'))
    return settings


def verify(settings):
    """Raises the error NetworkManager gives for a profile it would refuse."""
    for name in settings:
        if name not in KNOWN_SETTINGS:
            raise error(CONNECTION_ERROR + 'InvalidSetting', f"unknown setting name '{name}'")
    for (setting, prop), signature in TYPES.items():
        v = value(settings, setting, prop)
        if v is not None and signature_of(v) != signature:
            raise invalid(setting, prop, f"can't set property of type '{signature}' from value of type "
                                         f"'{signature_of(v)}'")
    if 'connection' not in settings:
        raise error(CONNECTION_ERROR + 'MissingSetting', 'connection: setting not found')
    _verify_connection(settings)
    if str(value(settings, 'connection', 'type')) == WIFI:
        _verify_wifi(settings)
    _verify_ip(settings)
    for key in value(settings, 'user', 'data', {}):
        if not USER_KEY.match(str(key)) or len(key) > 255:
            raise invalid('user', 'data', f"invalid key '{key}'")


def _verify_connection(settings):
    for prop in ('id', 'uuid', 'type'):
        if not value(settings, 'connection', prop):
            raise invalid('connection', prop, 'property is missing', 'MissingProperty')
    try:
        uuid.UUID(str(value(settings, 'connection', 'uuid')))
    except ValueError:
        raise invalid('connection', 'uuid', f"'{value(settings, 'connection', 'uuid')}' is not a valid UUID") from None
    kind = str(value(settings, 'connection', 'type'))
    if kind not in KNOWN_SETTINGS and kind not in ('gsm', 'cdma'):
        raise invalid('connection', 'type', f"connection type '{kind}' is not valid")
    if kind == WIFI and WIFI not in settings:
        raise error(CONNECTION_ERROR + 'MissingSetting', f'{WIFI}: setting not found')
    for entry in value(settings, 'connection', 'permissions', []):
        parts = str(entry).split(':')
        if len(parts) not in (2, 3) or parts[0] != 'user' or not parts[1] or (len(parts) == 3 and parts[2]):
            raise invalid('connection', 'permissions', f"invalid permission '{entry}'")


def _verify_wifi(settings):
    ssid = value(settings, WIFI, 'ssid')
    if ssid is None:
        raise invalid(WIFI, 'ssid', 'property is missing', 'MissingProperty')
    if not 1 <= len(ssid) <= 32:
        raise invalid(WIFI, 'ssid', 'SSID length is out of range <1-32> bytes')
    mode = str(value(settings, WIFI, 'mode', 'infrastructure'))
    if mode not in WIFI_MODES:
        raise invalid(WIFI, 'mode', f"'{mode}' is not a valid Wi-Fi mode")
    band = value(settings, WIFI, 'band')
    channel = value(settings, WIFI, 'channel', 0)
    if band is not None and str(band) not in ('a', 'bg'):
        raise invalid(WIFI, 'band', f"'{band}' is not a valid band")
    if channel and (band is None or int(channel) not in (A_CHANNELS if str(band) == 'a' else BG_CHANNELS)):
        raise invalid(WIFI, 'channel', f"'{channel}' is not a valid channel")
    mac = value(settings, WIFI, 'assigned-mac-address')
    if mac is not None and str(mac) not in ('preserve', 'permanent', 'random', 'stable') and not MAC.match(str(mac)):
        raise invalid(WIFI, 'assigned-mac-address', f"'{mac}' is not a valid MAC address")
    if SECURITY in settings:
        _verify_security(settings)


def _verify_security(settings):
    key_mgmt = value(settings, SECURITY, 'key-mgmt')
    if key_mgmt is None:
        raise invalid(SECURITY, 'key-mgmt', 'property is missing', 'MissingProperty')
    if str(key_mgmt) not in KEY_MGMT:
        raise invalid(SECURITY, 'key-mgmt', f"'{key_mgmt}' is not a valid value for the property")
    psk = value(settings, SECURITY, 'psk')
    if str(key_mgmt) == 'wpa-psk' and psk is not None:
        psk = str(psk)
        hex_key = len(psk) == 64 and all(c in '0123456789abcdefABCDEF' for c in psk)
        if not (8 <= len(psk) <= 63 or hex_key):
            raise invalid(SECURITY, 'psk')
    for prop, allowed in (('proto', {'wpa', 'rsn'}), ('pairwise', {'tkip', 'ccmp'}),
                          ('group', {'wep40', 'wep104', 'tkip', 'ccmp'})):
        for item in value(settings, SECURITY, prop, []):
            if str(item) not in allowed:
                raise invalid(SECURITY, prop, f"'{item}' is not a valid value for the property")


def _verify_ip(settings):
    method = value(settings, 'ipv4', 'method')
    if method is not None and str(method) not in IPV4_METHODS:
        raise invalid('ipv4', 'method', f"method '{method}' is not valid")
    if method == 'manual' and not value(settings, 'ipv4', 'address-data') and not value(settings, 'ipv4', 'addresses'):
        raise invalid('ipv4', 'addresses', "this property cannot be empty for 'method=manual'", 'MissingProperty')
    method6 = value(settings, 'ipv6', 'method')
    if method6 is not None and str(method6) not in IPV6_METHODS:
        raise invalid('ipv6', 'method', f"method '{method6}' is not valid")
