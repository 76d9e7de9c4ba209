# One boot for the stories of two laptops: the router with a wired uplink
# and a second laptop of its own in namespace "laptop2".
. "$(dirname "$0")/stack.sh"
start_router_stack laptop2
start_second_laptop laptop2
run_story laptops_test.py "$@"
