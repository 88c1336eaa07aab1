#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The part of demo.sh that runs on the (private) session bus: opens the URL
# with xdg-open, as a browser does, and in headless mode answers and
# photographs each dialog. Exits with xdg-open's status: 0 when the
# launcher ended with 0.
# Usage: demo-play.sh interactive|headless URL LOG [PICTURES]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
mode=$1 url=$2 log=$3 out=${4:-}

xdg-open "$url" >"$log" 2>&1 &
opener=$!
if [ "$mode" = interactive ]; then
    wait $opener
    exit $?
fi

# A failure leaves a picture of the screen and ends the browser's part too.
ZAN_FAIL_SHOT="$out/failure.png"
trap '[ -z "$opener" ] || kill "$opener" 2>/dev/null' EXIT

# The agreement, from the launcher.
window=$(zan_wait_window --classname zan-client-launcher) || fail "the agreement did not appear"
owner=$(zan_window_pid "$window")
zan_shot "$window" "$out/1-agreement.png"
# Its end, where the footnotes follow the text.
press End
zan_shot "$window" "$out/1-agreement-end.png"
press Return
zan_wait_gone "$window" "$owner" || fail "the agreement stayed"

# The dialogs, one process each, started by the console launcher. Each is
# gone before the next is looked for (a new one may get the same window id).
step() {
    local name=$1 owner
    shift
    window=$(zan_wait_window --classname ZANSelectNode) || fail "no $name dialog"
    owner=$(zan_window_pid "$window")
    zan_shot "$window" "$out/$name.png"
    "$@"
    zan_wait_gone "$window" "$owner" || fail "the $name dialog stayed"
}
sign_in() {
    press Tab
    zan_type "$window" "demo-password"
    press Return
}
step 2-sign-in sign_in
step 3-node-group press Return
step 4-node press Down Return
step 5-session press Return
step 6-message press Return

wait $opener
status=$?
opener=

# The dialogs that this road does not meet, straight from the installed
# bundle, so that there is a picture of every dialog: shown, then cancelled.
if [ -n "${ZAN_DEMO_BUNDLE:-}" ]; then
    program="$ZAN_DEMO_BUNDLE/Contents/Applications/ZANSelectNode"
    data=$(mktemp -d)
    echo '[{"id":"s1","userName":"ann","node":"alpha.example","display":3,"sharingState":1,"status":2},
           {"id":"s2","userName":"bob","node":"beta.example","display":7,"sharingState":1,"status":3}]' \
        >"$data/shared.json"
    echo '[{"id":"p1","profileName":"office","node":"alpha.example","suspendDescription":"lunch",
            "startTimestamp":"2026-12-07 12:00","display":4},
           {"id":"p2","profileName":"lab","node":"beta.example","suspendDescription":"overnight build",
            "startTimestamp":"2026-12-06 18:30","display":9}]' >"$data/suspended.json"
    echo 'proxy-user:' >"$data/credential"
    extra() {
        local name=$1
        shift
        "$program" "$@" -url http://demo.example >/dev/null 2>&1 &
        local shown=$!
        step "$name" press Escape
        wait $shown
    }
    extra 7-shared-session -SelectShared "$data/shared.json"
    extra 8-suspended-session -SelectSuspend "$data/suspended.json"
    extra 9-proxy-sign-in -ProxyAuth "$data/credential"
    rm -rf "$data"
fi
exit $status
