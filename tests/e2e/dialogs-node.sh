#!/usr/bin/env bash
# The node dialog of the real dialog program: Enter writes the first record and
# exits 0; Escape deletes the list and exits 255; a folder that cannot be
# written gives 255 and keeps the list whole.
# Usage (under with-display.sh): dialogs-node.sh BUNDLE_DIR BUILD_DIR
source "$(dirname "$0")/dialogs-lib.sh"

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

# A folder that cannot be written: the chosen record cannot replace the list.
# Root ignores permission bits, so for root the folder is made read-only by a
# read-only bind mount of itself inside a private mount namespace that only
# the dialog process lives in (nothing to undo, nothing left behind if this
# script is killed); where that is refused, the folder is marked immutable
# (chattr +i, undone on exit). Any other user gets a folder without write
# permission.
locked="$work/locked folder"
mkdir "$locked"
list="$locked/nodes.json"
cp "$data/node-list.json" "$list"
readonly_probe='mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && ! touch "$1/.probe" 2>/dev/null'
if [ "$(id -u)" != 0 ]; then
    chmod a-w "$locked"
    cleanups+=("chmod u+w '$locked'")
    start_dialog "$program" -SelectNodeFile "$list"
elif unshare --mount --propagation private sh -c "$readonly_probe" sh "$locked" 2>/dev/null; then
    start_dialog unshare --mount --propagation private \
        sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && shift && exec "$@"' \
        sh "$locked" "$program" -SelectNodeFile "$list"
elif chattr +i "$locked" 2>/dev/null; then
    cleanups+=("chattr -i '$locked'")
    ! touch "$locked/.probe" 2>/dev/null || fail "an immutable folder is still writable here"
    start_dialog "$program" -SelectNodeFile "$list"
else
    echo "SKIP: no way to make a folder unwritable for root here"
    exit 77
fi
press Return
finish
[ "$status" = 255 ] || fail "the unwritable folder gave status $status"
same_bytes "$list" "$data/node-list.json" "unwritable folder"
grep -qF "$list" "$work/log" || fail "no log line names the list's path"
[ "$(ls -A "$locked")" = "nodes.json" ] || fail "the folder holds $(ls -A "$locked")"

echo "dialogs-node: all passed"
