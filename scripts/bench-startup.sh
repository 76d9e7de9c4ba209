#!/usr/bin/env bash
# Time from process start to the main window's first paint, and peak resident
# memory, on the default simulated laptop, against a minimal Qt Widgets
# program. Usage: bench-startup.sh <build folder> [runs]
set -euo pipefail
exec python3 "$(dirname "$0")/../bench/reference/measure.py" startup "${1:-build}" "${@:2}"
