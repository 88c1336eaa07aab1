# SPDX-License-Identifier: MIT
# Shared by the dialogs-*.sh and signin.sh end-to-end scripts (sourced, not
# run): the real dialog program started on its files and driven with xdotool.
# Expects $1 = BUNDLE_DIR from the caller's arguments.
set -euo pipefail

program="$1/Contents/Applications/ZANSelectNode"
data="$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/dialogs" && pwd)"
[ -x "$program" ] || { echo "FAIL: no dialog program at $program" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed" >&2; exit 1; }

work=$(mktemp -d)
pid=
cleanups=()
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    local step
    for step in "${cleanups[@]}"; do eval "$step" || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/log" ] && sed 's/^/  log: /' "$work/log" >&2
    exit 1
}

# start_dialog CMD...: starts the command in the background (it must become
# the dialog program itself, keeping its process id) and waits until its
# window is shown; sets $window.
start_dialog() {
    "$@" 2>>"$work/log" &
    pid=$!
    # The limit only stops a run whose window never appears; a slow machine
    # just waits longer.
    window=$(timeout 120 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1) ||
        fail "no dialog appeared for: $*"
    [ -n "$window" ] || fail "no dialog window for: $*"
}

# An ordinary account for what root's permissions would hide (a read-only file
# is no obstacle to root): the account running this script, or for root
# ZAN_TEST_USER, else zantest where it exists, else nobody. It gets a folder of
# its own, $user_dir, with a home and a runtime folder, and $user_program, the
# dialog program where that account can run it whatever the folders above the
# build tree let it reach.
user_dir="$work/as user"
mkdir -p "$user_dir/home" "$user_dir/runtime"
chmod 700 "$user_dir/runtime"
user_program="$program"
if [ "$(id -u)" = 0 ]; then
    test_user=${ZAN_TEST_USER:-$(id -u zantest >/dev/null 2>&1 && echo zantest || echo nobody)}
    user_program="$user_dir/ZANSelectNode"
    cp "$program" "$user_program"
    chown -R "$test_user:$(id -g "$test_user")" "$user_dir"
    chmod 711 "$work"
fi

# as_user CMD...: becomes CMD run by that account (exec: for start_dialog's
# background job, so that the process id stays the program's). Root's session
# bus is not that account's to use.
as_user() {
    if [ "$(id -u)" != 0 ]; then
        exec "$@"
    fi
    exec setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups \
        env -u DBUS_SESSION_BUS_ADDRESS HOME="$user_dir/home" XDG_RUNTIME_DIR="$user_dir/runtime" \
        "$@"
}

# owned_by_user FILE...: hands files made by this script to that account.
owned_by_user() {
    [ "$(id -u)" != 0 ] || chown "$test_user:$(id -g "$test_user")" "$@"
}

# press KEY: sends the key to the dialog's window. A key that ends the program
# takes the window with it before the key's release is sent, which xdotool
# reports as BadWindow: expected then, and the exit status tells the rest.
press() {
    xdotool key --window "$window" "$1" 2>"$work/xdotool.err" ||
        grep -q BadWindow "$work/xdotool.err" || fail "xdotool: $(cat "$work/xdotool.err")"
}

# finish: waits for the program and sets $status to its exit status (not in a
# command substitution: only this shell can wait for its own child).
finish() {
    status=0
    wait "$pid" || status=$?
    pid=
}

# same_bytes FILE EXPECTED_FILE WHAT
same_bytes() {
    cmp -s "$1" "$2" || {
        echo "expected:" >&2; od -c "$2" | head -20 >&2
        echo "got:" >&2; od -c "$1" 2>&1 | head -20 >&2
        fail "$3: the file does not hold the expected bytes"
    }
}
