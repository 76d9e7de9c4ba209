"""The router on the real stack: Brisklane against the VM's NetworkManager,
wpa_supplicant and dnsmasq on simulated radios, with a wired uplink to the
"Internet" namespace and a phone in a namespace of its own."""

import os
import signal
import tempfile
import unittest

import pyatspi

from desktop import Instance, wait_for
from realstack import HOTSPOT_NET, OUT, UNSAVED, VOLATILE, NetworkManager, Phone, UpstreamNetwork, addresses, \
    card_mode, hotspot_dnsmasq, masquerading, nothing_of_ours_left, run
from story_steps import ROUTER_PAGE, exit_program, start_wifi

PROGRAM_DIR = os.environ["BRISKLANE_PROGRAM_DIR"]
CARD = "wlan0"
REFUSED = "The wireless network could not be started."


def do(step):
    """A step of a case: a function, or a command to run."""
    if callable(step):
        step()
    else:
        run(*step)


def soft_block(on):
    """The command that sets the card's soft rfkill block, as a key would."""
    return ["sh", "-c", f"for r in /sys/class/rfkill/*; do [ $(cat $r/name) = $(basename $(readlink "
                        f"/sys/class/net/{CARD}/phy80211)) ] && echo {on} > $r/soft; done; true"]


def following_label(labels, caption):
    return labels[labels.index(caption) + 1]


