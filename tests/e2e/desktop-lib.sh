# SPDX-License-Identifier: MIT
# Shell helpers for playing a browser and a user on a private display:
# a temporary installation in private XDG folders, xdg-open, and finding,
# photographing and answering windows with xdotool. Sourced by demo.sh and
# the packaging tests.

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

# zan_visible_windows CLASS: ids of the visible windows of a program.
zan_visible_windows() {
    xdotool search --onlyvisible --classname "$1" 2>/dev/null || true
}

# zan_wait_window CLASS [SECONDS]: waits for a visible window of the program
# and prints its id; fails after SECONDS (default 30). Window ids are reused
# once a program has ended: wait for the last window to go first.
zan_wait_window() {
    local class=$1 seconds=${2:-30}
    local deadline=$((SECONDS + seconds)) id
    while [ $SECONDS -lt $deadline ]; do
        for id in $(zan_visible_windows "$class"); do
            # Let it draw itself before anyone looks or types.
            sleep 0.7
            echo "$id"
            return 0
        done
        sleep 0.2
    done
    echo "No window of $class appeared within ${seconds}s" >&2
    return 1
}

# zan_window_pid ID: the process that shows the window.
zan_window_pid() {
    xdotool getwindowpid "$1" 2>/dev/null || echo 0
}

# zan_wait_gone ID PID [SECONDS]: waits until process PID no longer shows
# window ID. Take PID before answering the window: the next program's window
# may get the same id as soon as this one has gone, so the window counts as
# gone too when another process owns that id now.
zan_wait_gone() {
    local id=$1 pid=$2 seconds=${3:-30}
    local deadline=$((SECONDS + seconds)) owner
    while [ $SECONDS -lt $deadline ]; do
        [ "$pid" != 0 ] && ! kill -0 "$pid" 2>/dev/null && return 0
        xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || return 0
        owner=$(xdotool getwindowpid "$id" 2>/dev/null) || return 0
        [ "$owner" = "$pid" ] || return 0
        sleep 0.2
    done
    echo "Window $id is still shown after ${seconds}s" >&2
    return 1
}

# zan_shot ID FILE: a picture of the window alone.
zan_shot() {
    import -window "$1" "$2" 2>/dev/null || import -window root "$2"
}

# zan_focus ID: gives the window the keyboard and waits until it has it
# (a busy machine may take a moment; keys sent before would go elsewhere).
zan_focus() {
    local id=$1 attempt
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
        sleep 0.3
    done
    echo "Window $id does not take the keyboard" >&2
    return 1
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
