#!/usr/bin/env bash
# Runs a command under a private Xvfb display (and a private session bus when
# dbus-run-session exists), then tears both down. Usage: with-display.sh CMD ARGS...
set -euo pipefail
source "$(dirname "$0")/lib.sh"
command -v Xvfb >/dev/null || fail "Xvfb is not installed"
fifo=$(mktemp -u); mkfifo "$fifo"
# -noreset: a bare server resets when its last client leaves and refuses
# connections meanwhile, so a program started just as the previous one ended
# could not open the display. A desktop always has other clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 20 display <"$fifo" || fail "Xvfb did not start"
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
if command -v dbus-run-session >/dev/null && [ -z "${ZAN_NO_PRIVATE_BUS:-}" ]; then
    dbus-run-session -- "$@"
else
    "$@"
fi
