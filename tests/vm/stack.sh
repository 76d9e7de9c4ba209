# The real stack inside the test virtual machine, sourced by its scenarios
# (as root, in the guest): mac80211_hwsim radios, udev, a system bus,
# NetworkManager with its wpa_supplicant, and an "Internet" namespace at the
# far end of a USB Ethernet link. Addresses: the uplink is 192.0.2.0/24
# (TEST-NET-1), 192.0.2.1 being the Internet's HTTP and DNS server and DHCP;
# NetworkManager's shared mode gives hotspot clients 10.42.0.x.
set -uo pipefail
VM_HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
VM_OUT="${VM_OUT:-/tmp/vm-out}"
export VM_HERE VM_OUT

log() { echo "[$(cut -d' ' -f1 /proc/uptime)] $*"; }
fail() { log "FAIL: $*"; exit 1; }

# wait_until SECONDS WHAT COMMAND...: polls every 0.2 s.
wait_until() {
  local deadline=$((SECONDS + $1)) what="$2"
  shift 2
  until "$@" > /dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || { log "timed out waiting for $what"; return 1; }
    sleep 0.2
  done
}

load_radios() {  # load_radios N [module parameters]
  modprobe mac80211_hwsim radios="$@" || fail "modprobe mac80211_hwsim"
  wait_until 20 "wlan$(( $1 - 1 ))" test -e "/sys/class/net/wlan$(( $1 - 1 ))" || fail "no radios"
}

phy_of() { basename "$(readlink -f "/sys/class/net/$1/phy80211")"; }

move_radio() {  # move_radio INTERFACE NETNS: the radio's phy goes to the namespace
  ip netns list | grep -qw "$2" || ip netns add "$2"
  iw phy "$(phy_of "$1")" set netns name "$2" || fail "cannot move $1 to $2"
  ip -n "$2" link set lo up
  mkdir -p "/etc/netns/$2" && : > "/etc/netns/$2/resolv.conf"
}

start_udev() {
  /lib/systemd/systemd-udevd --daemon --resolve-names=never || fail "systemd-udevd"
  udevadm trigger --action=add --subsystem-match=net --subsystem-match=ieee80211 \
    --subsystem-match=rfkill --subsystem-match=usb --subsystem-match=mac80211_hwsim
  timeout 60 udevadm settle -t 60
}

start_system_bus() {
  mkdir -p /run/dbus
  dbus-daemon --system --fork || fail "dbus-daemon --system"
  wait_until 10 "the system bus" test -S /run/dbus/system_bus_socket || fail "no system bus"
}

# NetworkManager gives nft one second or so; the first nft run under
# emulation (nf_tables and its modules loaded over 9p) takes longer, and the
# hotspot then comes up without its masquerading rules: clients get an
# address but no Internet. A throwaway table of the same kinds of rules as
# NetworkManager's shared mode loads all of it first.
warm_nft() {
  nft -f - <<'NFT' || log "nft warm-up failed"
add table ip warmup
add chain ip warmup post { type nat hook postrouting priority 100; policy accept; }
add rule ip warmup post ip saddr 10.99.0.0/24 ip daddr != 10.99.0.0/24 masquerade
add chain ip warmup forward { type filter hook forward priority 0; policy accept; }
add rule ip warmup forward ip daddr 10.99.0.0/24 oifname "lo" ct state { established, related } accept
add rule ip warmup forward iifname "lo" reject
delete table ip warmup
NFT
}

# nm_config FOLDER [EXTRA]: a configuration of the VM's own (keyfile only,
# no connectivity check, no automatic wired profiles), and its wpa_supplicant.
nm_config() {
  mkdir -p "$1/conf.d" "$1/system-connections"
  cat > "$1/NetworkManager.conf" <<CONF
[main]
plugins=keyfile
no-auto-default=*
${2:-}
[keyfile]
unmanaged-devices=interface-name:hwsim*
[connectivity]
enabled=false
[logging]
level=INFO
domains=DEFAULT,SHARING:DEBUG,FIREWALL:DEBUG
CONF
}

