#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The part of demo.sh that runs on the (private) session bus: opens the URL
# with xdg-open, as a browser does, and in headless mode answers and
# photographs each dialog. Exits with xdg-open's status: 0 when the
# launcher ended with 0.
# Usage: demo-play.sh interactive|headless URL LOG [PICTURES]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=desktop-lib.sh
source "$here/desktop-lib.sh"
mode=$1 url=$2 log=$3 out=${4:-}

xdg-open "$url" >"$log" 2>&1 &
opener=$!
if [ "$mode" = interactive ]; then
    wait $opener
    exit $?
fi

fail() {
    echo "demo: $*" >&2
    zan_shot root "$out/failure.png" 2>/dev/null
    kill $opener 2>/dev/null
    exit 1
}

# The agreement, from the launcher.
w=$(zan_wait_window zan-client-launcher) || fail "the agreement did not appear"
pid=$(zan_window_pid "$w")
zan_shot "$w" "$out/1-agreement.png"
# Its end, where the footnotes follow the text.
zan_keys "$w" End
sleep 0.5
zan_shot "$w" "$out/1-agreement-end.png"
zan_keys "$w" Return
zan_wait_gone "$w" "$pid" || fail "the agreement stayed"

# The dialogs, one process each, started by the console launcher. Each is
# gone before the next is looked for (a new one may get the same window id).
step() {
    local name=$1
    shift
    w=$(zan_wait_window ZANSelectNode) || fail "no $name dialog"
    local pid
    pid=$(zan_window_pid "$w")
    zan_shot "$w" "$out/$name.png"
    "$@"
    zan_wait_gone "$w" "$pid" || fail "the $name dialog stayed"
}
press() { zan_keys "$w" "$@"; }
sign_in() {
    zan_keys "$w" Tab
    zan_type "$w" "demo-password"
    zan_keys "$w" Return
}
step 2-sign-in sign_in
step 3-node-group press Return
step 4-node press Down Return
step 5-session press Return
step 6-message press Return

wait $opener
status=$?

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
