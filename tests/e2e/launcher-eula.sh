#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The licence agreement as a user meets it, under a private display and
# session bus (see with-display.sh). A copy of the bundle in a folder whose
# path holds spaces, with logging on and its own settings folder:
#   1. Open of a zan: URL on the session bus shows the prompt; Cancel (Escape)
#      exits 0, starts nothing and stores nothing.
#   2. Open again: the prompt; Enter accepts, the trail is stored and the demo
#      console launcher runs.
#   3. Open in a new process: no prompt, the console launcher runs at once,
#      and the stored trail is left as it was.
#   4. A link clicked twice: a second Open while the prompt is up gives no
#      second prompt but brings the prompt forward with its startup ID (the
#      window carries it, the sequence ends); after Enter the console
#      launcher runs once, with the first URL, and the launcher ends with 0.
#   5. A refused URL (not zan:) ends the launcher with 1 and never shows the
#      prompt; its Open is answered and its startup sequence ends.
#   6. Under a window manager (openbox), a second Open while the prompt is
#      minimized brings the prompt back and to the front with its startup ID,
#      and that startup sequence ends.
#
# Usage: launcher-eula.sh BUNDLE_DIR BUILD_DIR [--screenshot]
# With --screenshot it only shows the prompt with the shipped agreement, saves
# BUILD_DIR/demo/eula-prompt.png and declines.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

bundle_source=$1
build_dir=$2
mode=${3:-}
url=zan://demo.example/desktop
prompt_title='^License Agreement$'

zan_work
bundle="$work/Zan Client Launcher"
cp -a "$bundle_source" "$bundle"
# Logging on, so that the launcher's own entries can be checked.
zan_log_console "$bundle/Contents/Info.plist" || fail "LogConsole not switched on"
launcher="$bundle/Contents/bin/zan-client-launcher"

# Starts the launcher as the desktop does for a browser (no arguments), its
# log in LOG, and hands it $url with Open once it owns its name on the bus.
open_url() {
    zan_start_launcher "$launcher" "$1"
    zan_bus_open "$url" || fail "Open was refused"
}

has_line() { grep -qF -- "$2" "$1"; }

# The visible prompt of the launcher process, found by its title.
find_prompt() {
    zan_wait_window --pid "$pid" --name "$prompt_title"
}

# Ends the demo console launcher's first dialog (the sign-in) with Escape.
cancel_sign_in() {
    local window
    window=$(zan_wait_window --classname ZANSelectNode) || fail "no sign-in dialog"
    zan_keys "$window" Escape
}

save_screenshot() {
    mkdir -p "$build_dir/demo"
    # Let the prompt paint before taking the picture.
    sleep 1
    zan_shot root "$build_dir/demo/eula-prompt.png"
    echo "Saved $build_dir/demo/eula-prompt.png"
}

# 1. Cancel. With --screenshot, only this, for the picture.
export XDG_CONFIG_HOME="$work/config"
settings="$XDG_CONFIG_HOME/zan/$zan_app.ini"
open_url "$work/cancel.log"
window=$(find_prompt) || fail "no prompt on the first Open"
save_screenshot
zan_keys "$window" Escape
finish
[ "$status" = 0 ] || fail "Cancel exited with $status, not 0"
[ "$mode" != --screenshot ] || exit 0
grep -qxF 'User cancel EULA.' "$work/cancel.log" || fail "no 'User cancel EULA.' entry"
if grep -q 'zanlauncherConsole>>>>' "$work/cancel.log"; then
    fail "the console launcher ran after Cancel"
fi
[ ! -e "$settings" ] || fail "Cancel stored something: $(cat "$settings")"
echo "PASS: Cancel exits 0 and starts nothing"

# 2. Accept with Enter.
open_url "$work/accept.log"
window=$(find_prompt) || fail "no prompt after a Cancel"
zan_keys "$window" Return
wait_for "the demo's sign-in" has_line "$work/accept.log" \
    'zanlauncherConsole>>>> Asking for the sign-in to demo.example'
[ -e "$settings" ] || fail "Accept stored nothing"
grep -q '^kEULAAccepted=1' "$settings" || fail "no accepted version in $(cat "$settings")"
cp "$settings" "$work/settings-after-accept"
cancel_sign_in
finish
wait_for "the demo's cancel" has_line "$work/accept.log" \
    'zanlauncherConsole>>>> Cancelled at the sign-in'
echo "PASS: Enter accepts and the console launcher runs (it ended with $status)"

