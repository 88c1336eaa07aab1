#!/usr/bin/env bash
# What a blind user hears: Orca, the screen reader of Debian's desktops, runs
# on this script's private display and bus (a window manager, the
# accessibility switch on, settings of its own, no speech server, no
# braille); each window of one table is opened and driven with the keys a
# user presses, and what Orca says after each step (its debug log's
# "SPEECH OUTPUT" lines) must hold every expected text and none of the
# forbidden ones. Nothing typed as a secret may appear anywhere in Orca's log.
# Usage (under with-display.sh): orca.sh BUNDLE_DIR BUILD_DIR [TABLE]
# The table (tests/data/orca/speech.txt) says how its columns read. With
# ZAN_ORCA_SHOW set, every step's speech is printed; with ZAN_ORCA_LOG set,
# Orca's whole log is copied there (ZAN_ORCA_LEVEL=ALL: all of it).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
zan_dialogs_setup "$1"
bundle=$1
launcher="$bundle/Contents/bin/zan-client-launcher"
table=${3:-$zan_data/orca/speech.txt}
[ -r "$table" ] || fail "no table at $table"
for tool in orca openbox xdotool gdbus unshare; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make deps installs it)"
done

# --- The desktop: a window manager and the accessibility switch ---------------

# Orca and the programs keep their settings and caches here, not in the
# account's own folders.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_CACHE_HOME="$work/cache" GSETTINGS_BACKEND=memory
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -w "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

openbox --sm-disable >"$work/openbox.out" 2>&1 &
cleanups+=("kill $!")
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for "the window manager" wm_running

# The bus launcher starts on this call; with the switch on, Qt exports its
# accessible objects and events.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' \
    >/dev/null || fail "the accessibility bus did not start"

# --- Orca -----------------------------------------------------------------------

# Speech goes nowhere but to the log: no speech server is tried, no braille.
# The debug log is line-buffered so that each utterance can be waited for.
prefs="$work/orca"
log="$work/orca-debug"
mkdir -p "$prefs"
cat >"$prefs/user-settings.conf" <<'JSON'
{
    "general": {"speechServerFactory": "", "enableSpeech": true, "enableBraille": false,
                "enableBrailleMonitor": false, "enableSound": false},
    "pronunciations": {},
    "keybindings": {},
    "profiles": {"default": {"profile": ["Default", "default"]}}
}
JSON
cat >"$prefs/orca-customizations.py" <<PY
import orca.debug
orca.debug.debugLevel = orca.debug.LEVEL_${ZAN_ORCA_LEVEL:-INFO}
orca.debug.debugFile = open("$log", "a", buffering=1)
PY
: >"$log"
[ -z "${ZAN_ORCA_LOG:-}" ] || cleanups+=("cp \"\$log\" \"\$ZAN_ORCA_LOG\"")

# The Orca release: a text of the table may be meant for some releases only.
orca_major=$(orca --version 2>/dev/null | grep -o '[0-9][0-9]*' | head -n1)
[ -n "$orca_major" ] || fail "orca --version names no release: $(orca --version 2>&1 | head -n 1)"

# In a process namespace of its own Orca meets no other Orca of this account
# (it would refuse to start, or end the other). An ordinary account gets one
# inside a user namespace that maps it to itself, so the buses still know it.
namespace=(unshare --pid --fork --mount-proc --kill-child)
[ "$(id -u)" = 0 ] || namespace=(unshare --map-current-user --pid --fork --mount-proc --kill-child)
# In a chroot (make test-on) the root is no mount point, and unshare cannot
# make its mounts private as it does by default. Where no mount is shared
# with another namespace (test-on's own private namespace), the new /proc
# stays inside without that step.
if ! "${namespace[@]}" true 2>"$work/unshare.out" &&
    ! grep -q ' shared:' /proc/self/mountinfo; then
    namespace=("${namespace[0]}" --propagation unchanged "${namespace[@]:1}")
fi
if ! "${namespace[@]}" true 2>"$work/unshare.out"; then
    # The one reason to skip: this system lets this account make no such
    # namespace (unprivileged user namespaces switched off), and without one
    # the account's own Orca could be met or ended.
    echo "SKIP: Orca needs a process namespace of its own, which this system does not let $(id -un) make: $(cat "$work/unshare.out")"
    exit 77
