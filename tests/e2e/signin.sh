#!/usr/bin/env bash
# The sign-in dialogs of the real dialog program, driven with the keyboard:
# a user name and password confirmed with Enter leave the Base64 credential
# in an owner-only file and status 0; Escape leaves the file as it was and
# status 1. The proxy dialog likewise. As an ordinary account: a read-only
# credential file is replaced all the same, a file name that is not UTF-8 is
# written as exactly those bytes, and another account's link in a shared
# folder is not written through. All the while a screen reader's listener is
# on the accessibility bus, and no password character reaches it; it hears
# of a password field's focus before any move of its caret.
# Usage (under with-display.sh): signin.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
zan_dialogs_setup "$1"

/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is not installed"

# The accessibility bus as a screen reader has it: the bus launcher (started
# by the session bus on the first call) with the screen-reader switch on, so
# that Qt exports its accessible objects and events, and a listener for every
# text change, focus change and caret move, one line each: event, role of the
# source, the text it carries (for a focus change: 1 gained, 0 lost).
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' \
    >/dev/null || fail "the accessibility bus did not start"
/usr/bin/python3 -u - >"$work/events" 2>"$work/listener.log" <<'PY' &
import signal
import pyatspi
from gi.repository import GLib

def heard(event):
    try:
        role = event.source.getRoleName()
    except Exception:
        role = "?"
    if str(event.type).startswith("object:state-changed"):
        text = str(event.detail1)
    else:
        text = str(event.any_data).replace("\t", " ").replace("\n", " ")
    print("%s\t%s\t%s" % (event.type, role, text))

pyatspi.Registry.registerEventListener(
    heard, "object:text-changed:insert", "object:text-changed:delete",
    "object:state-changed:focused", "object:text-caret-moved")
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: pyatspi.Registry.stop())
print("listening")
pyatspi.Registry.start()
PY
listener=$!
cleanups+=("kill $listener")
listening() {
    zan_ended "$listener" && fail "the listener ended"
    grep -q '^listening$' "$work/events"
}
wait_for "the listener to start" listening

# on_accessibility_bus PID: whether the program is on the accessibility bus,
# so that what is typed next is told to listeners.
on_accessibility_bus() {
    /usr/bin/python3 - "$1" <<'PY' 2>/dev/null
import sys
import pyatspi
desktop = pyatspi.Registry.getDesktop(0)
pids = [app.get_process_id() for app in desktop if app is not None]
sys.exit(0 if int(sys.argv[1]) in pids else 1)
PY
}

# open_dialog ARGS...: starts the program and waits until its dialog is shown
# and is on the accessibility bus.
open_dialog() {
    start_dialog "$program" "$@"
    wait_for "the dialog on the accessibility bus" on_accessibility_bus "$pid"
}

base64_of() { printf '%s' "$1" | base64 -w 0; }

# answer NAME PASSWORD KEY: types the user name (none: the offered one stays)
# and the password into the open dialog, then ends it with KEY.
answer() {
    [ -z "$1" ] || zan_type "$window" "$1"
    press Tab
    zan_type "$window" "$2"
    press "$3"
    finish
}

# A path with a space in it, as a home folder may have.
mkdir "$work/my folder"

for option in -Auth -ProxyAuth; do
    file="$work/my folder/cred$option"

    # Enter: the offered name is replaced by what is typed; Backspace takes
    # back a character.
    printf 'olduser:oldpw' >"$file"
    chmod 0644 "$file"
    open_dialog "$option" "$file"
    zan_type "$window" 'alice'
    press Tab
    zan_type "$window" 'p@ss w0rd!X'
    press BackSpace
    press Return
    finish
    [ "$status" = 0 ] || fail "$option: Enter gave status $status"
    [ "$(cat "$file")" = "$(base64_of 'alice:p@ss w0rd!')" ] ||
        fail "$option: file holds '$(cat "$file")'"
    [ "$(stat -c %a "$file")" = 600 ] || fail "$option: file mode $(stat -c %a "$file")"

    # The offered name ends at the line break, so keeping it gives a clean
    # credential.
    printf 'olduser\n' >"$file"
    open_dialog "$option" "$file"
    answer '' 'pw' Return
    [ "$status" = 0 ] || fail "$option: Enter with the offered name gave status $status"
    [ "$(cat "$file")" = "$(base64_of 'olduser:pw')" ] ||
        fail "$option: offered name gave '$(cat "$file")'"

    # Escape: status 1, the file untouched.
    printf 'olduser:oldpw' >"$file"
    chmod 0644 "$file"
    cp -p "$file" "$work/before"
    open_dialog "$option" "$file"
    answer 'mallory' 'secret' Escape
    [ "$status" = 1 ] || fail "$option: Escape gave status $status"
    cmp -s "$file" "$work/before" || fail "$option: Escape changed the file"
    [ "$(stat -c %a "$file")" = 644 ] || fail "$option: Escape changed the file mode"
done

