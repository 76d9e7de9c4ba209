"""What the real-stack stories ask of the guest: NetworkManager's profiles
and activations over the system bus, the kernel's view of a card, the
hotspot's dnsmasq and masquerading rules, and phones (a radio in a network
namespace of its own with wpa_supplicant and a DHCP client)."""

import os
import subprocess

import dbus

from desktop import wait_for

NM, NM_PATH = "org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager"
OUT = os.environ.get("VM_OUT", "/tmp")
HERE = os.path.dirname(os.path.abspath(__file__))
HOTSPOT_NET = "10.42.0."
# Settings.Connection flags.
UNSAVED, VOLATILE = 0x1, 0x4


def run(*command, check=True, timeout=60):
    result = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise AssertionError(f"{' '.join(command)}: {result.returncode} {result.stderr.strip()}")
    return result.stdout


class NetworkManager:
    """One computer's NetworkManager, read over its system bus."""

    def __init__(self, address=None):
        self.bus = dbus.bus.BusConnection(address) if address else dbus.SystemBus()

    def _get(self, path, interface, name):
        return self.bus.get_object(NM, path).Get(interface, name, dbus_interface=dbus.PROPERTIES_IFACE)

    def profiles(self):
        """{path: (settings, flags)} of every profile."""
        settings = dbus.Interface(self.bus.get_object(NM, NM_PATH + "/Settings"), NM + ".Settings")
        result = {}
        for path in settings.ListConnections():
            connection = dbus.Interface(self.bus.get_object(NM, path), NM + ".Settings.Connection")
            result[str(path)] = (connection.GetSettings(), int(self._get(path, NM + ".Settings.Connection", "Flags")))
        return result

    def hotspots(self):
        return {path: value for path, value in self.profiles().items()
                if value[0].get("802-11-wireless", {}).get("mode") == "ap"}

    def secret(self, path, setting="802-11-wireless-security", key="psk"):
        connection = dbus.Interface(self.bus.get_object(NM, path), NM + ".Settings.Connection")
        return str(connection.GetSecrets(setting)[setting][key])

    def active(self):
        """[(profile path, state)] of the active connections."""
        paths = self._get(NM_PATH, NM, "ActiveConnections")
        interface = NM + ".Connection.Active"
        return [(str(self._get(p, interface, "Connection")), int(self._get(p, interface, "State"))) for p in paths]

    def active_wifi(self):
        """The Wi-Fi profiles being activated or active (NetworkManager 1.42
        also counts the loopback as an active connection)."""
        profiles = self.profiles()
        return [path for path, _ in self.active()
                if profiles.get(path, ({}, 0))[0].get("connection", {}).get("type") == "802-11-wireless"]


def card_mode(interface, netns=None):
    info = run(*(["ip", "netns", "exec", netns] if netns else []), "iw", "dev", interface, "info", check=False)
    return next((line.split()[1] for line in info.splitlines() if line.strip().startswith("type ")), None)


def addresses(interface):
    return run("ip", "-4", "-o", "addr", "show", "dev", interface, check=False)


def hotspot_dnsmasq():
    """The pids of NetworkManager's shared-mode dnsmasq."""
    pids = []
    for pid in run("pgrep", "-x", "dnsmasq", check=False).split():
        try:
            with open(f"/proc/{pid}/cmdline") as file:
                if "--listen-address=10.42.0.1" in file.read():
                    pids.append(pid)
        except FileNotFoundError:
            pass
    return pids


def masquerading():
    """NetworkManager's masquerading rule for the hotspot's subnet, if any."""
    rules = run("nft", "list", "ruleset", check=False)
    return [line.strip() for line in rules.splitlines() if "10.42.0.0/24" in line and "masquerade" in line]


def nothing_of_ours_left(nm, interface="wlan0"):
    return (not nm.hotspots() and card_mode(interface) != "AP" and not hotspot_dnsmasq() and not masquerading())