fi
# speech FROM: what Orca said from line FROM of its log on, one utterance a
# line: the text between the quotes of each "SPEECH OUTPUT: '...'" line,
# without the voice that follows it. An utterance that holds a line break
# goes on on the next lines, indented.
speech() {
    tail -n "+$1" "$log" | awk '
        function said(text) {
            sub(/\047 *(voice=[^ {]*)? *[{].*$/, "", text)
            sub(/\047 *$/, "", text)
            print text
        }
        /SPEECH OUTPUT: / { sub(/^.*SPEECH OUTPUT: \047/, ""); said($0); on = 1; next }
        on && /^                  / { sub(/^ +/, ""); said($0); next }
        { on = 0 }'
}

lines() { wc -l <"$log"; }

# start_orca: a new Orca ($orca), once it has said that it is on. Each window
# meets an Orca that has met no other: Orca 48 keeps a table cell's row and
# column for a minute under the address of the object that held them, and a
# cell of the next window given that address would be placed in the last
# window's row.
orca=
start_orca() {
    local from
    from=$(($(lines) + 1))
    "${namespace[@]}" orca -u "$prefs" >>"$work/orca.out" 2>&1 &
    orca=$!
    # Its end is this script's doing, not news (the shell still reaps it).
    disown "$orca"
    wait_for "Orca to start" orca_on "$from"
}

orca_on() {
    zan_ended "$orca" && fail "Orca ended: $(tail -n 20 "$work/orca.out")"
    speech "$1" | grep -qi 'screen reader on'
}

# stop_orca: ends Orca and its namespace at once (unshare passes no SIGTERM
# on, and what Orca would do on one is of no use here).
stop_orca() {
    [ -n "$orca" ] || return 0
    kill -KILL "$orca" 2>/dev/null || true
    wait_for "Orca (process $orca) to end" zan_ended "$orca"
    orca=
}
cleanups+=(stop_orca)

# --- The windows ----------------------------------------------------------------

# open_window NAME: starts the window the table calls NAME ($pid, $window).
open_window() {
    local list
    case $1 in
    node | nodegroup | session | shared | suspend)
        local option
        case $1 in
        node) option=-SelectNodeFile ;;
        nodegroup) option=-SelectNodeGroup ;;
        session) option=-SelectSession ;;
        shared) option=-SelectShared ;;
        suspend) option=-SelectSuspend ;;
        esac
        list="$work/$1 list.json"
        cp "$data/$1-list.json" "$list"
        start_dialog "$program" "$option" "$list" -url "http://help.example"
        ;;
    signin | proxy)
        # A credential file that offers a user name.
        list="$work/$1 credential"
        printf 'offered:old' >"$list"
        start_dialog "$program" "$([ "$1" = signin ] && echo -Auth || echo -ProxyAuth)" "$list"
        ;;
    message)
        list="$work/message"
        printf 'The session could not be started.' >"$list"
        start_dialog "$program" -Message "$list"
        ;;
    agreement)
        # Settings in which no agreement has been accepted yet: Open shows it.
        XDG_CONFIG_HOME="$work/config agreement" zan_start_launcher "$launcher" "$work/log"
        zan_bus_open zan://orca.example/desktop || fail "Open was refused"
        window=$(zan_wait_window --pid "$pid" --name '^License Agreement$') ||
            fail "no licence agreement appeared"
        ;;
    launcher)
        # The agreement accepted: Activate shows the main window.
        (accept_agreement "$bundle" "$work/config launcher")
        XDG_CONFIG_HOME="$work/config launcher" zan_start_launcher "$launcher" "$work/log"
        zan_bus_call Activate '{}' || fail "Activate was refused"
        window=$(zan_wait_window --pid "$pid") || fail "no main window appeared"
        ;;
    *) fail "the table names a window this script cannot open: $1" ;;
    esac
}

