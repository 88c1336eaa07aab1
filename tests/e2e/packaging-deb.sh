#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package holds what the installation installs: built with CPack
# into a scratch folder, unpacked with dpkg -x, compared with an installation
# to /usr staged under DESTDIR (names, kinds, link targets, modes; contents
# too, except the programs, which the package strips). lintian finds no error.
# Usage: packaging-deb.sh BUNDLE BUILD
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$(cd "$2" && pwd)
zan_work zan-e2e-deb
failures=0

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack could not build the package"
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

dpkg -x "$deb" "$work/deb"
DESTDIR="$work/install" cmake --install "$build" --prefix /usr >/dev/null

listing() { (cd "$1" && find . -mindepth 1 -printf '%y %m %p -> %l\n' | sort); }
check "the package holds the installed files, folders and links" \
    diff -u <(listing "$work/install") <(listing "$work/deb")

same_contents() {
    local status=0 file
    while IFS= read -r -d '' file; do
        if head -c 4 "$work/install/$file" | grep -q $'\x7fELF'; then
            # Stripped in the package: the same program all the same.
            strip -o "$work/stripped" "$work/install/$file"
            cmp -s "$work/stripped" "$work/deb/$file" || { echo "differs: $file"; status=1; }
        else
            cmp -s "$work/install/$file" "$work/deb/$file" || { echo "differs: $file"; status=1; }
        fi
    done < <(cd "$work/install" && find . -type f -print0)
    return $status
}
check "the files have the installed contents" same_contents

check "the package's desktop entry names /usr/bin/zan-client-launcher" \
    grep -qx 'Exec=/usr/bin/zan-client-launcher --open-url %u' \
    "$work/deb/usr/share/applications/com.zan.ClientLauncher.desktop"
check "the package declares its libraries" \
    bash -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
check "the package recommends Qt's Wayland plugin" \
    bash -c "dpkg-deb -f '$deb' Recommends | grep -qw qt6-wayland"
check "the package declares Qt's translations" \
    bash -c "dpkg-deb -f '$deb' Depends | grep -q qt6-translations-l10n"

if command -v lintian >/dev/null; then
    lintian --allow-root "$deb" >"$work/lintian.log" 2>&1 || true
    cat "$work/lintian.log"
    check "lintian reports no error" bash -c "! grep -q '^E:' '$work/lintian.log'"
else
    echo "lintian is not installed: not checked"
fi

echo "$failures failure(s)"
[ $failures = 0 ]
