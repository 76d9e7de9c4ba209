"""Active connections: the step-by-step activation of a profile on a device,
and its end.

An activation is a list of device states decided when it starts (and
re-checked when the device associates): the states NetworkManager 1.42 goes
through, ending in activated or in failed with a reason. Tests advance it
one state at a time or let it run to the end; nothing advances on a timer.
"""

import dbus

from . import rules
from .air import AccessPoint, Network
from .constants import ACTIVE, DEVICE, ActivationFlags, ActiveReason, ActiveState, ApSecurity, DeviceState as S, Reason, \
    WifiMode
from .devices import ACTIVE_STATES, Dhcp4Config, Ip4Config
from .exported import Exported

PREPARE = [(S.PREPARE, Reason.NONE), (S.CONFIG, Reason.NONE)]
SUCCESS = PREPARE + [(S.IP_CONFIG, Reason.NONE), (S.IP_CHECK, Reason.NONE), (S.SECONDARIES, Reason.NONE),
                     (S.ACTIVATED, Reason.NONE)]
HOTSPOT_ADDRESS = '10.42.0.1'


def plan(device, settings, network, failure=None):
    """The device states an activation goes through."""
    if failure is not None:
        if failure == Reason.NO_SECRETS:
            return PREPARE + [(S.NEED_AUTH, Reason.NONE), (S.FAILED, failure)]
        if failure in Reason.IP_STAGE:
            return PREPARE + [(S.IP_CONFIG, Reason.NONE), (S.FAILED, failure)]
        return PREPARE + [(S.FAILED, failure)]
    if device.kind == 'wifi' and not rules.is_hotspot(settings):
        refusal = _association(settings, network)
        if refusal is not None:
            return PREPARE + refusal
    return list(SUCCESS)


def _association(settings, network):
    """The states after config when a Wi-Fi client cannot join (none: it stays
    in config); None when it can."""
    why = network.admits(settings) if network is not None else 'absent'
    if why in ('absent', 'incompatible'):
        return [(S.FAILED, Reason.SSID_NOT_FOUND)]
    if why == 'no-secret':
        return [(S.NEED_AUTH, Reason.NONE), (S.FAILED, Reason.NO_SECRETS)]
    if why == 'wrong-secret' and network.rsn_flags & ApSecurity.KEY_MGMT_SAE:
        # The WPA3 handshake rejects the key; wpa_supplicant tries again and
        # again, and NetworkManager waits on in config.
        return []
    if why == 'wrong-secret':
        return [(S.NEED_AUTH, Reason.SUPPLICANT_DISCONNECT), (S.FAILED, Reason.NO_SECRETS)]
    return None


