#!/usr/bin/env bash
# The other four selection dialogs of the real dialog program: for each of
# -SelectNodeGroup, -SelectSession, -SelectShared and -SelectSuspend, Enter
# writes the first row's record (the new-session row for sessions, the first
# shared session for shared ones) and exits 0.
# Usage (under with-display.sh): dialogs-kinds.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
zan_dialogs_setup "$1"

for kind in nodegroup:-SelectNodeGroup session:-SelectSession shared:-SelectShared \
    suspend:-SelectSuspend; do
    name=${kind%%:*}
    option=${kind#*:}
    list="$work/$name list.json"
    cp "$data/$name-list.json" "$list"
    : >"$work/log"
    start_dialog "$program" "$option" "$list" -url "http://help.example"
    press Return
    finish
    [ "$status" = 0 ] || fail "$option: Enter gave status $status"
    same_bytes "$list" "$data/$name-chosen.json" "$option"
    case $option in
    -SelectSession) grep -qx "select session was called." "$work/log" ||
        fail "$option: no 'select session was called.' line" ;;
    -SelectNodeGroup) grep -qx "select node group was called." "$work/log" ||
        fail "$option: no 'select node group was called.' line" ;;
    esac
done

echo "dialogs-kinds: all passed"
