#!/usr/bin/env bash
# The demo road end to end: zan-client-launcher zan://demo.example starts the
# demo console launcher, which asks the dialog program for a sign-in, a node
# group, a node and a session, then shows a message; each dialog is answered
# with the keyboard as a user would. The launcher ends with 0 and its log
# holds the demo's lines.
# Usage (under with-display.sh): launcher-demo.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/launcher-lib.sh"
bundle=$1
launcher="$bundle/Contents/bin/zan-client-launcher"
[ -x "$bundle/Contents/Applications/ZANSelectNode" ] || fail "no dialog program in $bundle"
[ -x "$bundle/Contents/Applications/zanlauncher" ] || fail "no console launcher in $bundle"

work=$(mktemp -d)
launcher_pid=
cleanup() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
    pkill_dialogs
    [ -n "${KEEP:-}" ] && cat "$work/log" >&2
    rm -rf "$work"
}
# Ends only dialog processes that this run's console launcher started.
pkill_dialogs() {
    local pid
    for pid in $(xdotool search --class ZANSelectNode getwindowpid %@ 2>/dev/null | sort -u); do
        kill "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"

logged() { grep -qxF "zanlauncherConsole>>>> $1" "$work/log"; }
dialog_shown() { xdotool search --onlyvisible --class ZANSelectNode >/dev/null 2>&1; }
dialog_gone() { ! dialog_shown; }

# answer STEP_LINE KEYS...: waits for the demo to say it asks, for the dialog
# to show, focuses it, types, and waits for it to go.
answer() {
    local line=$1; shift
    wait_for "the demo to say: $line" logged "$line"
    wait_for "the dialog of: $line" dialog_shown
    local window
    window=$(xdotool search --onlyvisible --class ZANSelectNode | head -n 1)
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    if [ -n "${SHOTS:-}" ]; then import -window root "$SHOTS/$(date +%s%N).png" || true; fi
    "$@"
    wait_for "the dialog of '$line' to close" dialog_gone
}
# The user name is offered; Alt+P (the label's mnemonic) reaches the password.
type_password() {
    xdotool key alt+p
    xdotool type --delay 20 'demo password'
    xdotool key Return
}
press_return() { xdotool key Return; }

: >"$work/log"
"$launcher" 'zan://demo.example/launch?ticket=1' 2>>"$work/log" &
launcher_pid=$!

answer "Asking for the sign-in to demo.example" type_password
answer "Asking for the node group (2 offered)" press_return
answer "Asking for the node (2 offered)" press_return
answer "Asking for the session (2 offered)" press_return
wait_for "the message box" logged "Session: a new session on node1.demo.example"
answer "Session: a new session on node1.demo.example" press_return

status=0
wait "$launcher_pid" || status=$?
launcher_pid=
[ "$status" = 0 ] || fail "launcher ended with $status: $(cat "$work/log")"
for line in "Connecting to demo.example port 443" "Signed in with a user name and password" \
    "Node group: demo.example desktops" "Node: node1.demo.example" \
    "Done: a new session on node1.demo.example"; do
    logged "$line" || fail "log lacks \"$line\": $(cat "$work/log")"
done

# Cancel on the way: Escape in the node group dialog ends the road there.
: >"$work/log"
"$launcher" 'zan://demo.example/' 2>>"$work/log" &
launcher_pid=$!
answer "Asking for the sign-in to demo.example" type_password
answer "Asking for the node group (2 offered)" xdotool key Escape
status=0
wait "$launcher_pid" || status=$?
launcher_pid=
[ "$status" = 1 ] || fail "cancelled road ended with $status: $(cat "$work/log")"
logged "Cancelled at the node group selection" || fail "no cancel line: $(cat "$work/log")"
logged "Asking for the node (2 offered)" && fail "the road went on after the cancel"
echo "PASS: the demo road, sign-in to message, ends with 0; a cancel ends it with 1"
