#!/usr/bin/env bash
# Launch until the window is mapped, resident memory, threads and idle
# wake-ups of Brisklane on the default simulated laptop, side by side with a
# bare Qt window. Usage: bench-startup.sh <build folder> [runs] [idle seconds]
set -euo pipefail
exec /usr/bin/python3 "$(dirname "$0")/../bench/reference/measure.py" "${1:-build}" "${@:2}"
