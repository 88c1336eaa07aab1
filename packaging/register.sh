#!/bin/sh
# SPDX-License-Identifier: MIT
# After a direct installation: makes the launcher the user's handler of zan:
# links and refreshes the desktop database of the prefix. Missing tools are
# reported, not fatal: the files are in place and a later login or package
# trigger picks them up. Usage: register.sh PREFIX APP_ID
set -u
prefix=$1
app_id=$2
applications="$prefix/share/applications"
status=0

if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$applications" || status=1
else
    echo "update-desktop-database not found: the desktop database of $applications was not refreshed" >&2
fi

if command -v xdg-mime >/dev/null 2>&1; then
    xdg-mime default "$app_id.desktop" x-scheme-handler/zan || status=1
else
    echo "xdg-mime not found: zan: links are not yet handled by $app_id" >&2
fi
exit $status