# As an ordinary account: a credential file that zanlauncher left read-only
# (0400) is replaced by OK, and the new one is 0600.
file="$user_dir/credential"
printf 'olduser:' >"$file"
chmod 0400 "$file"
owned_by_user "$file"
start_dialog as_user "$user_program" -Auth "$file"
answer '' 'pw' Return
[ "$status" = 0 ] || fail "OK over a read-only credential file gave status $status"
[ "$(cat "$file")" = "$(base64_of 'olduser:pw')" ] || fail "read-only file holds '$(cat "$file")'"
[ "$(stat -c %a "$file")" = 600 ] || fail "read-only file: mode $(stat -c %a "$file") after OK"

# A file name whose bytes are not UTF-8 (café in Latin-1): the credential goes
# into exactly that file, and no other file appears.
mkdir "$user_dir/latin1"
owned_by_user "$user_dir/latin1"
file="$user_dir/latin1/caf"$'\xe9'
start_dialog as_user "$user_program" -ProxyAuth "$file"
answer 'bob' 'pw' Return
[ "$status" = 0 ] || fail "a Latin-1 credential path gave status $status"
[ "$(cat "$file" 2>&1)" = "$(base64_of 'bob:pw')" ] || fail "the Latin-1 file holds '$(cat "$file" 2>&1)'"
[ "$(ls -A "$user_dir/latin1")" = "caf"$'\xe9' ] ||
    fail "the folder holds $(ls -A "$user_dir/latin1" | od -An -c)"

# Another account's link in a shared sticky folder, leading to a file of ours:
# the sign-in does not write through it, whatever fs.protected_symlinks says:
# status 255, a log line naming the link, the file untouched. .ci/run plants
# one for its ordinary-account pass; run as root, this script plants its own.
# Our own link in the same folder is followed.
link=${ZAN_E2E_FOREIGN_LINK:-}
victim=${ZAN_E2E_FOREIGN_TARGET:-}
if [ -z "$link" ] && [ "$(id -u)" = 0 ]; then
    mkdir -m 1777 "$work/shared"
    victim="$user_dir/notes"
    echo "the user's own notes" >"$victim"
    owned_by_user "$victim"
    link="$work/shared/credential"
    ln -s "$victim" "$link"
    chown -h "$([ "$test_user" = nobody ] && echo daemon || echo nobody)" "$link"
fi
if [ -z "$link" ]; then
    echo "SKIP: another account's link: none planted (ZAN_E2E_FOREIGN_LINK), and planting one needs root"
else
    echo "another account's link, fs.protected_symlinks=$(cat /proc/sys/fs/protected_symlinks 2>/dev/null || echo '?')"
    cp "$victim" "$work/victim"
    : >"$work/log"
    start_dialog as_user "$user_program" -Auth "$link"
    answer 'eve' 'pw' Return
    [ "$status" = 255 ] || fail "another account's link gave status $status"
    cmp -s "$victim" "$work/victim" || fail "the sign-in wrote through another account's link"
    grep -qF "$link" "$work/log" || fail "no log line names the link"

    own="$(dirname "$link")/own.$$"
    (as_user ln -s "$user_dir/own-credential" "$own")
    start_dialog as_user "$user_program" -Auth "$own"
    answer 'eve' 'pw' Return
    [ "$status" = 0 ] || fail "our own link in a shared folder gave status $status"
    [ -L "$own" ] || fail "our own link was replaced by a file"
    [ "$(cat "$user_dir/own-credential")" = "$(base64_of 'eve:pw')" ] ||
        fail "the file our own link names holds '$(cat "$user_dir/own-credential")'"
    rm -f "$own"
fi

# Nothing secret reaches the log.
if grep -q -e 'p@ss' -e 'secret' "$work/log"; then
    fail "a password reached the log: $(cat "$work/log")"
fi

# What the listener heard: the user names in clear, so it heard these
# dialogs; from the password fields only mask characters, for every typed
# character, Backspace and the field cleared at OK alike.
kill "$listener"
wait "$listener" || true
heard_from() { awk -F'\t' -v role="$1" '$2 == role' "$work/events"; }
heard_from text | grep -q $'insert\ttext\tm' || fail "the listener heard no user name typed"
[ "$(heard_from 'password text' | grep -c insert)" -ge 2 ] ||
    fail "the listener heard nothing from the password fields: $(cat "$work/events")"
if heard_from 'password text' | grep '^object:text-changed' | cut -f3 | LC_ALL=C grep -q '[A-Za-z0-9@!]'; then
    fail "a password field told listeners what was typed: $(heard_from 'password text')"
fi
# A screen reader that hears a field's caret move before its focus takes the
# field as focused already and never names it: every caret move of a
# password field comes while that field has the focus.
early=$(heard_from 'password text' | awk -F'\t' '
    $1 ~ /focused/ { focused = $3 }
    $1 ~ /caret-moved/ && focused != 1 { n++ }
    END { print n + 0 }')
[ "$early" = 0 ] ||
    fail "a password field moved its caret $early time(s) before its focus was announced: $(heard_from 'password text')"
for typed in 'p@ss' 'w0rd' 'secret'; do
    ! grep -qF "$typed" "$work/events" || fail "a listener heard '$typed'"
done
echo "PASS: sign-in dialogs write on Enter, keep the file on Escape, and keep passwords off the accessibility bus"
