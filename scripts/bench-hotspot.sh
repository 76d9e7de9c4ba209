#!/usr/bin/env bash
# How fast Start WiFi brings the hotspot up on the real stack, against
# NetworkManager's own `nmcli device wifi hotspot`, on the same virtual
# machine, card, name and passphrase, alternating: the card in
# access-point mode, then a phone's association and DHCP. The ratio of the
# medians comes last. Usage: scripts/bench-hotspot.sh [build folder] [runs]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
"$top/tests/vm/boot" "$build" hotspot-bench.sh "${2:-5}"
sed -n '/^start to access point/,$p' "$build/vm/runs/hotspot-bench/guest.log"