start_networkmanager() {  # start_networkmanager [LOG NAME PREFIX]
  local name="${1:-}"
  mkdir -p /run/wpa_supplicant /var/lib/NetworkManager
  wpa_supplicant -u -t -O /run/wpa_supplicant > "$VM_OUT/${name}wpa_supplicant.log" 2>&1 &
  wait_until 20 "wpa_supplicant on the bus" busctl --system status fi.w1.wpa_supplicant1
  NetworkManager --debug > "$VM_OUT/${name}NetworkManager.log" 2>&1 &
  wait_until 60 "NetworkManager on the bus" nmcli -t -f RUNNING general || fail "NetworkManager did not start"
  timeout 60 nm-online -s -q -t 60
}

# The uplink: a USB Ethernet gadget (dummy_hcd), so that the program sees an
# adapter on a USB bus as it would a real one. The gadget side goes to the
# "inet" namespace; UPLINK names the host side NetworkManager manages.
make_uplink() {
  modprobe dummy_hcd && modprobe libcomposite && modprobe usb_f_ecm && modprobe cdc_ether || fail "USB gadget modules"
  mountpoint -q /sys/kernel/config || mount -t configfs configfs /sys/kernel/config
  local g=/sys/kernel/config/usb_gadget/uplink
  mkdir -p "$g/strings/0x409" "$g/configs/c.1" "$g/functions/ecm.usb0"
  echo 0x1d6b > "$g/idVendor"; echo 0x0104 > "$g/idProduct"
  echo "Test USB Ethernet" > "$g/strings/0x409/product"
  echo 02:00:00:00:e0:01 > "$g/functions/ecm.usb0/dev_addr"
  echo 02:00:00:00:e0:02 > "$g/functions/ecm.usb0/host_addr"
  ln -s "$g/functions/ecm.usb0" "$g/configs/c.1/"
  ls /sys/class/udc > "$g/UDC" || fail "no USB device controller"
  wait_until 30 "the USB Ethernet pair" uplink_pair || fail "no USB Ethernet pair"
  timeout 30 udevadm settle -t 30
  uplink_pair
  ip netns list | grep -qw inet || ip netns add inet
  ip -n inet link set lo up
  ip link set "$GADGET" netns inet
  ip -n inet addr add 192.0.2.1/24 dev "$GADGET"
  ip -n inet link set "$GADGET" up
}

