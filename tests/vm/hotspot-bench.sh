# The hotspot benchmark's boot (scripts/bench-hotspot.sh): the router's stack
# and a phone; the benchmark drives the program and nmcli in turn.
. "$(dirname "$0")/stack.sh"
start_router_stack phone
run_story hotspot_bench.py "$@"
