#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the banner at the top of the server sign-in panel: the "Zan" wordmark
# (a name, so nothing to translate) on a blue band. Run by hand when the design
# changes; the PNG is committed so that the build needs no image tools.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
convert -size 420x72 gradient:'#123a63-#1d7a8c' -rotate -90 -resize 420x72\! \
    -fill '#ffffff' -stroke none \
    -draw "roundrectangle 20,18 56,54 8,8" \
    -fill '#1d5f80' -draw "polygon 28,26 48,26 30,46 48,46 48,48 26,48 44,28 28,28" \
    -fill '#ffffff' -font "$font" -pointsize 34 -annotate +70+49 'Zan' \
    -depth 8 -strip -define png:exclude-chunks=date,time zan-header.png