uplink_pair() {
  GADGET="" UPLINK=""
  local i
  for i in /sys/class/net/*; do
    [ "$(basename "$(readlink -f "$i/device/driver" 2>/dev/null)")" = cdc_ether ] && UPLINK="$(basename "$i")"
    readlink -f "$i/device" 2>/dev/null | grep -q /gadget && GADGET="$(basename "$i")"
  done
  [ -n "$GADGET" ] && [ -n "$UPLINK" ]
}

# The Internet: HTTP on 192.0.2.1:80, each request logged with the address it
# came from (so NAT shows), DNS answering every name with 192.0.2.1 (AAAA
# with no data, or the hotspot's dnsmasq keeps its clients waiting), DHCP.
start_internet() {
  mkdir -p /run/www && echo "hello from the Internet" > /run/www/index.html
  ip netns exec inet python3 -u -m http.server 80 --bind 192.0.2.1 --directory /run/www \
    > "$VM_OUT/internet-http.log" 2>&1 &
  ip netns exec inet dnsmasq --conf-file=/dev/null --keep-in-foreground --bind-interfaces \
    --interface="$GADGET" --except-interface=lo --no-resolv --no-hosts --address=/#/192.0.2.1 --local=/#/ \
    --dhcp-range=192.0.2.100,192.0.2.150,255.255.255.0,1h --dhcp-option=option:router,192.0.2.1 \
    --dhcp-option=option:dns-server,192.0.2.1 --dhcp-leasefile=/run/internet.leases \
    --log-facility="$VM_OUT/internet-dnsmasq.log" &
  wait_until 20 "the Internet's web server" ip netns exec inet curl -sf -m 2 http://192.0.2.1/ || fail "no web server"
}

activate_uplink() {
  # The gadget's link comes up a moment after the interface (the kernel
  # tells the carrier only of an interface that is up); until then
  # NetworkManager counts the device as unavailable.
  # Now and then the emulated USB link comes up without a carrier; binding
  # the gadget to its controller again brings it.
  ip link set "$UPLINK" up
  local try
  for try in 1 2 3; do
    wait_until 20 "the uplink's carrier" grep -qx 1 "/sys/class/net/$UPLINK/carrier" && break
    log "binding the USB gadget again (try $try)"
    echo "" > /sys/kernel/config/usb_gadget/uplink/UDC
    ls /sys/class/udc > /sys/kernel/config/usb_gadget/uplink/UDC
    # The gadget's interface stays in its namespace; the host side comes anew.
    wait_until 30 "the uplink again" test -e "/sys/class/net/$UPLINK"
    ip -n inet link set "$GADGET" up
    ip link set "$UPLINK" up
  done
  wait_until 30 "NetworkManager to take the uplink" bash -c "nmcli -g GENERAL.STATE device show $UPLINK | grep -q '^30 '"
  nmcli connection add type ethernet ifname "$UPLINK" con-name Uplink ipv4.method auto ipv6.method disabled \
    connection.autoconnect no > /dev/null || fail "nmcli connection add Uplink"
  timeout 90 nmcli -w 60 connection up Uplink > /dev/null || fail "the uplink did not come up"
}

# The router: a radio for NetworkManager (wlan0) and one for each namespace
# named (wlan1, wlan2, ...: phones, a second laptop), the wired uplink.
start_router_stack() {
  load_radios $(( $# + 1 ))
  iw reg set DE
  start_udev
  local radio=1 netns
  for netns in "$@"; do
    move_radio "wlan$radio" "$netns"
    radio=$((radio + 1))
  done
  make_uplink
  start_system_bus
  warm_nft
  nm_config /etc/NetworkManager
  start_networkmanager
  start_internet
  activate_uplink
  log "the stack is up: $(NetworkManager --version), uplink $UPLINK"
  nmcli device
}

# run_story STORY [ARGS]: a story of this folder on the end-to-end tests'
# virtual desktop, against the real stack.
run_story() {
  BRISKLANE_E2E_TIMEOUT=120 PYTHONPATH="$VM_HERE/../e2e" PYTHONUNBUFFERED=1 \
    "$VM_HERE/../e2e/run-story" "$VM_BUILD/bin" "$VM_HERE/$1" "${@:2}"
}

# start_second_laptop NETNS: another computer in the network namespace that
# holds its radio: a mount namespace of its own with its own /run (system
# bus, NetworkManager's runtime files), /etc/NetworkManager and
# /var/lib/NetworkManager, its own bus, wpa_supplicant and NetworkManager.
# /tmp stays shared: displays and session buses are path sockets there.
# SECOND_HOLDER is the pid whose namespaces the laptop's programs enter.
start_second_laptop() {
  local netns="$1"
  echo "nameserver 10.42.0.1" > "/etc/netns/$netns/resolv.conf"
  cat > "/tmp/$netns-holder.sh" <<HOLDER
set -u
mkdir -p /tmp/.out-$netns && mount --bind "$VM_OUT" /tmp/.out-$netns
mount -t tmpfs tmpfs /run
mkdir -p "$VM_OUT" && mount --move /tmp/.out-$netns "$VM_OUT"
# Read-only, as in a container: this NetworkManager takes its devices as
# they are instead of waiting for a udev that does not see them.
mount -o remount,ro /sys
mount -t tmpfs tmpfs /var/lib/NetworkManager
mount -t tmpfs tmpfs /etc/NetworkManager
. "$VM_HERE/stack.sh"
nm_config /etc/NetworkManager dns=none
start_system_bus
start_networkmanager $netns-
exec sleep infinity
HOLDER
  ip netns exec "$netns" unshare -m --propagation private bash "/tmp/$netns-holder.sh" \
    > "$VM_OUT/$netns-holder.log" 2>&1 &
  SECOND_HOLDER=$!
  # ip netns exec, unshare and the script's last line exec in place: the pid
  # stays, and is "sleep" once the daemons run.
  wait_until 120 "$netns's NetworkManager" bash -c "[ \"\$(cat /proc/$SECOND_HOLDER/comm)\" = sleep ]" \
    || { cat "$VM_OUT/$netns-holder.log"; fail "$netns did not start"; }
  export SECOND_HOLDER
}
