#!/bin/sh
# SPDX-License-Identifier: MIT
# Removes what the installation put under PREFIX: the bundle, the link, the
# desktop entry, the D-Bus service file, the icon, the metainfo and the
# package documents; then drops the zan: handler from the user's
# default-application list and refreshes the desktop database.
# Files of others in the same folders are left alone.
# Usage: uninstall.sh PREFIX [APP_ID]
set -eu
prefix=${1:?usage: uninstall.sh PREFIX [APP_ID]}
app_id=${2:-com.zan.ClientLauncher}
bundle="$prefix/lib/zan-client-launcher"

remove() {
    if [ -e "$1" ] || [ -L "$1" ]; then
        rm -f -- "$1"
        echo "-- Removed: $1"
    fi
}

# The bundle: only the files it is made of, then its folders when empty.
for file in Contents/Info.plist \
            Contents/bin/zan-client-launcher \
            Contents/Applications/zanlauncher \
            Contents/Applications/ZANSelectNode \
            "Contents/Resources/License Agreement.rtf"; do
    remove "$bundle/$file"
done
for dir in Contents/bin Contents/Applications Contents/Resources Contents ""; do
    rmdir -- "$bundle/$dir" 2>/dev/null || true
done

remove "$prefix/bin/zan-client-launcher"
remove "$prefix/share/applications/$app_id.desktop"
remove "$prefix/share/dbus-1/services/$app_id.service"
remove "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg"
remove "$prefix/share/metainfo/$app_id.metainfo.xml"
remove "$prefix/share/doc/zan-client-launcher/copyright"
remove "$prefix/share/doc/zan-client-launcher/changelog.gz"
remove "$prefix/share/man/man1/zan-client-launcher.1.gz"
rmdir -- "$prefix/share/doc/zan-client-launcher" 2>/dev/null || true

# The user's choice of handler names a desktop entry that is gone now.
mimeapps="${XDG_CONFIG_HOME:-$HOME/.config}/mimeapps.list"
if [ -f "$mimeapps" ] && grep -q "^x-scheme-handler/zan=$app_id.desktop" "$mimeapps"; then
    tmp=$(mktemp "$mimeapps.XXXXXX")
    grep -v "^x-scheme-handler/zan=$app_id.desktop;*\$" "$mimeapps" >"$tmp" || true
    # Written over, not renamed: the list keeps its owner and mode.
    cat -- "$tmp" >"$mimeapps"
    rm -f -- "$tmp"
    echo "-- Unregistered zan: links in $mimeapps"
fi
if [ -d "$prefix/share/applications" ] && command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$prefix/share/applications" || true
fi
