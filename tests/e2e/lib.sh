# SPDX-License-Identifier: MIT
# The one shell library of the end-to-end scripts and of make demo (sourced,
# not run): a private folder cleaned up on exit, failing with what the run
# logged, waiting, windows and keys on a (private) display with xdotool, a
# private desktop for an installation, the launcher on the session bus, and
# the dialog program started on its files. It sets no shell options; each
# script chooses its own.

zan_e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The test data of the whole suite.
zan_data="$zan_e2e_dir/../data"
zan_app=com.zan.ClientLauncher

# --- A private folder, failing, checking, waiting ---------------------------

# zan_work [NAME]: sets $work, a new private folder that goes when the script
# ends. On the way out the program under test ($pid) and everything it
# started are ended and each step in the array cleanups is run; with KEEP set
# the run's logs are shown first.
# shellcheck disable=SC2120 # NAME is optional
zan_work() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/${1:-zan-e2e}.XXXXXX")
    pid=
    cleanups=()
    trap zan_cleanup EXIT
}

zan_cleanup() {
    local step
    [ -n "${pid:-}" ] && zan_kill_tree "$pid"
    for step in "${cleanups[@]}"; do eval "$step" || true; done
    [ -n "${KEEP:-}" ] && zan_show_logs >&2
    rm -rf "$work"
}

