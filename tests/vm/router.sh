# One boot for the router's stories: a phone reaches the Internet through
# it, a killed router leaves nothing, refusals on the real stack (the
# Internet namespace holds a radio too, for a Wi-Fi network upstream).
. "$(dirname "$0")/stack.sh"
start_router_stack phone inet
run_story router_test.py "$@"
