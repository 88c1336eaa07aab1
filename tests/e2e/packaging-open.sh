#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What a browser does with a zan: link, on a fresh user's desktop: install
# into a temporary prefix, which registers the scheme; xdg-open the link,
# which starts the launcher; accept the agreement and walk the demo's
# dialogs; the launcher exits 0. A second xdg-open while the first runs
# reaches the same launcher (one console launcher). Then a GIO desktop's
# road (the Exec line) and a bare Open on a new session bus, which starts the
# launcher from its service file. Finally the uninstall leaves nothing.
# Runs under with-display.sh. Usage: packaging-open.sh BUNDLE BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$2" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
source_dir=$(cd "$here/../.." && pwd)

zan_work zan-e2e-open
cleanups+=('jobs -p | xargs -r kill 2>/dev/null')
zan_locale C.UTF-8
zan_private_desktop "$work"
prefix="$work/local"
app=$zan_app
failures=0

# --- Install: files in place, scheme registered -------------------------
zan_install "$build" "$prefix"
check "the launcher is on the prefix's bin" test -x "$prefix/bin/zan-client-launcher"
check "the bundle is under lib" test -x "$prefix/lib/zan-client-launcher/Contents/Applications/ZANSelectNode"
check "the desktop entry is valid" desktop-file-validate "$XDG_DATA_HOME/applications/$app.desktop"
check "the desktop entry's Exec names the installed launcher" \
    grep -qx "Exec=$prefix/bin/zan-client-launcher --open-url %u" "$XDG_DATA_HOME/applications/$app.desktop"
check "the service file names the installed launcher" \
    grep -qx "Exec='$prefix/bin/zan-client-launcher'" "$XDG_DATA_HOME/dbus-1/services/$app.service"
check "zan: links are handled by the launcher" \
    test "$(xdg-mime query default x-scheme-handler/zan)" = "$app.desktop"
check "the desktop database lists the scheme" \
    grep -q "x-scheme-handler/zan=$app.desktop" "$XDG_DATA_HOME/applications/mimeinfo.cache"
metainfo_valid() {
    appstreamcli validate --no-net --pedantic "$XDG_DATA_HOME/metainfo/$app.metainfo.xml" >/dev/null
}
if command -v appstreamcli >/dev/null; then
    check "the metainfo is valid" metainfo_valid
fi

# --- The browser road: xdg-open, agreement, dialogs ---------------------
walk_dialogs() { # walk_dialogs LOG: answers sign-in, group, node, session, message
    local w pid name
    for name in sign-in node-group node session message; do
        w=$(zan_wait_window --classname ZANSelectNode) || { walk_failed "no $name dialog"; return 1; }
        pid=$(zan_window_pid "$w")
        if [ "$name" = sign-in ]; then
            # Meanwhile a second link arrives.
            if [ -n "${second_link:-}" ]; then
                timeout 20 xdg-open "$second_link" >>"$work/second.log" 2>&1
                echo $? >"$work/second.status"
            fi
            zan_keys "$w" Tab
            zan_type "$w" secret
        fi
        zan_keys "$w" Return
        zan_wait_gone "$w" "$pid" || { walk_failed "the $name dialog stayed"; return 1; }
    done
}
walk_failed() { # the screen as it was, for whoever reads the failure
    echo "$1; the screen is in $build/packaging-open-failure.png"
    zan_shot root "$build/packaging-open-failure.png"
}

log="$work/open.log"
xdg-open "zan://e2e.example/desktop" >"$log" 2>&1 &
opener=$!
w=$(zan_wait_window --classname zan-client-launcher) || true
check "xdg-open shows the agreement" test -n "$w"
if [ -n "$w" ]; then
    pid=$(zan_window_pid "$w")
    zan_keys "$w" Return
    zan_wait_gone "$w" "$pid" || true
