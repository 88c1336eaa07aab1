#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every path of the dialog program under valgrind's memcheck, offscreen,
# answered by the memory driver, and fails on a definite leak or on any
# memory error (invalid read or write, use of uninitialised memory, bad free).
# Usage: check-memory.sh BUILD_DIR
#
# The program ends with _exit while its dialog, the application and their
# objects are still alive; memcheck then finds those through the stack and
# globals (still reachable or possibly lost, not reported). A definite leak is
# memory nothing points to any more: lost for good whenever the run ends.
set -uo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
driver="$build/tests/dialogs/dialogs_memory_driver"
[ -x "$driver" ] || { echo "no $driver; build the target dialogs_memory_driver" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8

groups='[{"id":"g1","name":"One","membersCount":1},{"id":"g2","name":"Two","membersCount":2}]'
nodes='[{"id":"n1","hostname":"a","port":5500,"platform":"Linux","total":1,"mem":2,"cpu":3,"friendlyName":"A"}]'
sessions='[{"id":"s1","node":"a","status":1,"display":2,"sharingState":1},{"id":"s2","node":{"hostname":"b"},"status":4,"display":3,"sharingState":0}]'
suspended='[{"id":"x","profileName":"p","startTimestamp":"2026-01-01","node":"h","suspendDescription":"d","status":3,"display":5,"sharingState":2}]'

failed=0
count=0
start=$SECONDS
# case NAME EXPECTED_STATUS ANSWER ARGUMENTS...
case_() {
    local name=$1 expected=$2
    shift 2
    count=$((count + 1))
    local log="$work/$name.valgrind"
    valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=40 \
        --suppressions="$here/qt.supp" --gen-suppressions=all --log-file="$log" \
        "$driver" "$@" >"$work/$name.out" 2>&1
    local status=$?
    local errors
    errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -1)
    if [ "$status" = "$expected" ] && [ "${errors:-1}" = 0 ]; then
        printf '%-34s ok (status %s)\n' "$name" "$status"
    else
        printf '%-34s FAILED: status %s (expected %s), %s errors\n' "$name" "$status" \
            "$expected" "${errors:-?}"
        sed -n '/^==[0-9]*== [A-Z].*\(Invalid\|uninitialised\|definitely\|Mismatched\|free\)/,/^==[0-9]*== $/p' \
            "$log" | head -80
        cat "$work/$name.out" | tail -5
        failed=1
    fi
}

fresh() { # fresh FILE TEXT: a new exchange file for each run
    printf '%s' "$2" >"$work/$1"
    echo "$work/$1"
}

case_ node-select 0 select -SelectNodeFile "$(fresh nodes.json "$nodes")" -url https://h.example
case_ node-cancel 255 cancel -SelectNodeFile "$(fresh nodes.json "$nodes")"
case_ node-no-file 255 cancel
case_ nodegroup-select 0 select -SelectNodeGroupFile "$(fresh groups.json "$groups")"
case_ nodegroup-close 255 close -SelectNodeGroup "$(fresh groups.json "$groups")"
case_ session-select 0 select -SelectSession "$(fresh sessions.json "$sessions")"
case_ session-cancel 255 cancel -SelectSessionFile "$(fresh sessions.json "$sessions")"
case_ shared-select 0 select -SelectShared "$(fresh shared.json "$sessions")"
case_ shared-cancel 255 cancel -SelectSharedFile "$(fresh shared.json "$sessions")"
case_ suspend-select 0 select -SelectSuspend "$(fresh suspended.json "$suspended")"
case_ suspend-cancel 255 cancel -SelectSuspendFile "$(fresh suspended.json "$suspended")"
case_ server-signin-ok 0 ok -Auth "$(fresh auth "bob:old")"
case_ server-signin-apikey 0 apikey -Auth "$work/auth-new"
case_ server-signin-cancel 1 cancel -Auth "$(fresh auth "bob:old")"
case_ server-signin-failed-write 255 ok -Auth "$work/missing/auth"
case_ proxy-signin-ok 0 ok -ProxyAuth "$(fresh proxy "carol")"
case_ proxy-signin-close 1 close -ProxyAuth "$(fresh proxy "carol")"
case_ message-dismiss 0 dismiss -Message "$(fresh message "Server restarts at noon")"
case_ message-unreadable 255 dismiss -Message "$work/no-such-message"

echo "$count runs in $((SECONDS - start)) s"
exit $failed
