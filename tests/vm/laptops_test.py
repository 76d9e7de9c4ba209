"""Two laptops on the real stack: the router (this VM's NetworkManager,
wired uplink) and a second laptop in network and mount namespaces of its
own, with its own system bus, NetworkManager and radio; and the router run
by a user without administrator rights, whom polkit decides for."""

import os
import pwd
import tempfile
import unittest

from desktop import Instance, wait_for
from realstack import HOTSPOT_NET, OUT, NetworkManager, nothing_of_ours_left, run
from story_steps import JOINING, ROUTER_PAGE, exit_program, find_network, start_wifi

PROGRAM_DIR = os.environ["BRISKLANE_PROGRAM_DIR"]
HOLDER = os.environ["SECOND_HOLDER"]  # the second laptop's namespaces
SECOND_CARD = "wlan1"  # the radio moved into its namespace
RULES = "/etc/polkit-1/rules.d/50-brisklane-test.rules"


class Laptops(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="brisklane-vm-")
        self.addCleanup(self.work.cleanup)
        self.nm = NetworkManager()
        self.second = NetworkManager(f"unix:path=/proc/{HOLDER}/root/run/dbus/system_bus_socket")

    def laptop(self, name, settings=None, launcher=(), user="root"):
        home = os.path.join(self.work.name, name + "-home")
        os.makedirs(home)
        os.chown(home, pwd.getpwnam(user).pw_uid, -1)
        machine = dict(BRISKLANE_MACHINE="linux", BRISKLANE_SCENARIO=None, HOME=home,
                       XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       XDG_STATE_HOME=os.path.join(home, ".local", "state"))
        instance = Instance(PROGRAM_DIR, self.work.name, name, machine, settings, launcher, logs=OUT)
        self.addCleanup(instance.stop)
        return instance.start()

    def router(self):
        router = self.laptop("router")
        router.wait_status("Connected to Internet")
        router.press(ROUTER_PAGE)
        start_wifi(router)
        return router

    def second_laptop(self, settings=None):
        guest = self.laptop("guest", settings, ["nsenter", "-t", HOLDER, "-m", "-n", "--"])
        guest.wait_status("Internet Disconnected")
        find_network(guest)
        return guest

    def second_address(self):
        return run("nsenter", "-t", HOLDER, "-n", "--", "ip", "-4", "-o", "addr", "show", "dev", SECOND_CARD)

    def test_1_second_laptop_reaches_the_internet_through_the_first(self):
        router = self.router()
        guest = self.second_laptop()
        guest.press("Connect to Brisklane")
        guest.answer_message(JOINING)
        guest.wait_status("Connected to Internet")
        self.assertIn("inet " + HOTSPOT_NET, self.second_address())
        exit_program(guest)
        exit_program(router)
        wait_for("nothing of ours to be left", lambda: nothing_of_ours_left(self.nm), timeout=30)

    def test_2_another_key_is_refused_and_joins_nothing(self):
        router = self.router()
        guest = self.second_laptop(settings="[System]\nPassword=12345\n")
        guest.press("Connect to Brisklane")
        text = guest.answer_message("Could not connect to the wireless network.")
        self.assertIn("check that the key in Options", text)  # a WPA2/WPA3 network rejects it at the WPA3 handshake
        self.assertEqual(self.second.active_wifi(), [])
        self.assertNotIn("inet " + HOTSPOT_NET, self.second_address())
        exit_program(guest)
        exit_program(router)


if __name__ == "__main__":
    unittest.main(verbosity=2)
