#!/usr/bin/env bash
# The launcher's main window under Xvfb and a private session bus:
# Activate shows it once (a second Activate raises the same window), Open
# alone never shows it, Quit ends the process with 0 before any URL, and
# closing it while a console launcher runs leaves the process running.
# The desktop's launch token: Activate with a startup ID ends that startup
# sequence once the window shows; Open's token, with no window to show,
# reaches the console launcher as DESKTOP_STARTUP_ID; a second Open while
# only the console launcher runs ends its own startup sequence.
# With ZAN_WINDOW_SHOT=FILE a picture of the window is saved there.
# Usage (under with-display.sh): launcher-window.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
command -v gdbus >/dev/null || fail "gdbus is not installed (package libglib2.0-bin)"

use_work_bundle "$1"
cat >"$bundle/Contents/Applications/zanlauncher" <<'FAKE'
#!/bin/sh
echo "$@${DESKTOP_STARTUP_ID:+ startup=$DESKTOP_STARTUP_ID}${XDG_ACTIVATION_TOKEN:+ token=$XDG_ACTIVATION_TOKEN}" \
    >>"$ZAN_E2E_RECORD"
read -r status <"$ZAN_E2E_RELEASE"
exit "$status"
FAKE
chmod +x "$bundle/Contents/Applications/zanlauncher"
accept_agreement "$bundle" "$work/config"
export ZAN_E2E_RECORD="$work/record" ZAN_E2E_RELEASE="$work/release"
: >"$work/log"

windows() { zan_windows --pid "$pid"; }
window_count() { windows | grep -c . || true; }
one_window() { [ "$(window_count)" = 1 ]; }
no_window() { [ "$(window_count)" = 0 ]; }
recorded() { grep -qxF "$1" "$work/record" 2>/dev/null; }

start() {
    rm -f "$work/record" "$work/release"
    mkfifo "$work/release"
    zan_start_launcher "$bundle/Contents/bin/zan-client-launcher" "$work/log"
}
# ends_with STATUS: waits for the launcher, which must end with STATUS.
ends_with() {
    finish
    [ "$status" = "$1" ] || fail "launcher ended with $status, expected $1"
}

# Activate shows the window, once; Quit ends with 0 before any URL.
start
no_window || fail "a start with the program path alone showed a window"
zan_bus_call Activate '{}'
wait_for "the main window" one_window
[ -z "${ZAN_WINDOW_SHOT:-}" ] || zan_shot "$(windows | head -n 1)" "$ZAN_WINDOW_SHOT"
zan_bus_call Activate '{}'
one_window || fail "a second Activate showed another window"
zan_keys "$(windows | head -n 1)" Return # Quit is the default button
ends_with 0

# Open alone never shows the window; its token goes to the console launcher.
start
zan_bus_call Open "['zan://open.example/']" "{'desktop-startup-id': <'zan-e2e-open_TIME0'>}"
wait_for "the console launcher" recorded "zan://open.example/ startup=zan-e2e-open_TIME0"
no_window || fail "Open showed the main window"
echo 0 >"$work/release"
ends_with 0

# Closing the window while the console launcher runs leaves the process.
start
zan_bus_call Activate '{}'
wait_for "the main window" one_window
zan_bus_call Open "['zan://run.example/']" '{}'
wait_for "the console launcher" recorded "zan://run.example/"
one_window || fail "the window went when the URL arrived"
zan_keys "$(windows | head -n 1)" Escape
wait_for "the main window to close" no_window
zan_ended "$pid" && fail "closing the window ended the launcher"
echo 5 >"$work/release"
ends_with 5

# Activate with a startup ID: the window carries the ID, and the startup
# sequence ends (a "remove" message on the root window) once it shows.
"$2/tests/e2e/startup_listener" >"$work/startup" 2>>"$work/log" &
cleanups+=("kill $!")
wait_for "the startup listener" grep -qx listening "$work/startup"
startup_id='zan-e2e-activate_TIME0'
start
zan_bus_call Activate "{'desktop-startup-id': <'$startup_id'>}"
wait_for "the main window" one_window
wait_for "the startup sequence to end" grep -qxF "remove: ID=$startup_id" "$work/startup"
xprop -id "$(windows | head -n 1)" _NET_STARTUP_ID | grep -qF "\"$startup_id\"" ||
    fail "the window does not carry its startup ID"
zan_keys "$(windows | head -n 1)" Return
ends_with 0

# A second click while only the console launcher's dialogs are up: no window
# of the launcher takes its token, so its startup sequence ends at once.
start
zan_bus_call Open "['zan://first.example/']" "{'desktop-startup-id': <'zan-e2e-first_TIME0'>}"
wait_for "the console launcher" recorded "zan://first.example/ startup=zan-e2e-first_TIME0"
zan_bus_call Open "['zan://again.example/']" "{'desktop-startup-id': <'zan-e2e-again_TIME0'>}"
wait_for "the second click's sequence to end" grep -qxF "remove: ID=zan-e2e-again_TIME0" \
    "$work/startup"
no_window || fail "the second click showed a window"
echo 0 >"$work/release"
ends_with 0
echo "PASS: Activate shows one window, Open none, Quit ends with 0, a close leaves a run alone," \
    "a startup sequence ends when the window shows, Open's token reaches the console launcher," \
    "a second click's sequence ends while only the console launcher runs"
