"""Steps of the two-laptop story that every machine's story takes alike."""

ROUTER_PAGE = "Setup my laptop as a wireless router..."
CONNECT_PAGE = "How to use the wireless Internet service provided by this laptop..."
EXIT_QUESTION = "All other devices connected to your computer will be disconnected. Do you want to exit?"
JOINING = "Done! Please wait a few seconds to finish the connecting..."


def start_wifi(router, pictures=""):
    """Start WiFi on the Hotspot Setup page (open), and the success it
    reports."""
    router.photograph(pictures, "story-1-router-ready")
    router.press("Start WiFi")
    router.wait_find("label", "Wi-Fi started successfully!")
    router.wait_window("Message")
    router.photograph(pictures, "story-2-router-started")
    router.answer_message("Wi-Fi started successfully!")
    router.wait_status("Internet Sharing Enabled")


def find_network(guest, name="Brisklane"):
    """Refresh on the How To Connect page, until the network is announced."""
    guest.press(CONNECT_PAGE)
    guest.press("Refresh")
    guest.wait_label(f"Signal [{name}] found nearby")


def exit_program(instance):
    """Exit, confirmed, and the process ends."""
    instance.press("Exit")
    instance.wait_window("Message")
    instance.answer_message(EXIT_QUESTION, button="Yes")
    instance.exited()