class Phone:
    """A radio in network namespace `netns` (moved there before the program
    started), joining networks with wpa_supplicant and busybox's udhcpc,
    which sends `netns` as its host name."""

    def __init__(self, netns, interface):
        self.netns, self.interface = netns, interface
        self.control = f"/run/{netns}-wpa"
        self.pidfile = f"/run/{netns}-wpa.pid"

    def _in(self, *command, **options):
        return run("ip", "netns", "exec", self.netns, *command, **options)

    def join(self, name, passphrase, timeout=90):
        config = f"/run/{self.netns}-wpa.conf"
        with open(config, "w") as file:
            file.write(f'ctrl_interface={self.control}\nnetwork={{\n  ssid="{name}"\n  psk="{passphrase}"\n'
                       '  key_mgmt=WPA-PSK\n  scan_ssid=1\n}\n')
        self._in("ip", "link", "set", self.interface, "up")
        self._in("wpa_supplicant", "-B", "-i", self.interface, "-c", config, "-P", self.pidfile,
                 "-f", f"{OUT}/{self.netns}-wpa_supplicant.log")
        wait_for(f"{self.netns} to associate", self.associated, timeout=timeout, interval=0.5)
        self._in("busybox", "udhcpc", "-i", self.interface, "-n", "-q", "-t", "10", "-T", "2",
                 "-x", f"hostname:{self.netns}", "-s", os.path.join(HERE, "udhcpc-hook"), timeout=60)
        with open(f"/etc/netns/{self.netns}/resolv.conf", "w") as file:
            file.write("".join(f"nameserver {server}\n" for server in self.dns_servers()))
        return self.address()

    def associated(self):
        status = self._in("wpa_cli", "-p", self.control, "-i", self.interface, "status", check=False)
        return "wpa_state=COMPLETED" in status

    def dns_servers(self):
        with open(f"/run/udhcpc-{self.interface}.dns") as file:
            return file.read().split()

    def address(self):
        words = self._in("ip", "-4", "-o", "addr", "show", "dev", self.interface).split()
        return words[words.index("inet") + 1].split("/")[0] if "inet" in words else None

    def fetch(self, url):
        return self._in("curl", "-sf", "-m", "15", url)

    def resolve(self, name):
        return self._in("busybox", "nslookup", name, check=False)

    def leave(self):
        if os.path.exists(self.pidfile):
            with open(self.pidfile) as file:
                run("kill", file.read().strip(), check=False)
            os.remove(self.pidfile)
        self._in("ip", "-4", "addr", "flush", "dev", self.interface, check=False)


class UpstreamNetwork:
    """A Wi-Fi network of the Internet namespace (wpa_supplicant in
    access-point mode on a radio moved there, with dnsmasq handing out
    192.0.3.x and answering DNS), for a router whose Internet comes over
    Wi-Fi."""

    NAME, PASSPHRASE = "Upstream", "upstream-key"

    def __init__(self, interface, netns="inet"):
        self.interface, self.netns = interface, netns
        self.pids = []

    def _in(self, *command, **options):
        return run("ip", "netns", "exec", self.netns, *command, **options)

    def start(self):
        config = f"/run/{self.netns}-ap.conf"
        with open(config, "w") as file:
            file.write(f'network={{\n  ssid="{self.NAME}"\n  mode=2\n  frequency=2437\n  key_mgmt=WPA-PSK\n'
                       f'  proto=RSN\n  pairwise=CCMP\n  group=CCMP\n  psk="{self.PASSPHRASE}"\n}}\n')
        self._in("ip", "addr", "add", "192.0.3.1/24", "dev", self.interface)
        self._in("ip", "link", "set", self.interface, "up")
        self._in("wpa_supplicant", "-B", "-i", self.interface, "-c", config, "-P", f"/run/{self.netns}-ap.pid",
                 "-f", f"{OUT}/{self.netns}-ap.log")
        self._in("dnsmasq", "--conf-file=/dev/null", "--bind-interfaces", f"--interface={self.interface}",
                 "--except-interface=lo", "--no-resolv", "--no-hosts", "--address=/#/192.0.2.1", "--local=/#/",
                 "--dhcp-range=192.0.3.100,192.0.3.150,255.255.255.0,1h", f"--pid-file=/run/{self.netns}-ap-dns.pid",
                 "--dhcp-leasefile=/run/upstream.leases")
        return self

    def stop(self):
        for pidfile in (f"/run/{self.netns}-ap.pid", f"/run/{self.netns}-ap-dns.pid"):
            if os.path.exists(pidfile):
                with open(pidfile) as file:
                    run("kill", file.read().strip(), check=False)
                os.remove(pidfile)
        self._in("ip", "addr", "flush", "dev", self.interface, check=False)
