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
#      second prompt; after Enter the console launcher runs once, with the
#      first URL, and the launcher ends with its 0.
#   5. A refused URL (not zan:) ends the launcher with 1 and never shows the
#      prompt.
#
# Usage: launcher-eula.sh BUNDLE_DIR BUILD_DIR [--screenshot]
# With --screenshot it only shows the prompt with the shipped agreement, saves
# BUILD_DIR/demo/eula-prompt.png and declines.
set -euo pipefail

bundle_source=$1
build_dir=$2
mode=${3:-}
app_id=com.zan.ClientLauncher
object_path=/com/zan/ClientLauncher
url=zan://demo.example/desktop
prompt_title='^License Agreement$'

work=$(mktemp -d)
launcher_pid=
cleanup() {
    if [ -n "$launcher_pid" ] && kill -0 "$launcher_pid" 2>/dev/null; then
        kill "$launcher_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -e "$log" ] && { echo "--- $log"; cat "$log"; } >&2
    done
    exit 1
}

bundle="$work/Zan Client Launcher"
cp -a "$bundle_source" "$bundle"
# Logging on, so that the launcher's own entries can be checked.
perl -0pi -e 's{<key>LogConsole</key>\s*<false/>}{<key>LogConsole</key>\n    <true/>}' \
    "$bundle/Contents/Info.plist"
grep -q '<true/>' "$bundle/Contents/Info.plist" || fail "LogConsole not switched on"
launcher="$bundle/Contents/bin/zan-client-launcher"

name_owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$app_id" 2>/dev/null | grep -q true
}

# Hands the running launcher a URL with Open.
call_open() {
    gdbus call --session --dest "$app_id" --object-path "$object_path" \
        --method org.freedesktop.Application.Open "['$1']" '{}' >/dev/null
}

# Starts the launcher as the desktop does for a browser (no arguments), waits
# until it owns its name on the bus, then hands it the URL (default $url)
# with Open.
open_url() {
    local log=$1 this_url=${2:-$url}
    # The bus may not yet have noticed that the last launcher has gone; a new
    # one would find the name taken and hand its URL to no one.
    for _ in $(seq 100); do
        name_owned || break
        sleep 0.1
    done
    "$launcher" 2>"$log" &
    launcher_pid=$!
    for _ in $(seq 100); do
        if name_owned; then
            # A launcher that refuses the URL may end before it answers.
            call_open "$this_url" || [ -n "${2:-}" ] || fail "Open was refused"
            return 0
        fi
        kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher ended before taking its name"
        sleep 0.1
    done
    fail "the launcher never took its name on the bus"
}

# Waits for the launcher to end and sets status to its exit status. (Not in
# a subshell: only this shell can wait for its child.)
wait_launcher() {
    for _ in $(seq 300); do
        kill -0 "$launcher_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$launcher_pid" 2>/dev/null && fail "the launcher did not end"
    status=0
    wait "$launcher_pid" || status=$?
    launcher_pid=
}

# Waits for a line in a log file.
wait_line() {
    local log=$1 text=$2
    for _ in $(seq 200); do
        grep -qF -- "$text" "$log" && return 0
        sleep 0.1
    done
    fail "no line '$text' in $log"
}

# The visible prompt of the launcher process, found by its title.
find_prompt() {
    timeout 20 xdotool search --sync --onlyvisible --pid "$launcher_pid" --name "$prompt_title" |
        head -n1
}

press() {
    local window=$1 key=$2
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --clearmodifiers "$key"
}

# Ends the demo console launcher's first dialog (the sign-in) with Escape.
cancel_sign_in() {
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --classname ZANSelectNode | head -n1)
    [ -n "$window" ] || fail "no sign-in dialog"
    press "$window" Escape
}

save_screenshot() {
    mkdir -p "$build_dir/demo"
    # Let the prompt paint before taking the picture.
    sleep 1
    import -window root "$build_dir/demo/eula-prompt.png"
    echo "Saved $build_dir/demo/eula-prompt.png"
}

