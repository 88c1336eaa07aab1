#!/usr/bin/env bash
# The demo road end to end: zan-client-launcher zan://demo.example starts the
# demo console launcher, which asks the dialog program for a sign-in, a node
# group, a node and a session, then shows a message; each dialog is answered
# with the keyboard as a user would. The launcher ends with 0 and its log
# holds the demo's lines.
# Usage (under with-display.sh): launcher-demo.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bundle=$1
launcher="$bundle/Contents/bin/zan-client-launcher"
[ -x "$bundle/Contents/Applications/ZANSelectNode" ] || fail "no dialog program in $bundle"
[ -x "$bundle/Contents/Applications/zanlauncher" ] || fail "no console launcher in $bundle"

zan_work
export XDG_CONFIG_HOME="$work/config"

logged() { grep -qxF "zanlauncherConsole>>>> $1" "$work/log"; }

# answer STEP_LINE COMMAND...: waits for the demo to say it asks and for the
# dialog to show, answers it with the command (which types into $window) and
# waits for it to go.
answer() {
    local line=$1 owner
    shift
    wait_for "the demo to say: $line" logged "$line"
    window=$(zan_wait_window --classname ZANSelectNode) || fail "no dialog for: $line"
    owner=$(zan_window_pid "$window")
    [ -z "${SHOTS:-}" ] || zan_shot root "$SHOTS/$(date +%s%N).png" || true
    "$@"
    zan_wait_gone "$window" "$owner" || fail "the dialog of '$line' stayed"
}
# The user name is offered; Alt+P (the label's mnemonic) reaches the password.
type_password() {
    press alt+p
    zan_type "$window" 'demo password'
    press Return
}

: >"$work/log"
"$launcher" 'zan://demo.example/launch?ticket=1' 2>>"$work/log" &
pid=$!

answer "Asking for the sign-in to demo.example" type_password
answer "Asking for the node group (2 offered)" press Return
answer "Asking for the node (2 offered)" press Return
answer "Asking for the session (2 offered)" press Return
wait_for "the message box" logged "Session: a new session on node1.demo.example"
answer "Session: a new session on node1.demo.example" press Return

finish
[ "$status" = 0 ] || fail "launcher ended with $status"
for line in "Connecting to demo.example port 443" "Signed in with a user name and password" \
    "Node group: demo.example desktops" "Node: node1.demo.example" \
    "Done: a new session on node1.demo.example"; do
    logged "$line" || fail "log lacks \"$line\""
done

# Cancel on the way: Escape in the node group dialog ends the road there.
: >"$work/log"
"$launcher" 'zan://demo.example/' 2>>"$work/log" &
pid=$!
answer "Asking for the sign-in to demo.example" type_password
answer "Asking for the node group (2 offered)" press Escape
finish
[ "$status" = 1 ] || fail "cancelled road ended with $status"
logged "Cancelled at the node group selection" || fail "no cancel line"
logged "Asking for the node (2 offered)" && fail "the road went on after the cancel"
echo "PASS: the demo road, sign-in to message, ends with 0; a cancel ends it with 1"
