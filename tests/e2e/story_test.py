"""The whole story, as a new user lives it: two laptops on one computer.

The first laptop (wired Internet, a Wi-Fi adapter) starts its wireless
network and shares its Internet into it; the second (a Wi-Fi adapter, no
Internet of its own) sees the network, joins it and reaches the Internet
through the first, which lists it among its devices and tells of it in a
tray balloon while its window is in the tray; Stop WiFi cuts it off again;
Exit removes everything; a wrong key does not join. Both laptops are real
program processes driven through the desktop's accessibility interface; the
titles of their windows are read from the X server, as a window manager
would show them."""

import os
import sys
import tempfile
import unittest

from desktop import Instance, simulated_machine
from story_steps import JOINING, ROUTER_PAGE, exit_program, find_network, start_wifi

PROGRAM_DIR = os.environ["BRISKLANE_PROGRAM_DIR"]
# Where `make demo` wants pictures of each step; empty: no pictures.
PICTURES = os.environ.get("BRISKLANE_SCREENSHOTS", "")


class TwoLaptops(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="brisklane-e2e-")
        self.air = os.path.join(self.work.name, "air")
        self.instances = []

    def tearDown(self):
        for instance in self.instances:
            instance.stop()
        self.work.cleanup()

    def laptop(self, name, scenario, settings=None):
        machine = simulated_machine(scenario, self.air, os.path.join(self.work.name, name + "-state"))
        instance = Instance(PROGRAM_DIR, self.work.name, name, machine, settings)
        self.instances.append(instance)
        return instance.start()

    def test_second_laptop_reaches_the_internet_through_the_first(self):
        # 1. The first laptop becomes a router.
        router = self.laptop("router", "laptop")
        router.wait_window("Brisklane")
        router.wait_status("Connected to Internet")
        router.press(ROUTER_PAGE)
        start_wifi(router, PICTURES)

        # 2. The second laptop sees the network, joins it and gets Internet.
        guest = self.laptop("guest", "laptop2")
        guest.wait_status("Internet Disconnected")
        find_network(guest)
        guest.photograph(PICTURES, "story-3-guest-found")
        guest.press("Connect to Brisklane")
        guest.answer_message(JOINING)
        guest.wait_status("Connected to Internet")
        guest.photograph(PICTURES, "story-4-guest-online")

        # The first laptop lists the second among the devices on its network,
        # and shows phones a QR code to join.
        router.wait_cell("LAPTOP2")
        router.photograph(PICTURES, "devices-list")
        router.open_menu_item("Controls", "How To \nConnect")
        router.wait_label("Scan with a phone camera to join")
        router.photograph(PICTURES, "join-code")
        router.open_menu_item("Controls", "WiFi Settings")

        # 3. Stop WiFi cuts the second laptop off; Exit ends the first, and a
        # new start finds sharing off and the settings kept.
        router.press("Stop WiFi")
        router.answer_message("Wi-Fi stopped successfully!")
        guest.wait_status("Internet Disconnected")
        guest.photograph(PICTURES, "story-5-guest-offline")
        exit_program(router)
        settings = router.settings()
        for key in ("AutoRun", "CheckForUpdates", "StartMinimized", "SSID", "Password", "SourceGUID", "DestGUID"):
            self.assertIn(key + "=", settings)

        router.start()
        router.press(ROUTER_PAGE)
        router.wait_status("Ready for Sharing")
        self.assertNotIn("Internet Sharing Enabled", " ".join(router.status_texts()))
        exit_program(router)
        exit_program(guest)

    def test_wrong_key_does_not_join(self):
        router = self.laptop("router", "laptop")
        router.wait_status("Connected to Internet")
        router.press(ROUTER_PAGE)
        start_wifi(router)

        guest = self.laptop("guest", "laptop2", settings="[System]\nPassword=12345\n")
        find_network(guest)
        guest.press("Connect to Brisklane")
        guest.wait_find("label", "Could not connect to the wireless network.")
        guest.photograph(PICTURES, "story-6-wrong-key")
        guest.answer_message("Could not connect to the wireless network.")
        guest.wait_status("Internet Disconnected")
        exit_program(guest)
        exit_program(router)

    def test_balloons_tell_of_devices_while_the_window_is_in_the_tray(self):
        router = self.laptop("router", "laptop")
        router.wait_status("Connected to Internet")
        router.press(ROUTER_PAGE)
        start_wifi(router)
        router.open_menu_item("File", "Minimize To Tray")
        router.wait_balloon("Brisklane is running in the background!")

        guest = self.laptop("guest", "laptop2")
        find_network(guest)
        guest.press("Connect to Brisklane")
        guest.answer_message(JOINING)
        router.wait_balloon("LAPTOP2 joined Brisklane")
        guest.press("Disconnect")
        guest.answer_message("Disconnected successfully!")
        router.wait_balloon("LAPTOP2 left Brisklane")
        exit_program(guest)

    def test_tour_of_pages_and_dialogs(self):
        laptop = self.laptop("tour", "laptop")
        laptop.wait_status("Connected to Internet")
        laptop.photograph(PICTURES, "page-home")

        laptop.press(ROUTER_PAGE)
        laptop.wait_label("Connected")
        laptop.photograph(PICTURES, "page-hotspot-setup")
        laptop.press("Select...")
        laptop.wait_label("Please select the connection through which Internet is connected.")
        laptop.wait_window("Select Connection")
        laptop.photograph(PICTURES, "dialog-select-connection")
        laptop.press("Cancel")

        laptop.open_menu_item("Controls", "How To \nConnect")
        laptop.wait_label("Wireless network name (SSID):")
        laptop.photograph(PICTURES, "page-connect-to-hotspot")
        laptop.press("Options")
        laptop.wait_label("Password MUST be 5 or 13 digits or letters.")
        laptop.wait_window("Options")
        laptop.photograph(PICTURES, "dialog-options")
        laptop.press("Cancel")

        laptop.open_menu_item("Help", "About")
        laptop.wait_label_starting("Version ")
        laptop.wait_window("About")
        laptop.photograph(PICTURES, "dialog-about")
        laptop.press("OK")
        exit_program(laptop)

    def test_windows_xp_wireless_service_is_restarted_at_start(self):
        laptop = self.laptop("xp", "xp-laptop")
        laptop.wait_window("Starting WIFI Service")
        laptop.wait_label("The Windows WIFI service was started successfully.")
        laptop.press("Close")
        laptop.wait_window("Brisklane")
        exit_program(laptop)


if __name__ == "__main__":
    unittest.main(verbosity=2)