# zan_show_logs: the run's logs, $work/log and $work/*.log, each under its name.
zan_show_logs() {
    local log
    [ -n "${work:-}" ] || return 0
    for log in "$work/log" "$work"/*.log; do
        [ -s "$log" ] || continue
        echo "--- ${log#"$work"/}"
        sed 's/^/  /' "$log"
    done
}

# fail MESSAGE: ends the script with MESSAGE and the run's logs; with
# ZAN_FAIL_SHOT set, a picture of the screen is saved there first.
fail() {
    echo "FAIL: $*" >&2
    zan_show_logs >&2
    [ -z "${ZAN_FAIL_SHOT:-}" ] || zan_shot root "$ZAN_FAIL_SHOT"
    exit 1
}

# check DESCRIPTION COMMAND...: one check of a script that goes on after a
# failed one; counts them in $failures.
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

# wait_for DESCRIPTION COMMAND...: retries the command every tenth of a
# second until it succeeds. The limit, ZAN_WAIT_SECONDS (120), only stops a
# broken run; a slow machine just waits longer.
wait_for() {
    local what=$1 deadline=$((SECONDS + ${ZAN_WAIT_SECONDS:-120}))
    shift
    while [ $SECONDS -lt $deadline ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@" && return 0
    fail "timed out waiting for $what"
}

# zan_ended PID: whether the process has ended (this shell reaps its own
# children as they end, so a finished job is gone too).
zan_ended() {
    ! kill -0 "$1" 2>/dev/null
}

# finish: waits for the program this script started in the background ($pid)
# and sets $status to its exit status. Not in a command substitution: only
# this shell can wait for its own child.
finish() {
    wait_for "the program (process $pid) to end" zan_ended "$pid"
    status=0
    wait "$pid" || status=$?
    pid=
}

# zan_kill_tree PID: ends a process and everything it started, children
# first (a program left waiting by a failed step would otherwise hold the
# test until its timeout).
zan_kill_tree() {
    local child
    for child in $(pgrep -P "$1" 2>/dev/null); do
        zan_kill_tree "$child"
    done
    kill "$1" 2>/dev/null || true
}

# --- Windows and keys --------------------------------------------------------

# zan_windows SEARCH...: ids of the visible windows that xdotool search finds
# with these options (--classname NAME, --pid PID, --name TITLE).
zan_windows() {
    xdotool search --onlyvisible "$@" 2>/dev/null || true
}

# zan_wait_window SEARCH...: waits for such a window and prints its id;
# fails (status 1, not the script) after the limit of wait_for. Window ids
# are reused once a program has ended: wait for the last window to go first.
zan_wait_window() {
    local deadline=$((SECONDS + ${ZAN_WAIT_SECONDS:-120})) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(zan_windows "$@" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    echo "No window ($*) appeared" >&2
    return 1
}

# zan_window_pid ID: the process that shows the window.
zan_window_pid() {
    xdotool getwindowpid "$1" 2>/dev/null || echo 0
}

# zan_wait_gone ID PID: waits until process PID no longer shows window ID;
# status 1 after the limit. Take PID before answering the window: the next
# program's window may get the same id as soon as this one has gone, so the
# window counts as gone too when another process owns that id now.
zan_wait_gone() {
    local id=$1 pid=$2 deadline=$((SECONDS + ${ZAN_WAIT_SECONDS:-120})) owner
    while [ $SECONDS -lt $deadline ]; do
        [ "$pid" != 0 ] && zan_ended "$pid" && return 0
        xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || return 0
        owner=$(xdotool getwindowpid "$id" 2>/dev/null) || return 0
        [ "$owner" = "$pid" ] || return 0
        sleep 0.2
    done
    echo "Window $id is still shown" >&2
    return 1
}

# zan_shot ID FILE: a picture of the window alone, once it has had a moment
# to draw itself (ID root: the screen as it is).
zan_shot() {
    [ "$1" = root ] || sleep 0.7
    import -window "$1" "$2" 2>/dev/null || import -window root "$2" 2>/dev/null
}

# zan_has_keyboard ID: asks for the keyboard for the window and tells whether
# it has it. A window that is not viewable yet cannot take it, and keys sent
# then go elsewhere: what the display reports is what counts.
zan_has_keyboard() {
    xdotool windowfocus "$1" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# zan_focus ID: gives the window the keyboard and waits until it has it.
zan_focus() {
    wait_for "window $1 to take the keyboard" zan_has_keyboard "$1"
}

# zan_keys ID KEY...: gives the window the keyboard, then presses the keys.
zan_keys() {
    local id=$1
    shift
    zan_focus "$id"
    xdotool key --clearmodifiers --delay 60 "$@"
}

# zan_type ID TEXT: gives the window the keyboard, then types the text.
zan_type() {
    zan_focus "$1"
    xdotool type --clearmodifiers --delay 30 "$2"
}

# --- A private desktop for an installation -----------------------------------

# zan_private_desktop DIR: XDG folders under DIR, as a fresh user has them;
# install to DIR/local. The default-application list, the desktop entries,
# the D-Bus service file and the launcher's settings all live there, so
# nothing of the real user's changes.
zan_private_desktop() {
    local dir=$1
    export XDG_DATA_HOME="$dir/local/share"
    export XDG_CONFIG_HOME="$dir/config"
    export XDG_CACHE_HOME="$dir/cache"
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    # xdg-open then opens through the default-application list and the
    # desktop entry's Exec line, the road of every desktop without D-Bus
    # activation, the same on every machine.
    export XDG_CURRENT_DESKTOP=X-Generic
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        export XDG_RUNTIME_DIR="$dir/runtime"
        mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    fi
    unset KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID MATE_DESKTOP_SESSION_ID DESKTOP_SESSION
}

# zan_locale LANG: makes LANG usable (generating it when missing and
# possible) and lets it alone decide the language of the programs.
zan_locale() {
    local lang=${1:-C.UTF-8}
    unset LANGUAGE LC_ALL LC_MESSAGES
    export LANG=$lang
    case $lang in C | C.* | POSIX) return 0 ;; esac
    local name=${lang%%.*}
    local want
    want=$(echo "$name.utf8" | tr '[:upper:]' '[:lower:]')
    if ! locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qx "$want"; then
        if [ "$(id -u)" = 0 ] && command -v localedef >/dev/null; then
            localedef -i "$name" -f UTF-8 "$name.UTF-8" >/dev/null 2>&1 ||
                echo "Cannot generate the locale $name.UTF-8" >&2
        fi
    fi
    if ! locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qx "$want"; then
        # The programs take their language from LANGUAGE too; the C library
        # gets a locale it has.
        export LANGUAGE=${name%%_*}
        export LANG=C.UTF-8
    fi
}

# zan_language: the two-letter language the programs will show, from the
# environment zan_locale left.
zan_language() {
    local name=${LANGUAGE:-${LANG:-C}}
    name=${name%%[_.:@]*}
    case $name in C | POSIX | "") echo en ;; *) echo "$name" ;; esac
}

# zan_install BUILD PREFIX: installs the build under PREFIX (quietly).
zan_install() {
    cmake --install "$1" --prefix "$2" >"$2.install.log" 2>&1 || {
        cat "$2.install.log" >&2
        return 1
    }
}

# --- The launcher -------------------------------------------------------------

# zan_log_console PLIST: switches the launcher's log on in a bundle's
# Info.plist, so that its own entries can be read.
zan_log_console() {
    perl -0pi -e 's{<key>LogConsole</key>\s*<false/>}{<key>LogConsole</key>\n    <true/>}' "$1"
    grep -q '<true/>' "$1"
}

# use_work_bundle SOURCE_BUNDLE: zan_work, and $bundle, a bundle of the
# launcher alone in it whose path holds spaces, for a fake console launcher
# to be put in.
use_work_bundle() {
    zan_work
    bundle="$work/Zan Client Launcher"
    mkdir -p "$bundle/Contents/bin" "$bundle/Contents/Applications"
    cp "$1/Contents/bin/zan-client-launcher" "$bundle/Contents/bin/"
    cp "$1/Contents/Info.plist" "$bundle/Contents/"
}

# accept_agreement BUNDLE CONFIG_DIR: a private configuration folder in which
# the bundle's version has its licence agreement accepted already.
accept_agreement() {
    local plist="$1/Contents/Info.plist" version build
    version=$(sed -n '/CFBundleShortVersionString/{n;s/.*<string>\(.*\)<\/string>.*/\1/p}' "$plist")
    build=$(sed -n '/<key>CFBundleVersion</{n;s/.*<string>\(.*\)<\/string>.*/\1/p}' "$plist")
    export XDG_CONFIG_HOME="$2"
    mkdir -p "$2/zan"
    printf '[kZanVersionTrail]\nkVersion=%s\nkBuild=%s\nkEULAAccepted=%s\n' \
        "$version" "$build" "$version" >"$2/zan/$zan_app.ini"
}