class Router(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="brisklane-vm-")
        cls.nm = NetworkManager()
        cls.phone = Phone("phone", "wlan1")

    def laptop(self, ready=True):
        home = os.path.join(self.work.name, "home")
        machine = dict(BRISKLANE_MACHINE="linux", BRISKLANE_SCENARIO=None, HOME=home,
                       XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       XDG_STATE_HOME=os.path.join(home, ".local", "state"))
        instance = Instance(PROGRAM_DIR, self.work.name, "router", machine, logs=OUT)
        self.addCleanup(instance.stop)
        instance.start()
        instance.wait_status("Connected to Internet")
        instance.press(ROUTER_PAGE)
        if ready:
            instance.wait_status("Ready for Sharing")
        return instance

    def join_details(self, router):
        """The name and passphrase How To Connect shows, and the join code's
        text as a phone camera reads it off the screen."""
        router.open_menu_item("Controls", "How To \nConnect")
        router.wait_label("Scan with a phone camera to join")
        labels = router.labels()
        picture = os.path.join(self.work.name, "join-code.png")
        router.screen.photograph(picture)
        code = run("zbarimg", "-q", "--raw", picture).strip()
        router.open_menu_item("Controls", "WiFi Settings")
        return (following_label(labels, "Wireless network name (SSID):"),
                following_label(labels, "Connection Password:"), code)

    def test_1_phone_reaches_the_internet_through_the_router(self):
        router = self.laptop()
        start_wifi(router)

        (path, (profile, flags)), = self.nm.hotspots().items()
        self.assertEqual(profile["802-11-wireless"]["mode"], "ap")
        self.assertEqual(profile["ipv4"]["method"], "shared")
        self.assertEqual(flags & (UNSAVED | VOLATILE), UNSAVED | VOLATILE, hex(flags))
        self.assertEqual(profile["802-11-wireless-security"]["key-mgmt"], "wpa-psk")
        self.assertIn((path, 2), self.nm.active())
        self.assertEqual(card_mode(CARD), "AP")
        self.assertIn("inet 10.42.0.1/24", addresses(CARD))
        self.assertTrue(hotspot_dnsmasq())
        self.assertTrue(masquerading(), run("nft", "list", "ruleset"))

        name, passphrase, code = self.join_details(router)
        self.assertEqual(self.nm.secret(path), passphrase)
        self.assertEqual(passphrase, "6091760917")  # the default key, twice: WPA2 needs 8 characters
        self.assertEqual(code, f"WIFI:T:WPA;S:{name};P:{passphrase};;")

        address = self.phone.join(name, passphrase)
        self.assertTrue(address.startswith(HOTSPOT_NET), address)
        self.assertEqual(self.phone.dns_servers(), [HOTSPOT_NET + "1"])
        self.assertIn("192.0.2.1", self.phone.resolve("www.example.com"))
        self.assertIn("hello from the Internet", self.phone.fetch("http://www.example.com/?from=phone"))
        with open(os.path.join(OUT, "internet-http.log")) as log:
            seen = [line.split()[0] for line in log if "from=phone" in line]
        self.assertTrue(seen and all(source.startswith("192.0.2.1") and source != "192.0.2.1" for source in seen),
                        seen)  # the router's uplink address, not the phone's
        router.wait_cell("phone")

        router.press("Stop WiFi")
        router.answer_message("Wi-Fi stopped successfully!")
        wait_for("the phone to lose the network", lambda: not self.phone.associated(), timeout=30)
        self.phone.leave()
        wait_for("the device list to empty", lambda: router.find("table cell", "phone") is None)

        exit_program(router)
        wait_for("nothing of ours to be left", lambda: nothing_of_ours_left(self.nm), timeout=30)

    def test_2_killed_router_leaves_nothing(self):
        router = self.laptop()
        start_wifi(router)
        self.assertEqual(card_mode(CARD), "AP")
        router.process.send_signal(signal.SIGKILL)
        router.exited()
        wait_for("NetworkManager to drop the hotspot", lambda: nothing_of_ours_left(self.nm), timeout=30)
        router.stop()
        self.laptop()  # shows "Ready for Sharing" again

    def assert_refused(self, reason):
        """Start WiFi is refused with the reason, in the box and on stderr,
        and nothing reaches NetworkManager."""
        router = self.laptop(ready=False)
        before = self.nm.profiles()
        try:
            router.press("Start WiFi")
            text = router.answer_message(REFUSED)
        except AssertionError:
            router.photograph(OUT, "refused-" + reason.replace(" ", "-"))
            raise
        self.assertIn(reason, text.lower())
        self.assertIn(reason, router.errors().lower())
        self.assertEqual(self.nm.profiles().keys(), before.keys())
        exit_program(router)

    def internet_over_the_only_card(self):
        """The case of a router whose only Wi-Fi card is on the network that
        brings its Internet, the cable unplugged: the page offers nothing to
        share, as without any Internet connection to share."""
        upstream = UpstreamNetwork("wlan2")

        def join():
            upstream.start()
            wait_for("the upstream network in the scan", lambda: UpstreamNetwork.NAME in run(
                "nmcli", "-g", "SSID", "device", "wifi", "list", "--rescan", "yes"), timeout=60, interval=2)
            run("nmcli", "-w", "60", "device", "wifi", "connect", UpstreamNetwork.NAME, "password",
                UpstreamNetwork.PASSPHRASE, "ifname", CARD, timeout=90)
            run("nmcli", "connection", "down", "Uplink")

        def leave():
            run("nmcli", "connection", "delete", UpstreamNetwork.NAME, check=False)
            upstream.stop()
            run("nmcli", "-w", "60", "connection", "up", "Uplink", timeout=90)

        return "the only card carries the Internet", None, join, leave

    def assert_not_offered(self):
        """The page offers no sharing: with no connection but the card's
        carrying the Internet, there is no source to share."""
        router = self.laptop(ready=False)
        router.wait_label("Your current connection is not available for sharing your Internet.")
        button = router.wait_find("push button", "Start WiFi")
        self.assertFalse(button.getState().contains(pyatspi.STATE_ENABLED))
        exit_program(router)

    def test_3_refusals_before_anything_is_sent(self):
        cases = [
            ("wi-fi switched off", "switched off", ["nmcli", "radio", "wifi", "off"], ["nmcli", "radio", "wifi", "on"]),
            ("soft-blocked radio", "switched off", soft_block(1), soft_block(0)),
            ("card unmanaged", "does not manage", ["nmcli", "device", "set", CARD, "managed", "no"],
             ["nmcli", "device", "set", CARD, "managed", "yes"]),
            ("no dnsmasq", "dnsmasq", ["mv", "/usr/sbin/dnsmasq", "/usr/sbin/dnsmasq.hidden"],
             ["mv", "/usr/sbin/dnsmasq.hidden", "/usr/sbin/dnsmasq"]),
        ]
        for what, reason, break_it, mend_it in cases + [self.internet_over_the_only_card()]:
            with self.subTest(what):
                do(break_it)
                try:
                    if reason:
                        self.assert_refused(reason)
                    else:
                        self.assert_not_offered()
                finally:
                    do(mend_it)
                    wait_for(f"{CARD} to be back", lambda: "disconnected" in run("nmcli", "-g", "GENERAL.STATE",
                                                                                "device", "show", CARD))


if __name__ == "__main__":
    unittest.main(verbosity=2)
