#!/usr/bin/env bash
# A launcher started with its program path alone owns its bus name and takes
# URLs through org.freedesktop.Application.Open: two Open calls start the
# console launcher once, with the first URL as its one argument; a second
# launcher run by the desktop entry hands its URL to the first and ends.
# Command-line launches: from a parent that ignores SIGCHLD the launcher still
# ends with the console launcher's status, and a parameter that is not UTF-8
# reaches it byte for byte; with no display at all the launcher says so in one
# line and ends with 1 before starting anything.
# Usage (under with-display.sh): launcher-dbus.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
command -v gdbus >/dev/null || fail "gdbus is not installed (package libglib2.0-bin)"

use_work_bundle "$1"
# The fake console launcher records its arguments, says so, then waits until
# the test hands it the status to end with.
cat >"$bundle/Contents/Applications/zanlauncher" <<'FAKE'
#!/bin/sh
{ echo "$#"; for a in "$@"; do echo "[$a]"; done; } >>"$ZAN_E2E_RECORD"
echo "fake console launcher running"
read -r status <"$ZAN_E2E_RELEASE"
exit "$status"
FAKE
chmod +x "$bundle/Contents/Applications/zanlauncher"
accept_agreement "$bundle" "$work/config"
mkfifo "$work/release"
export ZAN_E2E_RECORD="$work/record" ZAN_E2E_RELEASE="$work/release"

: >"$work/log"
zan_start_launcher "$bundle/Contents/bin/zan-client-launcher" "$work/log"

zan_bus_open 'zan://one.example/a%20b?x=1'
zan_bus_open 'zan://two.example/'
wait_for "the console launcher to start" test -s "$work/record"
# The running launcher still answers while its console launcher runs.
zan_bus_open 'zan://three.example/'
# A launcher run through the desktop entry hands its URL over and ends.
"$bundle/Contents/bin/zan-client-launcher" --open-url 'zan://four.example/' 2>>"$work/log" ||
    fail "the second launcher did not hand its URL over"
zan_ended "$pid" && fail "the first launcher ended early"

echo 7 >"$work/release"
finish
[ "$status" = 7 ] || fail "launcher ended with $status, not the console launcher's 7"

expected=$'1\n[zan://one.example/a%20b?x=1]'
[ "$(cat "$work/record")" = "$expected" ] ||
    fail "console launcher started as: $(cat "$work/record")"
grep -qx 'zanlauncherConsole>>>> fake console launcher running' "$work/log" ||
    fail "console output not logged"
echo "PASS: two Open calls, one console launcher start"

# Command-line launches. A parent that ignores SIGCHLD (the setting survives
# exec): the console launcher's status still comes through, and a parameter
# that is not UTF-8 reaches it unchanged, as do parameters that look like
# Qt's options (Qt taking them would fail on that display and platform).
launcher="$bundle/Contents/bin/zan-client-launcher"
rm -f "$work/record"
perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV or die "exec: $!"' \
    "$launcher" 'zan://five.example/' "$(printf 'caf\351')" -display :77 -platform none \
    -stylesheet "$work/none.qss" 2>>"$work/log" &
pid=$!
wait_for "the console launcher to start" test -s "$work/record"
echo 3 >"$work/release"
finish
[ "$status" = 3 ] || fail "with SIGCHLD ignored the launcher ended with $status, not 3"
[ "$(cat "$work/record")" = "$(printf '8\n[zan://five.example/]\n[caf\351]\n[-display]\n[:77]\n[-platform]\n[none]\n[-stylesheet]\n[%s]' "$work/none.qss")" ] ||
    fail "the console launcher got: $(od -c "$work/record")"
echo "PASS: SIGCHLD ignored by the parent: status 3 kept; caf\\xE9 and Qt's options passed byte for byte"

# No display at all: one line, status 1, nothing started; the same when Qt's
# warnings or critical messages are made fatal.
for fatal in '' QT_FATAL_WARNINGS=1 QT_FATAL_CRITICALS=1; do
    rm -f "$work/record"
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${fatal:+"$fatal"} "$launcher" \
        'zan://six.example/' 2>"$work/log" || status=$?
    [ "$status" = 1 ] && [ "$(wc -l <"$work/log")" = 1 ] && [ ! -e "$work/record" ] &&
        grep -q '^No display could be opened (.*display' "$work/log" ||
        fail "with no display ($fatal): status $status, log: $(cat "$work/log")"
done
echo "PASS: no display: one line and status 1, also with fatal warnings or criticals"
