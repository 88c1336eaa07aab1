#!/usr/bin/env bash
# The sign-in dialogs of the real dialog program, driven with the keyboard:
# a user name and password confirmed with Enter leave the Base64 credential
# in an owner-only file and status 0; Escape leaves the file as it was and
# status 1. The proxy dialog likewise.
# Usage (under with-display.sh): signin.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
program="$1/Contents/Applications/ZANSelectNode"
[ -x "$program" ] || { echo "FAIL: no dialog program at $program" >&2; exit 1; }

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# open_dialog ARGS...: starts the program and waits until its dialog is shown
# and has the keyboard.
open_dialog() {
    "$program" "$@" 2>>"$work/log" &
    pid=$!
    local window
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1) ||
        fail "no dialog appeared for: $*"
    xdotool windowfocus --sync "$window"
}

# finish: waits for the program and sets status to its exit status. Not run
# in a subshell: only this shell can wait for its child.
finish() {
    status=0
    wait "$pid" || status=$?
    pid=
}

base64_of() { printf '%s' "$1" | base64 -w 0; }

# A path with a space in it, as a home folder may have.
mkdir "$work/my folder"

for option in -Auth -ProxyAuth; do
    file="$work/my folder/cred$option"

    # Enter: the offered name is replaced by what is typed.
    printf 'olduser:oldpw' >"$file"
    chmod 0644 "$file"
    open_dialog "$option" "$file"
    xdotool type --delay 20 'alice'
    xdotool key Tab
    xdotool type --delay 20 'p@ss w0rd!'
    xdotool key Return
    finish
    [ "$status" = 0 ] || fail "$option: Enter gave status $status"
    [ "$(cat "$file")" = "$(base64_of 'alice:p@ss w0rd!')" ] ||
        fail "$option: file holds '$(cat "$file")'"
    [ "$(stat -c %a "$file")" = 600 ] || fail "$option: file mode $(stat -c %a "$file")"

    # The offered name ends at the line break, so keeping it gives a clean
    # credential.
    printf 'olduser\n' >"$file"
    open_dialog "$option" "$file"
    xdotool key Tab
    xdotool type --delay 20 'pw'
    xdotool key Return
    finish
    [ "$status" = 0 ] || fail "$option: Enter with the offered name gave status $status"
    [ "$(cat "$file")" = "$(base64_of 'olduser:pw')" ] ||
        fail "$option: offered name gave '$(cat "$file")'"

    # Escape: status 1, the file untouched.
    printf 'olduser:oldpw' >"$file"
    chmod 0644 "$file"
    cp -p "$file" "$work/before"
    open_dialog "$option" "$file"
    xdotool type --delay 20 'mallory'
    xdotool key Tab
    xdotool type --delay 20 'secret'
    xdotool key Escape
    finish
    [ "$status" = 1 ] || fail "$option: Escape gave status $status"
    cmp -s "$file" "$work/before" || fail "$option: Escape changed the file"
    [ "$(stat -c %a "$file")" = 644 ] || fail "$option: Escape changed the file mode"
done

# Nothing secret reaches the log.
if grep -q -e 'p@ss' -e 'secret' "$work/log"; then
    fail "a password reached the log: $(cat "$work/log")"
fi
echo "PASS: sign-in dialogs write on Enter and keep the file on Escape"
