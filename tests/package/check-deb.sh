#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package of the committed tree, built twice as two people would
# who want to check it: each in a clone of its own (one full, one shallow) in
# folders of other names and depths, with other time zones, locales and
# umasks, the second later (a day later where faketime is installed). Both
# builds give the same bytes; where they do not, the files that differ are
# named (and diffoscope says why, when installed). Then the package itself:
# its times are the commit's, it holds what an installation of BUILD to /usr
# holds, declares its libraries and Qt's plugins, lintian finds no error or
# warning, and its -dbgsym holds the debug symbols of each of its programs
# under the program's build ID.
# Takes two package builds (several minutes); not part of make test.
# Usage: check-deb.sh BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
source "$here/../e2e/lib.sh"
top=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
zan_work zan-check-deb
failures=0
commit=$(git -C "$top" rev-parse HEAD)
commit_time=$(git -C "$top" log -1 --format=%ct "$commit")
jobs=${JOBS:-2}

# clone SOURCE FOLDER OPTIONS...: the commit, checked out in FOLDER.
clone() {
    local source=$1 folder=$2
    shift 2
    mkdir -p "$(dirname "$folder")"
    git -c advice.detachedHead=false clone -q --no-checkout "$@" "$source" "$folder"
    git -C "$folder" fetch -q origin "$commit"
    git -c advice.detachedHead=false -C "$folder" checkout -q --detach "$commit"
}

# make_deb FOLDER [COMMAND...]: make deb in FOLDER, in the caller's time zone,
# locale and umask and without a SOURCE_DATE_EPOCH of the caller's, run
# through COMMAND (faketime) if given; the package goes to FOLDER/out/deb.
make_deb() {
    local folder=$1
    shift
    "$@" env -u SOURCE_DATE_EPOCH make -C "$folder" deb JOBS="$jobs" BUILD=out \
        >"$folder.log" 2>&1 || {
        tail -n 40 "$folder.log" >&2
        return 1
    }
}

start=$SECONDS
one="$work/a/zan"
(
    umask 022
    export TZ=UTC
    zan_locale C.UTF-8
    export LC_ALL=C.UTF-8
    clone "$top" "$one" --no-local
    make_deb "$one"
) || fail "the first package build failed"
echo "first build: $((SECONDS - start)) s"

later=()
command -v faketime >/dev/null && later=(faketime -f +1d)
start=$SECONDS
two="$work/a much longer folder/at a greater depth/zan-client-launcher"
(
    umask 002
    export TZ=Asia/Tokyo
    zan_locale de_DE.UTF-8
    # A shallow clone of the first clone.
    clone "file://$one" "$two" --depth 1
    make_deb "$two" env LC_ALL="$LANG" "${later[@]}"
) || fail "the second package build failed"
echo "second build: $((SECONDS - start)) s${later:+ (under ${later[*]})}"

