#!/usr/bin/env bash
# The node dialog of the real dialog program: Enter writes the first record and
# exits 0; Escape deletes the list and exits 255. As an ordinary account: a
# read-only list is replaced all the same (0), and a folder that cannot be
# written gives 255 and keeps the list whole. With no display: one log line,
# 255, the list whole, also with QT_FATAL_WARNINGS or QT_FATAL_CRITICALS.
# Usage (under with-display.sh): dialogs-node.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
zan_dialogs_setup "$1"

# A folder name with a space, as a home folder may have.
mkdir "$work/my lists"
list="$work/my lists/nodes.json"

# Enter chooses the first row, which is selected when the dialog opens.
cp "$data/node-list.json" "$list"
start_dialog "$program" -SelectNodeFile "$list" -url "http://help.example"
press Return
finish
[ "$status" = 0 ] || fail "Enter gave status $status"
same_bytes "$list" "$data/node-chosen.json" "Enter"

# Escape cancels: the list is deleted, status 255.
cp "$data/node-list.json" "$list"
start_dialog "$program" "-selectnodefile" "\"$list\""
press Escape
finish
[ "$status" = 255 ] || fail "Escape gave status $status"
[ ! -e "$list" ] || fail "Escape left the list in place"

# No display (zanlauncher run over ssh): nothing can be chosen; one line says
# why, the status is 255 and the list stays as it was. The same when Qt's
# warnings or critical messages are made fatal, as developers and testers do.
for fatal in '' QT_FATAL_WARNINGS=1 QT_FATAL_CRITICALS=1; do
    cp "$data/node-list.json" "$list"
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${fatal:+"$fatal"} "$program" -SelectNodeFile \
        "$list" 2>"$work/log" || status=$?
    [ "$status" = 255 ] && [ "$(wc -l <"$work/log")" = 1 ] &&
        grep -q '^No display could be opened (.*display' "$work/log" ||
        fail "with no display ($fatal): status $status, log: $(cat "$work/log")"
    same_bytes "$list" "$data/node-list.json" "no display ($fatal)"
done

# The next two as an ordinary account, for which a file's mode counts.
# A read-only list (0444) in the account's own folder: Select replaces it as
# mv would, and the record keeps the list's mode.
list="$user_dir/read-only nodes.json"
cp "$data/node-list.json" "$list"
chmod 0444 "$list"
owned_by_user "$list"
start_dialog as_user "$user_program" -SelectNodeFile "$list"
press Return
finish
[ "$status" = 0 ] || fail "Select over a read-only list gave status $status"
same_bytes "$list" "$data/node-chosen.json" "read-only list"
[ "$(stat -c %a "$list")" = 444 ] || fail "the record has mode $(stat -c %a "$list"), not 444"
[ -z "$(find "$user_dir" -maxdepth 1 -name '.*nodes.json*')" ] || fail "a temporary file was left"

# A folder that cannot be written: the chosen record cannot replace the list,
# which stays whole; status 255 and a log line that names the list.
locked="$user_dir/locked folder"
mkdir "$locked"
list="$locked/nodes.json"
cp "$data/node-list.json" "$list"
owned_by_user "$locked" "$list"
chmod a-w "$locked"
cleanups+=("chmod u+w '$locked'")
: >"$work/log"
start_dialog as_user "$user_program" -SelectNodeFile "$list"
press Return
finish
[ "$status" = 255 ] || fail "the unwritable folder gave status $status"
same_bytes "$list" "$data/node-list.json" "unwritable folder"
grep -qF "$list" "$work/log" || fail "no log line names the list's path"
[ "$(ls -A "$locked")" = "nodes.json" ] || fail "the folder holds $(ls -A "$locked")"

echo "dialogs-node: all passed"
