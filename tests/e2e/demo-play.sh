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
