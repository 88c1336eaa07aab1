#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the banner at the top of the server sign-in panel: the "Zan" wordmark
# (a name, so nothing to translate) on a blue band. Run by hand when the design
# changes; the PNG is committed so that the build needs no image tools.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
# One picture per scale: Qt takes zan-header@2x.png on a screen of twice the
# resolution, so the banner stays sharp there.
draw() {
    local s=$1 out=$2
    convert -size $((420 * s))x$((72 * s)) gradient:'#123a63-#1d7a8c' -rotate -90 \
        -resize $((420 * s))x$((72 * s))\! \
        -fill '#ffffff' -stroke none \
        -draw "roundrectangle $((20 * s)),$((18 * s)) $((56 * s)),$((54 * s)) $((8 * s)),$((8 * s))" \
        -fill '#1d5f80' \
        -draw "polygon $(for p in 28,26 48,26 30,46 48,46 48,48 26,48 44,28 28,28; do
            echo -n "$((${p%,*} * s)),$((${p#*,} * s)) "; done)" \
        -fill '#ffffff' -font "$font" -pointsize $((34 * s)) -annotate +$((70 * s))+$((49 * s)) 'Zan' \
        -depth 8 -strip -define png:exclude-chunks=date,time "$out"
}
draw 1 zan-header.png
draw 2 zan-header@2x.png
