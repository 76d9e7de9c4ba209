"""The two-laptop story on the Linux machine.

Each laptop is a real program process run with BRISKLANE_MACHINE=linux
against a NetworkManager of its own: a mock on a private bus that stands in
for its system bus (mocked_networkmanager.py). The first has wired Internet
and a Wi-Fi card that can host a network, the second a Wi-Fi card only.
This test plays what lies between and around them:

- the air: once the first laptop's hotspot is up in its NetworkManager, the
  second's hears a network of that name, hardware address and passphrase
  (its NetworkManager checks the key when the second joins);
- the Internet: the program's reachability probe connects to the proxy that
  http_proxy names, here a socket of this test on the loopback, so no probe
  leaves the machine; the second laptop's answers once it has joined.

Nothing touches the machine's real network, system bus or settings."""

import os
import signal
import socket
import tempfile
import threading
import unittest

from desktop import Instance, wait_for
from mocked_networkmanager import ACTIVATED, MockedNetworkManager
from story_steps import JOINING, ROUTER_PAGE, exit_program, find_network, start_wifi

PROGRAM_DIR = os.environ["BRISKLANE_PROGRAM_DIR"]

# Interface names no real computer is likely to have: the Linux machine
# looks up the kernel's interfaces by name.
WIRED, WIRELESS = "bl-eth0", "bl-wlan0"
FIRST_LAPTOP = {
    "devices": [{"kind": "ethernet", "interface": WIRED, "hw_address": "52:54:00:12:34:56", "connected": {}},
                {"kind": "wifi", "interface": WIRELESS, "hw_address": "00:1B:2C:3D:4E:5F", "ap": True}],
    "auto_activation": True,
}
SECOND_LAPTOP = {
    "devices": [{"kind": "wifi", "interface": WIRELESS, "hw_address": "00:1B:2C:3D:4E:60", "ap": True}],
    "auto_activation": True,
}
WIRELESS_SETTING = "802-11-wireless"
SECURITY_SETTING = "802-11-wireless-security"


class Internet:
    """The Internet as one laptop's probe sees it: a loopback socket that
    refuses connections until plugged in, then accepts and closes them."""

    def __init__(self):
        self.socket = socket.socket()
        self.socket.bind(("127.0.0.1", 0))
        self.proxy = "http://127.0.0.1:%d" % self.socket.getsockname()[1]
        self.thread = None

    def plug_in(self):
        self.socket.listen()
        self.thread = threading.Thread(target=self._answer, daemon=True)
        self.thread.start()

    def _answer(self):
        while True:
            try:
                connection, _ = self.socket.accept()
            except OSError:  # closed
                return
            connection.close()

    def close(self):
        if self.thread:
            self.socket.shutdown(socket.SHUT_RDWR)  # wakes the accepting thread
        self.socket.close()
        if self.thread:
            self.thread.join()


def hotspots(nm):
    """The access-point profiles in a NetworkManager, by object path."""
    return {path: settings for path, settings in nm.profiles().items()
            if settings.get(WIRELESS_SETTING, {}).get("mode") == "ap"}


