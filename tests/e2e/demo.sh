#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# make demo: plays the browser's part. Installs the build into private XDG
# folders, registers the zan: scheme there and opens
# zan://demo.example/desktop with xdg-open, on a private session bus.
# With a display the person answers the dialogs; without one the same runs
# under Xvfb, xdotool answers each dialog and a picture of each is saved
# under BUILD/demo/LANGUAGE/. Prints the log entries and the exit status.
# The language follows LANG (make demo LANG=de_DE.UTF-8).
# Usage: demo.sh BUILD [URL]   (ZAN_DEMO_HEADLESS=1 forces the Xvfb road)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
url=${2:-zan://demo.example/desktop}
# shellcheck source=lib.sh
source "$here/lib.sh"

zan_locale "${LANG:-C.UTF-8}"
language=$(zan_language)
zan_work zan-demo
zan_private_desktop "$work"

echo "Installing into $work/local"
zan_install "$build" "$work/local"
# The demo shows what the launcher logs, not only the console launcher's
# output: switch its log on in this private copy.
zan_log_console "$work/local/lib/zan-client-launcher/Contents/Info.plist" ||
    echo "demo: the launcher's log could not be switched on" >&2

if [ -z "${ZAN_DEMO_HEADLESS:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    echo "Opening $url: answer the dialogs on your screen (language: $language)."
    mode=interactive
    run=(dbus-run-session --)
else
    out="$build/demo/$language${QT_SCALE_FACTOR:+-x$QT_SCALE_FACTOR}"
    rm -rf "$out"
    mkdir -p "$out"
    echo "No display: running under Xvfb, pictures go to $out (language: $language)."
    mode=headless
    run=("$here/with-display.sh")
    export ZAN_DEMO_BUNDLE="$work/local/lib/zan-client-launcher"
fi
set +e
"${run[@]}" "$here/demo-play.sh" "$mode" "$url" "$work/launcher.log" "${out:-}"
status=$?
set -e
if [ "$mode" = headless ]; then
    # The launcher's main window, as the desktop shows it when the user
    # starts the application from its menu.
    ZAN_WINDOW_SHOT="$out/launcher-main-window.png" "$here/with-display.sh" \
        "$here/launcher-window.sh" "$build/bundle" "$build" >/dev/null 2>&1 ||
        echo "demo: the main window picture could not be taken" >&2
fi
echo
echo "== Log entries"
grep -v 'dbus-daemon\[' "$work/launcher.log" || true
echo "== Exit status: $status (xdg-open's: 0 when the launcher exited with 0)"
if [ "$mode" = headless ]; then
    echo "== Pictures"
    ls -1 "$out"
fi
exit $status