if [ "$mode" = --screenshot ]; then
    export XDG_CONFIG_HOME="$work/config-shot"
    open_url "$work/shot.log"
    window=$(find_prompt)
    [ -n "$window" ] || fail "no prompt"
    save_screenshot
    press "$window" Escape
    wait_launcher
    [ "$status" = 0 ] || fail "declining exited with $status, not 0"
    exit 0
fi

# 1. Cancel.
export XDG_CONFIG_HOME="$work/config"
settings="$XDG_CONFIG_HOME/zan/$app_id.ini"
open_url "$work/cancel.log"
window=$(find_prompt)
[ -n "$window" ] || fail "no prompt on the first Open"
save_screenshot
press "$window" Escape
wait_launcher
[ "$status" = 0 ] || fail "Cancel exited with $status, not 0"
grep -qxF 'User cancel EULA.' "$work/cancel.log" || fail "no 'User cancel EULA.' entry"
if grep -q 'zanlauncherConsole>>>>' "$work/cancel.log"; then
    fail "the console launcher ran after Cancel"
fi
[ ! -e "$settings" ] || fail "Cancel stored something: $(cat "$settings")"
echo "PASS: Cancel exits 0 and starts nothing"

# 2. Accept with Enter.
open_url "$work/accept.log"
window=$(find_prompt)
[ -n "$window" ] || fail "no prompt after a Cancel"
press "$window" Return
wait_line "$work/accept.log" 'zanlauncherConsole>>>> Asking for the sign-in to demo.example'
[ -e "$settings" ] || fail "Accept stored nothing"
grep -q '^kEULAAccepted=1' "$settings" || fail "no accepted version in $(cat "$settings")"
cp "$settings" "$work/settings-after-accept"
cancel_sign_in
wait_launcher
wait_line "$work/accept.log" 'zanlauncherConsole>>>> Cancelled at the sign-in'
echo "PASS: Enter accepts and the console launcher runs (it ended with $status)"

# 3. A new process: no prompt.
open_url "$work/again.log"
wait_line "$work/again.log" 'zanlauncherConsole>>>> Asking for the sign-in to demo.example'
if xdotool search --onlyvisible --pid "$launcher_pid" --name "$prompt_title" >/dev/null; then
    fail "the prompt came back after acceptance"
fi
cancel_sign_in
wait_launcher
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
open_url "$work/twice.log"
window=$(find_prompt)
[ -n "$window" ] || fail "no prompt for the double click"
call_open 'zan://second.example/' || fail "the second Open was refused"
wait_line "$work/twice.log" \
    'Ignored launch URL "zan://second.example/": the license agreement is open.'
prompts=$(xdotool search --onlyvisible --pid "$launcher_pid" --name "$prompt_title" | wc -l)
[ "$prompts" = 1 ] || fail "$prompts prompts on screen after the second Open"
press "$window" Return
wait_launcher
[ "$status" = 0 ] || fail "the double click ended with $status, not 0"
[ "$(cat "$work/record")" = $'1\n['"$url"']' ] ||
    fail "console launcher started as: $(cat "$work/record")"
echo "PASS: a second Open while the prompt is up: one prompt, one run with the first URL"

# 5. A refused URL: no prompt, status 1.
export XDG_CONFIG_HOME="$work/config-refused"
rm -f "$work/record"
open_url "$work/refused.log" 'https://evil.example/'
wait_launcher
[ "$status" = 1 ] || fail "a refused URL ended with $status, not 1"
grep -qF 'Refused launch URL "https://evil.example/": not a zan: URL' "$work/refused.log" ||
    fail "no refusal in the log"
[ ! -e "$work/record" ] || fail "the console launcher ran for a refused URL"
[ ! -e "$XDG_CONFIG_HOME/zan/$app_id.ini" ] || fail "a refused URL stored a trail"
echo "PASS: a refused URL ends with 1 without a prompt"