class Activation(Exported):
    """org.freedesktop.NetworkManager.Connection.Active for one profile on one device."""

    def __init__(self, manager, profile, device, access_point, failure=None):
        super().__init__(manager, manager.next_path('ActiveConnection'), [ACTIVE])
        self.profile = profile
        self.device = device
        self.access_point = access_point
        self.network = access_point.network if access_point else None
        self.hotspot = None  # the network this activation broadcasts, once up
        self.own_access_point = None
        self.ip4_config = None
        self.dhcp4_config = None
        self.client_watch = None
        self.steps = plan(device, profile.settings, self.network, failure)
        self.set(ACTIVE, Connection=profile.path, SpecificObject=access_point.path if access_point else '/',
                 Id=profile.id, Uuid=profile.uuid, Type=profile.type, Devices=[device.path],
                 State=ActiveState.ACTIVATING, Vpn=False, Controller='/', Master='/')
        self.announce()

    @property
    def state(self):
        return int(self.get(ACTIVE, 'State'))

    @property
    def activated(self):
        return self.state == ActiveState.ACTIVATED

    @property
    def finished(self):
        return self.state == ActiveState.DEACTIVATED

    def gateway(self):
        """The default route this activation offers, or None."""
        if self.ip4_config is None or rules.value(self.profile.settings, 'ipv4', 'never-default', False):
            return None
        return self.ip4_config.gateway

    def bind_to(self, client_name):
        """Ends the activation when the client's bus name goes."""
        def owner_changed(owner):
            if not owner and not self.finished:
                self.deactivate(Reason.USER_REQUESTED)
        self.client_watch = self.manager.mock.connection.watch_name_owner(client_name, owner_changed)

    # Advancing ------------------------------------------------------------

    def step(self):
        """Takes the next state; returns the device state reached."""
        if self.finished or not self.steps:
            return self.device.state
        if self.device.state == S.CONFIG and self.network is not None and self.network not in self.manager.air:
            self.steps = [(S.FAILED, Reason.SSID_NOT_FOUND)]
        state, reason = self.steps.pop(0)
        if state == S.FAILED:
            self._fail(reason)
        else:
            self.device.change_state(state, reason)
            self._enter(state)
        self.manager.refresh()
        return self.device.state

    def complete(self):
        while self.steps and not self.finished:
            self.step()
        return self.device.state

    def _enter(self, state):
        wifi = self.device.kind == 'wifi'
        hotspot = rules.is_hotspot(self.profile.settings)
        if state == S.CONFIG and hotspot:
            self.device.show_configuration(mode=WifiMode.AP, hw_address=self._hotspot_address())
        elif state == S.IP_CONFIG and wifi and not hotspot:
            self.device.show_configuration(access_point=self.access_point)
        elif state == S.ACTIVATED:
            self._activated(wifi, hotspot)

    def _activated(self, wifi, hotspot):
        self._configure_ip()
        if hotspot:
            self.hotspot = Network.hotspot(self.device, self.profile.settings, self._hotspot_address())
            self.own_access_point = AccessPoint(self.manager, self.hotspot, WifiMode.AP)
            self.device.show_configuration(self.ip4_config, self.own_access_point, WifiMode.AP, self.hotspot.bssid)
            self.manager.broadcast(self.hotspot)
        else:
            self.device.show_configuration(self.ip4_config, self.access_point if wifi else None,
                                           dhcp4_config=self.dhcp4_config)
        self._set_state(ActiveState.ACTIVATED, ActiveReason.NONE,
                        StateFlags=ActivationFlags.LAYER2_READY | ActivationFlags.IP4_READY,
                        Ip4Config=self.ip4_config.path if self.ip4_config else '/',
                        Dhcp4Config=self.dhcp4_config.path if self.dhcp4_config else '/')

    def _hotspot_address(self):
        assigned = str(rules.value(self.profile.settings, rules.WIFI, 'assigned-mac-address', 'preserve'))
        if rules.MAC.match(assigned):
            return assigned.upper()
        if assigned == 'permanent':
            return str(self.device.get(DEVICE, 'HwAddress')) if self.device.kind != 'wifi' \
                else str(self.device.spec.get('perm_hw_address', self.device.hw_address)).upper()
        if assigned in ('random', 'stable'):
            return '02:' + self.device.hw_address[3:]
        return self.device.hw_address

    def _addressing(self):
        """(address, prefix, gateway, DNS servers, from DHCP) of the activated
        device, or None without IPv4."""
        method = str(rules.value(self.profile.settings, 'ipv4', 'method', 'auto'))
        if method == 'disabled':
            return None
        if method == 'shared':
            return HOTSPOT_ADDRESS, 24, None, [], False
        if method == 'manual':
            first = rules.value(self.profile.settings, 'ipv4', 'address-data')[0]
            gateway = rules.value(self.profile.settings, 'ipv4', 'gateway')
            return str(first['address']), int(first['prefix']), str(gateway) if gateway else None, [], False
        if method == 'link-local':
            return '169.254.7.%d' % (10 + self.manager.count('ip4')), 16, None, [], False
        if self.network is not None:
            gateway = self.network.gateway
            host = gateway.rsplit('.', 1)[0] + '.%d' % (100 + self.manager.count('ip4'))
            return host, self.network.prefix, gateway, [gateway], True
        ip4 = self.device.spec.get('ip4', {})
        gateway = ip4.get('gateway', '192.168.1.1')
        return (ip4.get('address', '192.168.1.20'), ip4.get('prefix', 24), gateway, ip4.get('dns', [gateway]),
                ip4.get('dhcp', True))

    def _configure_ip(self):
        addressing = self._addressing()
        if addressing is None:
            return
        address, prefix, gateway, dns, dhcp = addressing
        self.ip4_config = Ip4Config(self.manager, address, prefix, gateway, dns)
        self.ip4_config.gateway = gateway
        if dhcp:
            self.dhcp4_config = Dhcp4Config(self.manager, address, prefix, gateway, dns)

    # Ending -----------------------------------------------------------------

    def _fail(self, reason):
        self.device.change_state(S.FAILED, reason)
        self._set_state(ActiveState.DEACTIVATED, ActiveReason.DEVICE_DISCONNECTED)
        self._end(S.DISCONNECTED, Reason.NONE)

    def lose_network(self):
        """The network joined went off the air."""
        self._fail(Reason.SSID_NOT_FOUND)
        self.manager.refresh()

    def deactivate(self, reason, final_state=S.DISCONNECTED):
        """Takes the activation down, as DeactivateConnection or a lost device does."""
        if self.finished:
            return
        self.steps = []
        if self.device.state in ACTIVE_STATES and self.device.state != S.DEACTIVATING:
            self.device.change_state(S.DEACTIVATING, reason)
            self._set_state(ActiveState.DEACTIVATING, ActiveReason.NONE)
        self._end(final_state, reason)

    def _end(self, final_state, reason):
        if self.hotspot is not None:
            self.manager.silence(self.hotspot)
        self.device.show_configuration()
        self.device.activation = None
        self.device.set(DEVICE, ActiveConnection='/')
        self.device.change_state(final_state, reason)
        if not self.finished:
            self._set_state(ActiveState.DEACTIVATED, ActiveReason.DEVICE_DISCONNECTED)
        self.set(ACTIVE, Default=False, StateFlags=0, Ip4Config='/', Dhcp4Config='/')
        if self.client_watch is not None:
            self.client_watch.cancel()
        self.manager.forget(self)
        for part in (self.own_access_point, self.ip4_config, self.dhcp4_config):
            if part is not None:
                part.withdraw()
        self.withdraw()
        if self.profile.volatile and self.profile in self.manager.settings.profiles:
            self.manager.settings.remove(self.profile)

    def _set_state(self, state, reason, **props):
        self.set(ACTIVE, State=state, **props)
        self.emit(ACTIVE, 'StateChanged', dbus.UInt32(state), dbus.UInt32(reason))
