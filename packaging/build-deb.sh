#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and its debug symbols with dpkg-buildpackage, in a
# fresh copy of the source tree (the files git knows of, as they are in the
# working tree, without build folders), and leaves in OUTDIR:
#   zan-client-launcher_VERSION_ARCH.deb          the package
#   zan-client-launcher-dbgsym_VERSION_ARCH.deb   its debug symbols
#   zan-client-launcher_VERSION_ARCH.buildinfo    what it was built with
# Every time in the package is SOURCE_DATE_EPOCH, the changelog's date when it
# is unset or empty (make deb sets it to the commit's time).
# Usage: build-deb.sh OUTDIR [JOBS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [JOBS]" >&2; exit 2; }
mkdir -p "$1"
out=$(cd "$1" && pwd)
jobs=${2:-$(nproc)}
[ -n "${SOURCE_DATE_EPOCH:-}" ] || unset SOURCE_DATE_EPOCH

name=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Source)
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
# dpkg-buildflags map the build folder away only when its path holds nothing
# that would need quoting (a space, say); elsewhere the build goes to a
# folder of its own in /var/tmp.
scratch="$out/src"
rm -rf "$scratch"
case $scratch in
*[!-+:.0-9a-zA-Z~/_]*) scratch=$(mktemp -d /var/tmp/zan-deb.XXXXXX) ;;
esac
src="$scratch/$name-$version"
mkdir -p "$src"

# OUTDIR's own files stay out when it lies inside the tree.
relative_out=${out#"$top"/}
outside=()
[ "$relative_out" = "$out" ] || outside=(":(exclude)$relative_out")
if git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Tracked and new files, without what .gitignore leaves out (the build
    # folders); a file deleted but not yet committed stays away.
    (cd "$top" && git ls-files -z --cached --others --exclude-standard -- . "${outside[@]}" |
        while IFS= read -r -d '' file; do
            [ -e "$file" ] || [ -L "$file" ] && printf '%s\0' "$file"
        done | tar --null --no-recursion -T - -cf -) | tar -C "$src" -xf -
    if [ -n "$(git -C "$top" status --porcelain -- . "${outside[@]}")" ]; then
        echo "Note: the tree has uncommitted changes; the package holds them, so it" \
            "is not the package of commit $(git -C "$top" rev-parse --short HEAD)." >&2
    fi
else
    # An unpacked source archive: everything but the build folders.
    tar -C "$top" --exclude=./build --exclude='./build-*' --exclude="./$relative_out" \
        --exclude='./obj-*' -cf - . | tar -C "$src" -xf -
fi

echo "Building $name $version${SOURCE_DATE_EPOCH:+ (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)} in $src"
if ! (cd "$src" && dpkg-buildpackage -b -us -uc -J"$jobs") >"$scratch/build.log" 2>&1; then
    tail -n 40 "$scratch/build.log" >&2
    echo "dpkg-buildpackage failed; its log is $scratch/build.log" >&2
    exit 1
fi
# The debug symbols' package is a .deb on Debian, a .ddeb elsewhere, and
# none with DEB_BUILD_OPTIONS=noautodbgsym.
shopt -s nullglob
rm -f "$out/${name}"_*.deb "$out/${name}"-dbgsym_*.*deb "$out/${name}"_*.buildinfo
package=("$scratch/${name}"_*.deb)
[ ${#package[@]} = 1 ] || { echo "dpkg-buildpackage left no package in $scratch" >&2; exit 1; }
mv "${package[@]}" "$scratch/${name}"-dbgsym_*.*deb "$scratch/${name}"_*.buildinfo "$out"/
rm -rf "$scratch"
ls "$out/${name}"_*.deb "$out/${name}"-dbgsym_*.*deb