class TwoLinuxLaptops(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="brisklane-linux-e2e-")
        self.addCleanup(self.work.cleanup)
        self.first = self.computer(FIRST_LAPTOP)
        self.first_internet = self.internet()
        self.first_internet.plug_in()

    def computer(self, machine):
        nm = MockedNetworkManager(machine)
        self.addCleanup(nm.close)
        return nm

    def internet(self):
        internet = Internet()
        self.addCleanup(internet.close)
        return internet

    def laptop(self, name, nm, internet, settings=None):
        home = os.path.join(self.work.name, name + "-home")
        machine = dict(nm.environment(), BRISKLANE_MACHINE="linux", BRISKLANE_SCENARIO=None, HOME=home,
                       XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       XDG_STATE_HOME=os.path.join(home, ".local", "state"), http_proxy=internet.proxy)
        for variable in ("HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"):
            machine[variable] = None
        instance = Instance(PROGRAM_DIR, self.work.name, name, machine, settings)
        self.addCleanup(instance.stop)
        return instance.start()

    def router(self):
        """The first laptop, up to its Hotspot Setup page ready for sharing,
        with its wired connection as the source and its card as the
        wireless side."""
        router = self.laptop("router", self.first, self.first_internet)
        router.wait_status("Connected to Internet")
        router.press(ROUTER_PAGE)
        router.wait_label(f"Ethernet - {WIRED}")
        router.wait_label(f"Wi-Fi - {WIRELESS}")
        router.wait_status("Ready for Sharing")
        return router

    def second_laptop_in_range(self, settings=None):
        """The second laptop, whose NetworkManager hears the first's hotspot
        (name, hardware address, passphrase), announcing it on its How To
        Connect page; its Internet not yet plugged in."""
        (path, profile), = hotspots(self.first).items()
        second = self.computer(SECOND_LAPTOP)
        second.add_network({"ssid": profile[WIRELESS_SETTING]["ssid"].decode(),
                            "bssid": profile[WIRELESS_SETTING]["assigned-mac-address"], "security": "wpa2-psk",
                            "passphrase": self.first.secrets(path, SECURITY_SETTING)["psk"]})
        internet = self.internet()
        guest = self.laptop("guest", second, internet, settings)
        guest.wait_status("Internet Disconnected")
        find_network(guest)
        return guest, second, internet

    def assert_nothing_left(self, nm):
        """No hotspot profile, and no active connection but the wired one."""
        wait_for("the hotspot to go", lambda: not hotspots(nm) and len(nm.active_connections()) == 1)

    def test_second_laptop_joins_the_first(self):
        router = self.router()
        start_wifi(router)

        # The hotspot: shared, an access point, WPA2 with the settings' key
        # (five characters, the default) twice as its passphrase, a locally
        # administered hardware address; activated.
        (path, profile), = hotspots(self.first).items()
        self.assertEqual(profile["ipv4"]["method"], "shared")
        self.assertEqual(profile[WIRELESS_SETTING]["ssid"], b"Brisklane")
        bssid = profile[WIRELESS_SETTING]["assigned-mac-address"]
        self.assertTrue(int(bssid.split(":")[0], 16) & 0x02, bssid)
        self.assertEqual(profile[SECURITY_SETTING]["key-mgmt"], "wpa-psk")
        self.assertEqual(self.first.secrets(path, SECURITY_SETTING)["psk"], "6091760917")
        self.assertIn({"profile": path, "state": ACTIVATED}, self.first.active_connections())

        # The air carries it to the second laptop, which joins with its key.
        guest, second, second_internet = self.second_laptop_in_range()
        guest.press("Connect to Brisklane")
        guest.answer_message(JOINING)

        def joined():
            profiles = second.profiles()
            return any(active["state"] == ACTIVATED
                       and profiles[active["profile"]][WIRELESS_SETTING]["ssid"] == b"Brisklane"
                       for active in second.active_connections())
        wait_for("the second laptop to join", joined)
        second_internet.plug_in()
        guest.wait_status("Connected to Internet")

        exit_program(guest)
        exit_program(router)
        self.assert_nothing_left(self.first)

    def test_wrong_key_is_refused_and_explained(self):
        router = self.router()
        start_wifi(router)
        guest, second, _ = self.second_laptop_in_range(settings="[System]\nPassword=12345\n")
        guest.press("Connect to Brisklane")
        text = guest.answer_message("Could not connect to the wireless network.")
        self.assertIn("The key was not accepted", text)
        self.assertNotIn(ACTIVATED, [active["state"] for active in second.active_connections()])
        guest.wait_status("Internet Disconnected")

    def test_wifi_switched_off_is_explained_and_changes_nothing(self):
        self.first.control("SetWirelessEnabled", False)
        router = self.router()
        router.press("Start WiFi")
        text = router.answer_message("The wireless network could not be started.")
        reason = text.splitlines()[1:]
        self.assertTrue(reason and "switched off" in reason[-1].lower(), text)
        router.wait_status("Ready for Sharing")
        self.assertEqual(hotspots(self.first), {})
        exit_program(router)

    def test_a_networkmanager_that_keeps_start_wifi_waiting_never_freezes_the_window(self):
        """While polkit asks the user for a password, NetworkManager does not
        answer Start WiFi: the window goes on answering and says that it
        waits for permission, Stop WiFi gives the wait up, and what NetworkManager
        brings up afterwards goes again. With NetworkManager hung, Exit still
        ends the program."""
        held = ["AddAndActivateConnection2"]
        router = self.router()
        self.first.control("SetPermission", "wifi.share.protected", "auth")
        self.first.control("SetReplyDelayOf", -1.0, held)
        router.press("Start WiFi")
        router.wait_status("Waiting for permission\u2026")
        router.press("Select...")
        router.wait_window("Select Connection")
        router.press("Cancel")
        router.press("Stop WiFi")
        router.answer_message("Wi-Fi stopped successfully!")
        router.wait_status("Ready for Sharing")
        self.first.control("SetReplyDelayOf", 0.0, held)
        self.assert_nothing_left(self.first)

        # Start WiFi, or Stop WiFi of a running hotspot, then Exit, with
        # NetworkManager hung.
        for button, status, running in (("Start WiFi", "Starting Wi-Fi\u2026", False),
                                        ("Stop WiFi", "Stopping Wi-Fi\u2026", True)):
            with self.subTest(button=button):
                if running:
                    router = self.router()
                    start_wifi(router)
                self.first.control("SetReplyDelay", -1.0)
                router.press(button)
                router.wait_status(status)
                exit_program(router)
                self.first.control("SetReplyDelay", 0.0)
                self.assert_nothing_left(self.first)

    def test_killed_or_terminated_router_leaves_nothing(self):
        for ending in (signal.SIGTERM, signal.SIGKILL):
            with self.subTest(ending=ending.name):
                router = self.router()
                start_wifi(router)
                router.process.send_signal(ending)
                router.exited()
                self.assert_nothing_left(self.first)
        # A new start finds sharing off.
        exit_program(self.router())


if __name__ == "__main__":
    unittest.main(verbosity=2)
