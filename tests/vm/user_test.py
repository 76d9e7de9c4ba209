"""The router run by a user without administrator rights, in no desktop
session and with no polkit agent (as from SSH): NetworkManager's default
policy refuses, and a local polkit rule that grants the user
org.freedesktop.NetworkManager.* lets Start WiFi through. Run once per
phase: `user_test.py refused`, then, with the rule in place, `allowed`."""

import os
import sys
import tempfile
import unittest

from desktop import Instance, wait_for
from realstack import OUT, NetworkManager, card_mode, nothing_of_ours_left
from story_steps import ROUTER_PAGE, exit_program, start_wifi

PHASE = sys.argv.pop(1)


class User(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="brisklane-vm-")
        self.addCleanup(self.work.cleanup)
        self.nm = NetworkManager()
        home = os.environ["HOME"]
        machine = dict(BRISKLANE_MACHINE="linux", BRISKLANE_SCENARIO=None,
                       XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       XDG_STATE_HOME=os.path.join(home, ".local", "state"))
        self.router = Instance(os.environ["BRISKLANE_PROGRAM_DIR"], self.work.name, "user-" + PHASE, machine,
                               logs=OUT)
        self.addCleanup(self.router.stop)
        self.router.start()
        self.router.press(ROUTER_PAGE)
        self.router.wait_status("Ready for Sharing")

    @unittest.skipUnless(PHASE == "refused", "without the rule")
    def test_refused_with_the_permission_named(self):
        self.router.press("Start WiFi")
        text = self.router.answer_message("The wireless network could not be started.")
        refusal = "polkit refuses org.freedesktop.NetworkManager."
        self.assertIn(refusal, text)
        self.assertIn(refusal, self.router.errors())
        self.assertEqual(self.nm.hotspots(), {})
        self.router.wait_status("Ready for Sharing")
        exit_program(self.router)

    @unittest.skipUnless(PHASE == "allowed", "with the rule")
    def test_allowed_by_a_local_rule(self):
        start_wifi(self.router)
        self.assertEqual(card_mode("wlan0"), "AP")
        exit_program(self.router)
        wait_for("nothing of ours to be left", lambda: nothing_of_ours_left(self.nm), timeout=30)


if __name__ == "__main__":
    unittest.main(verbosity=2)
