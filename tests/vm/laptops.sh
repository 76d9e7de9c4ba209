# One boot for the stories of two laptops (the router with a wired uplink,
# a second laptop of its own in namespace "laptop2") and of the router run
# by a user without administrator rights, whom polkit decides for.
. "$(dirname "$0")/stack.sh"
start_router_stack laptop2
start_second_laptop laptop2
run_story laptops_test.py || status=1

/usr/lib/polkit-1/polkitd --no-debug > "$VM_OUT/polkitd.log" 2>&1 &
wait_until 30 "polkit on the bus" busctl --system status org.freedesktop.PolicyKit1
useradd --create-home alice
chmod 1777 "$VM_OUT"
as_alice() { runuser -u alice -- env HOME=/home/alice VM_OUT="$VM_OUT" VM_BUILD="$VM_BUILD" bash -c '. "$0"; "$@"' "$VM_HERE/stack.sh" "$@"; }
as_alice run_story user_test.py refused || status=1
cat > /etc/polkit-1/rules.d/50-brisklane-test.rules <<'RULE'
polkit.addRule(function(action, subject) {
  if (action.id.indexOf("org.freedesktop.NetworkManager.") == 0 && subject.user == "alice")
    return polkit.Result.YES;
});
RULE
sleep 2  # polkitd reloads its rules when the folder changes
as_alice run_story user_test.py allowed || status=1
exit "${status:-0}"