# zan_bus_call METHOD ARGUMENTS...: calls org.freedesktop.Application.METHOD
# on the launcher that owns its name on the session bus.
zan_bus_call() {
    gdbus call --session --dest "$zan_app" --object-path /com/zan/ClientLauncher \
        --method "org.freedesktop.Application.$1" "${@:2}" >/dev/null
}

# zan_bus_open URL: Open with the URL and no platform data, as a browser's
# desktop hands a link over.
zan_bus_open() {
    zan_bus_call Open "['$1']" '{}'
}

# zan_bus_owned / zan_bus_free: whether a launcher owns its name on the bus.
zan_bus_owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$zan_app" 2>/dev/null | grep -q true
}
zan_bus_free() {
    ! zan_bus_owned
}

# zan_start_launcher LAUNCHER LOG [ARGUMENTS...]: starts the launcher in the
# background ($pid), its log appended to LOG, as the desktop does, and waits
# until it owns its name on the bus. The bus may not yet have noticed that
# the last launcher has gone; a new one would find the name taken and hand
# its URL to no one, so that is waited for first.
zan_start_launcher() {
    local launcher=$1 log=$2
    shift 2
    wait_for "the last launcher's name on the bus to go" zan_bus_free
    "$launcher" "$@" 2>>"$log" &
    pid=$!
    wait_for "the launcher to take its name on the bus" zan_launcher_on_bus
}

zan_launcher_on_bus() {
    zan_ended "$pid" && fail "the launcher ended before taking its name on the bus"
    zan_bus_owned
}

# --- The dialog program -------------------------------------------------------

# zan_dialogs_setup BUNDLE: zan_work, $program, the dialog program of the
# bundle, and $data, the lists and records the scripts give and expect.
# An ordinary account for what root's permissions would hide (a read-only
# file is no obstacle to root): the account running this script, or for
# root ZAN_TEST_USER, else zantest where it exists, else nobody. It gets a
# folder of its own, $user_dir, with a home and a runtime folder, and
# $user_program, the dialog program where that account can run it whatever
# the folders above the build tree let it reach.
zan_dialogs_setup() {
    program="$1/Contents/Applications/ZANSelectNode"
    data="$zan_data/dialogs"
    [ -x "$program" ] || fail "no dialog program at $program"
    command -v xdotool >/dev/null || fail "xdotool is not installed"
    zan_work
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
}

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

# start_dialog CMD...: starts the command in the background (it must become
# the dialog program itself, keeping its process id), its log appended to
# $work/log, and waits until its window is shown; sets $pid and $window.
start_dialog() {
    "$@" 2>>"$work/log" &
    pid=$!
    window=$(zan_wait_window --pid "$pid") || fail "no dialog appeared for: $*"
}

# press KEY...: presses the keys in the dialog's window.
press() {
    zan_keys "$window" "$@"
}

# same_bytes FILE EXPECTED_FILE WHAT
same_bytes() {
    cmp -s "$1" "$2" || {
        echo "expected:" >&2
        od -c "$2" | head -20 >&2
        echo "got:" >&2
        od -c "$1" 2>&1 | head -20 >&2
        fail "$3: the file does not hold the expected bytes"
    }
}