for file in "$one"/out/deb/*.deb; do
    sha256sum "$file" | sed "s|$one/out/deb/||"
done

# names_differing A B: the members of two packages that differ, control and
# data, each named; diffoscope's report in $work/diffoscope.log.
names_differing() {
    local a=$1 b=$2 side
    for side in a b; do
        mkdir -p "$work/unpacked-$side"
        dpkg-deb -R "${!side}" "$work/unpacked-$side"
    done
    diff -rq --no-dereference "$work/unpacked-a" "$work/unpacked-b" || true
    if command -v diffoscope >/dev/null; then
        timeout "${ZAN_DIFFOSCOPE_SECONDS:-900}" \
            diffoscope --text "$work/diffoscope.log" "$a" "$b" >/dev/null 2>&1 || true
        echo "diffoscope's report (its head):"
        head -n 80 "$work/diffoscope.log"
    fi
    rm -rf "$work/unpacked-a" "$work/unpacked-b"
}

same_package() {
    local a=$1 b=$2
    [ -f "$b" ] || { echo "missing in the second build: $(basename "$a")"; return 1; }
    cmp "$a" "$b" && return 0
    names_differing "$a" "$b"
    return 1
}

for deb in "$one"/out/deb/*.deb; do
    name=$(basename "$deb")
    check "$name: both builds give the same bytes" same_package "$deb" "$two/out/deb/$name"
    check "$name: both builds list the same files" \
        diff -u <(dpkg-deb -c "$deb") <(dpkg-deb -c "$two/out/deb/$name")
done

deb=$(ls "$one"/out/deb/zan-client-launcher_*.deb)
# Missing, it fails the debug symbols' check below.
dbgsym=$(ls "$one"/out/deb/zan-client-launcher-dbgsym_*.deb 2>/dev/null || true)

# Times: every file's is at most the commit's, and the files made by the
# build (the programs) carry exactly it.
newest() { dpkg-deb --fsys-tarfile "$1" | TZ=UTC tar -t --full-time -v | awk '{print $4 " " $5}' |
    sort | tail -n 1; }
check "the package's newest time is the commit's" \
    test "$(newest "$deb")" = "$(TZ=UTC date -d "@$commit_time" '+%Y-%m-%d %H:%M:%S')"

dpkg -x "$deb" "$work/deb"
mkdir "$work/dbgsym"
[ -z "$dbgsym" ] || dpkg -x "$dbgsym" "$work/dbgsym"
DESTDIR="$work/install" cmake --install "$build" --prefix /usr >/dev/null
listing() { (cd "$1" && find . -mindepth 1 -printf '%y %m %p -> %l\n' | sort); }
check "the package holds the installed files, folders and links" \
    diff -u <(listing "$work/install") <(listing "$work/deb")

# The programs are built with Debian's flags here and with the build's there:
# the rest has the same bytes.
same_contents() {
    local status=0 file
    while IFS= read -r -d '' file; do
        head -c 4 "$work/install/$file" | grep -q $'\x7fELF' && continue
        cmp -s "$work/install/$file" "$work/deb/$file" || {
            echo "differs: $file"
            status=1
        }
    done < <(cd "$work/install" && find . -type f -print0)
    return $status
}
check "the files other than programs have the installed contents" same_contents

check "the package's desktop entry names /usr/bin/zan-client-launcher" \
    grep -qx 'Exec=/usr/bin/zan-client-launcher --open-url %u' \
    "$work/deb/usr/share/applications/com.zan.ClientLauncher.desktop"
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Depends: $depends"
echo "Recommends: $recommends"
check "the package declares its libraries" grep -q 'libqt6widgets6' <<<"$depends"
check "the package declares Qt's display plugins and translations" \
    grep -q 'qt6-qpa-plugins.*qt6-translations-l10n\|qt6-translations-l10n.*qt6-qpa-plugins' \
    <<<"$depends"
check "the package recommends Qt's Wayland plugin and the fonts" \
    grep -q 'qt6-wayland.*fonts-liberation' <<<"$recommends"

# build_ids ROOT: "PATH BUILD-ID" of each ELF file under ROOT.
build_ids() {
    local file
    while IFS= read -r -d '' file; do
        head -c 4 "$file" | grep -q $'\x7fELF' || continue
        printf '%s %s\n' "${file#"$1"}" \
            "$(readelf -n "$file" 2>/dev/null | sed -n 's/^ *Build ID: *//p')"
    done < <(find "$1" -type f -print0)
}
# Each program's symbols, where gdb looks for them: .build-id/xx/rest.debug,
# which carries the same build ID and the program's functions.
symbols_match() {
    local status=0 path id debug
    while read -r path id; do
        debug="$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
        if [ -z "$id" ]; then
            echo "no build ID: $path"
            status=1
        elif [ ! -f "$debug" ]; then
            echo "no debug symbols for $path ($id)"
            status=1
        elif [ "$(readelf -n "$debug" 2>/dev/null | sed -n 's/^ *Build ID: *//p')" != "$id" ]; then
            echo "another build ID in $debug"
            status=1
        elif ! readelf -S "$debug" 2>/dev/null | grep -q '\.debug_info'; then
            echo "no debug information in $debug"
            status=1
        else
            echo "$path: $id"
        fi
    done < <(build_ids "$work/deb")
    return $status
}
check "the -dbgsym holds every program's debug symbols under its build ID" symbols_match
check "the package holds three programs" test "$(build_ids "$work/deb" | wc -l)" = 3

if command -v lintian >/dev/null; then
    lintian --allow-root --display-info "$deb" ${dbgsym:+"$dbgsym"} >"$work/lintian.log" 2>&1 || true
    cat "$work/lintian.log"
    check "lintian reports no error or warning" bash -c "! grep -q '^[EW]:' '$work/lintian.log'"
else
    echo "lintian is not installed: not checked"
fi

echo "$failures failure(s)"
[ $failures = 0 ]
