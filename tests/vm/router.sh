# One boot for the router's stories: a phone reaches the Internet through
# it, a killed router leaves nothing, refusals on the real stack.
. "$(dirname "$0")/stack.sh"
start_router_stack phone
run_story router_test.py "$@"
