# SPDX-License-Identifier: MIT
# Shared by the launcher's end-to-end scripts (sourced, not run).

# wait_for DESCRIPTION COMMAND...: retries the command until it succeeds, for
# up to 60 s; a slow machine only makes the test slower.
wait_for() {
    local what=$1; shift
    local i
    for i in $(seq ${ZAN_WAIT_TENTHS:-600}); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    echo "FAIL: timed out waiting for $what" >&2
    return 1
}

# make_bundle SOURCE_BUNDLE DEST: a bundle of the launcher alone, for a fake
# console launcher to be put in.
make_bundle() {
    mkdir -p "$2/Contents/bin" "$2/Contents/Applications"
    cp "$1/Contents/bin/zan-client-launcher" "$2/Contents/bin/"
    cp "$1/Contents/Info.plist" "$2/Contents/"
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# use_work_bundle SOURCE_BUNDLE: sets $work, a private folder removed on exit
# (its log shown first when KEEP is set), and $bundle, a launcher-only bundle
# in it whose path holds spaces. A launcher whose pid the script keeps in
# $launcher_pid is ended on exit too.
use_work_bundle() {
    work=$(mktemp -d)
    launcher_pid=
    trap cleanup_work_bundle EXIT
    bundle="$work/Zan Client Launcher"
    make_bundle "$1" "$bundle"
}

cleanup_work_bundle() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
    [ -n "${KEEP:-}" ] && cat "$work/log" >&2
    rm -rf "$work"
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
        "$version" "$build" "$version" >"$2/zan/com.zan.ClientLauncher.ini"
}
