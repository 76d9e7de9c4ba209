"""NetworkManager's D-Bus names and numbers, as its clients see them."""

BUS_NAME = 'org.freedesktop.NetworkManager'
ROOT = '/org/freedesktop/NetworkManager'
SETTINGS_PATH = ROOT + '/Settings'

MANAGER = 'org.freedesktop.NetworkManager'
SETTINGS = MANAGER + '.Settings'
PROFILE = MANAGER + '.Settings.Connection'
DEVICE = MANAGER + '.Device'
WIRELESS = MANAGER + '.Device.Wireless'
WIRED = MANAGER + '.Device.Wired'
MODEM = MANAGER + '.Device.Modem'
ACCESS_POINT = MANAGER + '.AccessPoint'
ACTIVE = MANAGER + '.Connection.Active'
IP4_CONFIG = MANAGER + '.IP4Config'
DHCP4_CONFIG = MANAGER + '.DHCP4Config'

VERSION = '1.42.4'


class State:
    """NMState: the manager's overall state."""
    ASLEEP = 10
    DISCONNECTED = 20
    CONNECTING = 40
    CONNECTED_LOCAL = 50
    CONNECTED_SITE = 60
    CONNECTED_GLOBAL = 70


class Connectivity:
    UNKNOWN = 0
    NONE = 1
    FULL = 4


class DeviceState:
    UNMANAGED = 10
    UNAVAILABLE = 20
    DISCONNECTED = 30
    PREPARE = 40
    CONFIG = 50
    NEED_AUTH = 60
    IP_CONFIG = 70
    IP_CHECK = 80
    SECONDARIES = 90
    ACTIVATED = 100
    DEACTIVATING = 110
    FAILED = 120


class Reason:
    """NMDeviceStateReason, the reasons this stand-in gives."""
    NONE = 0
    UNKNOWN = 1
    NOW_MANAGED = 2
    NOW_UNMANAGED = 3
    CONFIG_FAILED = 4
    NO_SECRETS = 7
    SUPPLICANT_DISCONNECT = 8
    SHARED_START_FAILED = 18
    SHARED_FAILED = 19
    REMOVED = 36
    CONNECTION_REMOVED = 38
    USER_REQUESTED = 39
    CARRIER = 40
    SSID_NOT_FOUND = 53
    NEW_ACTIVATION = 60

    # Failures that happen while addresses are set up; all others happen
    # while the link is configured.
    IP_STAGE = {5, 6, 15, 16, 17, SHARED_START_FAILED, SHARED_FAILED, 20, 21, 22, 64, 65}


class ActiveState:
    ACTIVATING = 1
    ACTIVATED = 2
    DEACTIVATING = 3
    DEACTIVATED = 4


class ActiveReason:
    NONE = 1
    DEVICE_DISCONNECTED = 3


class ActivationFlags:
    LAYER2_READY = 0x4
    IP4_READY = 0x8


class ProfileFlags:
    UNSAVED = 0x1
    VOLATILE = 0x4


class DeviceType:
    ETHERNET = 1
    WIFI = 2
    MODEM = 8
    BRIDGE = 13
    GENERIC = 14
    TUN = 16
    VETH = 20
    LOOPBACK = 32


class WifiMode:
    INFRA = 2
    AP = 3


class WifiCapability:
    CIPHER_WEP40 = 0x1
    CIPHER_WEP104 = 0x2
    CIPHER_TKIP = 0x4
    CIPHER_CCMP = 0x8
    WPA = 0x10
    RSN = 0x20
    AP = 0x40
    FREQ_VALID = 0x100
    FREQ_2GHZ = 0x200
    FREQ_5GHZ = 0x400


class ApFlags:
    PRIVACY = 0x1


class ApSecurity:
    PAIR_TKIP = 0x4
    PAIR_CCMP = 0x8
    GROUP_TKIP = 0x40
    GROUP_CCMP = 0x80
    KEY_MGMT_PSK = 0x100
    KEY_MGMT_802_1X = 0x200
    KEY_MGMT_SAE = 0x400


class DeviceCapability:
    NM_SUPPORTED = 0x1
    CARRIER_DETECT = 0x2
    IS_SOFTWARE = 0x4


# The polkit actions GetPermissions reports.
PERMISSIONS = [
    'org.freedesktop.NetworkManager.checkpoint-rollback',
    'org.freedesktop.NetworkManager.enable-disable-connectivity-check',
    'org.freedesktop.NetworkManager.enable-disable-network',
    'org.freedesktop.NetworkManager.enable-disable-statistics',
    'org.freedesktop.NetworkManager.enable-disable-wifi',
    'org.freedesktop.NetworkManager.enable-disable-wimax',
    'org.freedesktop.NetworkManager.enable-disable-wwan',
    'org.freedesktop.NetworkManager.network-control',
    'org.freedesktop.NetworkManager.reload',
    'org.freedesktop.NetworkManager.settings.modify.global-dns',
    'org.freedesktop.NetworkManager.settings.modify.hostname',
    'org.freedesktop.NetworkManager.settings.modify.own',
    'org.freedesktop.NetworkManager.settings.modify.system',
    'org.freedesktop.NetworkManager.sleep-wake',
    'org.freedesktop.NetworkManager.wifi.scan',
    'org.freedesktop.NetworkManager.wifi.share.open',
    'org.freedesktop.NetworkManager.wifi.share.protected',
]
