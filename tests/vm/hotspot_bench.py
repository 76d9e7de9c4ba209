"""Start WiFi against `nmcli device wifi hotspot` on the same VM, same card,
name and passphrase, alternating: time to the card in access-point mode,
then a phone's association and DHCP. Prints the medians and their ratios."""

import os
import statistics
import subprocess
import sys
import tempfile
import time

from desktop import Instance, wait_for
from realstack import NetworkManager, Phone, card_mode, nothing_of_ours_left, run
from story_steps import ROUTER_PAGE

RUNS = int(sys.argv[1]) if len(sys.argv) > 1 else 5
CARD, NAME, PASSPHRASE = "wlan0", "Brisklane", "6091760917"


def until_ap(started):
    wait_for("the card in access-point mode", lambda: card_mode(CARD) == "AP", interval=0.05)
    return time.monotonic() - started


def phone_joins(phone):
    started = time.monotonic()
    phone.join(NAME, PASSPHRASE)
    elapsed = time.monotonic() - started
    phone.leave()
    return elapsed


def asked_at(since):
    """When NetworkManager logged the last add-and-activate request after
    `since` (both on the wall clock)."""
    with open(os.path.join(os.environ["VM_OUT"], "NetworkManager.log")) as log:
        stamps = [float(line.split("[", 1)[1].split("]", 1)[0]) for line in log
                  if 'op="connection-add-activate"' in line]
    return next((stamp for stamp in reversed(stamps) if stamp > since), None)


def brisklane(router):
    """Start WiFi to the card in AP mode, and of that the time before the
    program asked NetworkManager."""
    started, wall = time.monotonic(), time.time()
    router.press("Start WiFi")
    up = until_ap(started)
    asked = asked_at(wall)
    return up, (asked - wall) if asked else float("nan")


def brisklane_stop(router):
    router.answer_message("Wi-Fi started successfully!")
    router.press("Stop WiFi")
    router.answer_message("Wi-Fi stopped successfully!")


def nmcli():
    started = time.monotonic()
    subprocess.Popen(["nmcli", "device", "wifi", "hotspot", "ifname", CARD, "con-name", "BenchHotspot",
                      "ssid", NAME, "password", PASSPHRASE], stdout=subprocess.DEVNULL)
    return until_ap(started)


def nmcli_stop():
    run("nmcli", "connection", "delete", "BenchHotspot")


def main():
    nm, phone = NetworkManager(), Phone("phone", "wlan1")
    work = tempfile.mkdtemp(prefix="brisklane-bench-")
    router = Instance(os.environ["BRISKLANE_PROGRAM_DIR"], work, "router", dict(BRISKLANE_MACHINE="linux"),
                      logs=os.environ.get("VM_OUT"))
    router.start()
    router.press(ROUTER_PAGE)
    router.wait_status("Ready for Sharing")
    times = {"brisklane": [], "nmcli": []}
    before_asking = []
    joins = {"brisklane": [], "nmcli": []}
    try:
        for _ in range(RUNS):
            up, before = brisklane(router)
            times["brisklane"].append(up)
            before_asking.append(before)
            joins["brisklane"].append(phone_joins(phone))
            brisklane_stop(router)
            wait_for("the hotspot to go", lambda: nothing_of_ours_left(nm))
            times["nmcli"].append(nmcli())
            joins["nmcli"].append(phone_joins(phone))
            nmcli_stop()
            wait_for("the hotspot to go", lambda: nothing_of_ours_left(nm))
    finally:
        router.stop()
    for what, table in (("start to access point", times), ("phone association + DHCP", joins)):
        ours, theirs = statistics.median(table["brisklane"]), statistics.median(table["nmcli"])
        print(f"{what}: Brisklane {ours:.2f} s {sorted(round(t, 2) for t in table['brisklane'])}, "
              f"nmcli {theirs:.2f} s {sorted(round(t, 2) for t in table['nmcli'])}")
    print(f"of Brisklane's start, before it asked NetworkManager: {statistics.median(before_asking):.2f} s "
          f"{sorted(round(t, 2) for t in before_asking)}")
    for what, table in (("phone association + DHCP", joins), ("start to access point", times)):
        print(f"ratio of medians, {what}: {statistics.median(table['brisklane']) / statistics.median(table['nmcli']):.2f}x")


if __name__ == "__main__":
    main()
