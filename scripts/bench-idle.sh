#!/usr/bin/env bash
# CPU wake-ups per second of the idle program over 30 s, against a minimal Qt
# Widgets program. Usage: bench-idle.sh <build folder> [seconds]
set -euo pipefail
exec python3 "$(dirname "$0")/../bench/reference/measure.py" idle "${1:-build}" "${@:2}"