# close_window: ends the window's program, and waits until it is gone.
close_window() {
    [ -n "$pid" ] || return 0
    zan_kill_tree "$pid"
    wait_for "the program (process $pid) to end" zan_ended "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

# front_window: the window keys go to, as for a user: the program's active
# window (an alert in front of its dialog), else its dialog.
front_window() {
    local active
    active=$(xdotool getactivewindow 2>/dev/null) || active=
    if [ -n "$active" ] && [ "$(zan_window_pid "$active")" = "$pid" ]; then
        echo "$active"
    else
        echo "$window"
    fi
}

# --- Hearing one step -----------------------------------------------------------

# texts LIST: the texts of a table cell (";" between them) that this Orca is
# held to, one a line: "before N: TEXT" holds only for a release older than
# N, "from N: TEXT" only for N and later.
texts() {
    local text list
    IFS=';' read -ra list <<<"$1"
    for text in "${list[@]}"; do
        text=$(trim "$text")
        if [[ $text =~ ^(before|from)\ ([0-9]+):\ *(.*)$ ]]; then
            if [ "$orca_major" -lt "${BASH_REMATCH[2]}" ]; then
                [ "${BASH_REMATCH[1]}" = before ] || continue
            else
                [ "${BASH_REMATCH[1]}" = from ] || continue
            fi
            text=${BASH_REMATCH[3]}
        fi
        [ -z "$text" ] || echo "$text"
    done
}

# heard FROM EXPECTED: whether everything expected has been said since line
# FROM.
heard() {
    local said text
    said=$(speech "$1")
    while IFS= read -r text; do
        grep -qiF -- "$text" <<<"$said" || return 1
    done < <(texts "$2")
}

trim() {
    local s=$1
    s=${s#"${s%%[![:space:]]*}"}
    echo "${s%"${s##*[![:space:]]}"}"
}

# now_ms: the time in milliseconds (the shell's clock has microseconds, after
# the locale's decimal separator).
now_ms() {
    local now=${EPOCHREALTIME/[!0-9]/}
    echo $((now / 1000))
}

# settle [MILLISECONDS]: waits until Orca's log has not grown for that long
# (ZAN_ORCA_QUIET_MS, half a second, by default).
settle() {
    local quiet=${1:-${ZAN_ORCA_QUIET_MS:-500}} size last deadline=$((SECONDS + ${ZAN_WAIT_SECONDS:-120}))
    size=$(lines)
    last=$(now_ms)
    while [ $SECONDS -lt $deadline ]; do
        sleep 0.1
        if [ "$(lines)" != "$size" ]; then
            size=$(lines)
            last=$(now_ms)
        elif [ $(($(now_ms) - last)) -ge "$quiet" ]; then
            return 0
        fi
    done
    fail "Orca never fell quiet"
}

# --- The table ------------------------------------------------------------------

failures=0
steps=0
secrets=()
current=
started=$SECONDS
while IFS='|' read -r name keys expected forbidden || [ -n "$name" ]; do
    name=$(trim "$name")
    case $name in '' | '#'*) continue ;; esac
    keys=$(trim "$keys")
    expected=$(trim "${expected:-}")
    forbidden=$(trim "${forbidden:-}")
    if [ "$name" != "$current" ]; then
        close_window
        stop_orca
        start_orca
        settle
        current=$name
        [ "$keys" = open ] || fail "$name: the first step of a window must be 'open'"
    fi
    from=$(($(lines) + 1))
    step_start=$(now_ms)
    [ "$keys" = open ] || target=$(front_window)
    case $keys in
    open) open_window "$name" ;;
    type:*) zan_type "$target" "${keys#type:}" ;;
    secret:*)
        secrets+=("${keys#secret:}")
        zan_type "$target" "${keys#secret:}"
        ;;
    *)
        # Word splitting is wanted: one xdotool key name per word.
        # shellcheck disable=SC2086
        zan_keys "$target" $keys
        ;;
    esac
    steps=$((steps + 1))
    # Wait for what is expected (a slow machine only waits longer), then for
    # the rest of what this step makes Orca say.
    deadline=$((SECONDS + ${ZAN_ORCA_STEP_SECONDS:-20}))
    while [ $SECONDS -lt $deadline ] && ! heard "$from" "$expected"; do
        sleep 0.1
    done
    # A step that expects nothing may still be heard late: it waits longer.
    if [ -n "$expected" ]; then settle; else settle 1500; fi
    said=$(speech "$from")
    [ -z "${ZAN_ORCA_SHOW:-}" ] ||
        printf '%s | %s (%d ms):\n%s\n' "$name" "$keys" $(($(now_ms) - step_start)) "$(sed 's/^/    /' <<<"$said")"
    problem=
    while IFS= read -r text; do
        grep -qiF -- "$text" <<<"$said" || problem+=" missing '$text';"
    done < <(texts "$expected")
    while IFS= read -r text; do
        ! grep -qiF -- "$text" <<<"$said" || problem+=" forbidden '$text';"
    done < <(texts "$forbidden")
    if [ -n "$problem" ]; then
        failures=$((failures + 1))
        echo "FAIL: $name | $keys:$problem Orca said:"
        sed 's/^/    /' <<<"$said"
    fi
done <"$table"
close_window
stop_orca

# Nothing typed as a secret, anywhere in Orca's log.
for secret in "${secrets[@]}"; do
    if grep -qF -- "$secret" "$log"; then
        failures=$((failures + 1))
        echo "FAIL: Orca's log holds the secret '$secret':"
        grep -nF -- "$secret" "$log" | head -n 5
    fi
done

echo "orca: $steps steps in $((SECONDS - started)) s, $failures failed"
[ "$failures" = 0 ] || exit 1
echo "PASS: Orca says what each window shows"