# 3. A new process: no prompt.
open_url "$work/again.log"
wait_for "the demo's sign-in" has_line "$work/again.log" \
    'zanlauncherConsole>>>> Asking for the sign-in to demo.example'
[ -z "$(zan_windows --pid "$pid" --name "$prompt_title")" ] ||
    fail "the prompt came back after acceptance"
cancel_sign_in
finish
cmp -s "$settings" "$work/settings-after-accept" || fail "the trail changed without a prompt"
echo "PASS: the next Open does not prompt"

# 4. A double click: two Open calls while the prompt is up.
export XDG_CONFIG_HOME="$work/config-twice"
cat >"$bundle/Contents/Applications/zanlauncher" <<'FAKE'
#!/bin/sh
{ echo "$#"; for a in "$@"; do echo "[$a]"; done; } >>"$ZAN_E2E_RECORD"
exit 0
FAKE
export ZAN_E2E_RECORD="$work/record"
"$build_dir/tests/e2e/startup_listener" >"$work/startup" 2>>"$work/log" &
cleanups+=("kill $!")
wait_for "the startup listener" grep -qx listening "$work/startup"
open_url "$work/twice.log"
window=$(find_prompt) || fail "no prompt for the double click"
zan_bus_call Open "['zan://second.example/']" "{'desktop-startup-id': <'zan-e2e-twice_TIME0'>}" ||
    fail "the second Open was refused"
wait_for "the second URL to be ignored" has_line "$work/twice.log" \
    'Ignored launch URL "zan://second.example/": the license agreement is open.'
wait_for "the second click's sequence to end" grep -qxF "remove: ID=zan-e2e-twice_TIME0" \
    "$work/startup"
xprop -id "$window" _NET_STARTUP_ID | grep -qF '"zan-e2e-twice_TIME0"' ||
    fail "the prompt was not brought forward with the second click's startup ID"
prompts=$(zan_windows --pid "$pid" --name "$prompt_title" | wc -l)
[ "$prompts" = 1 ] || fail "$prompts prompts on screen after the second Open"
zan_keys "$window" Return
finish
[ "$status" = 0 ] || fail "the double click ended with $status, not 0"
[ "$(cat "$work/record")" = $'1\n['"$url"']' ] ||
    fail "console launcher started as: $(cat "$work/record")"
echo "PASS: a second Open while the prompt is up: the prompt forward, one run with the first URL"

# 5. A refused URL: no prompt, status 1.
export XDG_CONFIG_HOME="$work/config-refused"
rm -f "$work/record"
zan_start_launcher "$launcher" "$work/refused.log"
zan_bus_call Open "['https://evil.example/']" "{'desktop-startup-id': <'zan-e2e-refused_TIME0'>}" ||
    fail "the refused URL's Open got no answer"
finish
grep -qxF "remove: ID=zan-e2e-refused_TIME0" "$work/startup" ||
    fail "the refused URL's startup sequence did not end"
[ "$status" = 1 ] || fail "a refused URL ended with $status, not 1"
grep -qF 'Refused launch URL "https://evil.example/": not a zan: URL' "$work/refused.log" ||
    fail "no refusal in the log"
[ ! -e "$work/record" ] || fail "the console launcher ran for a refused URL"
[ ! -e "$XDG_CONFIG_HOME/zan/$zan_app.ini" ] || fail "a refused URL stored a trail"
echo "PASS: a refused URL ends with 1 without a prompt"

# 6. A second click while the prompt is minimized, under a window manager.
command -v openbox >/dev/null || fail "openbox is not installed"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
cleanups+=("kill $!")
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for "the window manager" wm_running
export XDG_CONFIG_HOME="$work/config-minimized"
open_url "$work/minimized.log"
window=$(find_prompt) || fail "no prompt under the window manager"
prompt_viewable() { xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'; }
prompt_hidden() { ! prompt_viewable; }
prompt_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }
wait_for "the prompt to show" prompt_viewable
xdotool windowminimize "$window"
wait_for "the prompt to be minimized" prompt_hidden
zan_bus_call Open "['zan://again.example/']" "{'desktop-startup-id': <'zan-e2e-minimized_TIME0'>}" ||
    fail "the second Open was refused"
wait_for "the minimized prompt to come back" prompt_viewable
wait_for "the prompt to come to the front" prompt_active
wait_for "the second click's sequence to end" grep -qxF "remove: ID=zan-e2e-minimized_TIME0" \
    "$work/startup"
zan_keys "$window" Escape
finish
[ "$status" = 0 ] || fail "Cancel after the second click ended with $status, not 0"
echo "PASS: a second Open brings a minimized prompt back to the front and ends its sequence"