fi
second_link="zan://second.example/desktop"
check "the demo's dialogs are walked" walk_dialogs
set +e
timeout 30 tail --pid=$opener -f /dev/null
kill -0 $opener 2>/dev/null && zan_kill_tree $opener
wait $opener
status=$?
set -e
check "the launcher exits 0 (xdg-open status $status)" test "$status" = 0
check "the second xdg-open is handed over and ends with 0" test "$(cat "$work/second.status" 2>/dev/null)" = 0
check "one console launcher ran" test "$(grep -c 'Connecting to' "$log")" = 1
# The launcher logs the link it drops, and that is all it does with it.
second_only_ignored() {
    [ "$(grep -c second.example "$log")" = 1 ] &&
        grep -q '^Ignored launch URL "zan://second.example/desktop"' "$log"
}
check "the second link started nothing" second_only_ignored
check "the agreement is on record" grep -rq kZanVersionTrail "$XDG_CONFIG_HOME"

# --- Two roads on a new bus each: a GIO desktop opening the link runs the
# desktop entry's Exec line (so the token it puts in the environment reaches
# the launcher: a desktop portal before 1.19 passes it only that way), and a
# bare Open call on the bus starts the launcher from its service file.
activation_road() { # activation_road HOST COMMAND...: walks the dialogs, notes how the launcher started
    local host=$1
    shift
    dbus-run-session -- bash -c '
        source "$1/lib.sh"
        prefix=$2 host=$3
        shift 3
        "$@" >/dev/null || exit 1
        for name in sign-in node-group node session message; do
            w=$(zan_wait_window --classname ZANSelectNode) || exit 1
            pid=$(zan_window_pid "$w")
            if [ "$name" = sign-in ]; then
                # How the launcher of this installation was started.
                pgrep -a -f "^$prefix/bin/zan-client-launcher" >"$host.command" || true
                zan_keys "$w" Tab
                zan_type "$w" secret
            fi
            zan_keys "$w" Return
            zan_wait_gone "$w" "$pid" || exit 1
        done
        # The activated launcher ends once its console launcher has.
        wait_for "the activated launcher to end" zan_bus_free
    ' _ "$here" "$prefix" "$work/$host" "$@" 2>"$work/$host.log"
}
started_by_bus() { # the launcher ran, from the service file (no arguments)
    grep -q "Connecting to $1" "$work/$1.log" &&
        grep -qx "[0-9]* $prefix/bin/zan-client-launcher" "$work/$1.command"
}
started_by_exec_line() {
    grep -q "Connecting to $1" "$work/$1.log" &&
        grep -qx "[0-9]* $prefix/bin/zan-client-launcher --open-url zan://$1/desktop" "$work/$1.command"
}
activation_road gio.example env XDG_CURRENT_DESKTOP=GNOME gio open "zan://gio.example/desktop" || true
check "gio open (a GIO desktop's browser) starts the launcher through its Exec line" \
    started_by_exec_line gio.example
activation_road dbus.example gdbus call --session --dest "$app" --object-path /com/zan/ClientLauncher \
    --method org.freedesktop.Application.Open "['zan://dbus.example/desktop']" "{}" || true
check "Open on the bus starts the launcher from its service file, without the agreement again" \
    started_by_bus dbus.example

# --- A prefix whose path needs quoting ---------------------------------------
odd="$work/odd prefix %1"
DESTDIR= cmake --install "$build" --prefix "$odd" >/dev/null 2>&1 || true
check "a prefix with a space and a per cent sign gives a valid desktop entry" \
    desktop-file-validate "$odd/share/applications/$app.desktop"
check "... whose Exec quotes the program and doubles the per cent sign" \
    grep -qxF "Exec=\"$work/odd prefix %%1/bin/zan-client-launcher\" --open-url %u" \
    "$odd/share/applications/$app.desktop"
check "... and a service file that quotes it for D-Bus" \
    grep -qxF "Exec='$odd/bin/zan-client-launcher'" "$odd/share/dbus-1/services/$app.service"
"$source_dir/packaging/uninstall.sh" "$odd" >/dev/null
# That installation made itself the handler; the one below is to be undone.
xdg-mime default "$app.desktop" x-scheme-handler/zan

# --- Uninstall ----------------------------------------------------------
"$source_dir/packaging/uninstall.sh" "$prefix" >/dev/null
left=$(find "$prefix" -type f ! -name mimeinfo.cache ! -name '*.log' -o -type l)
check "the uninstall leaves no file behind" test -z "$left"
check "zan: links are no longer handled" test -z "$(xdg-mime query default x-scheme-handler/zan)"

echo "$failures failure(s)"
[ $failures = 0 ] || { echo "== launcher log"; cat "$log"; exit 1; }
