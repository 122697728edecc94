#!/bin/sh
# Contact sheet of the built skin icons, for looking at them as a user would:
# rows normal / hot / selected / disabled at 1x, then the same at 2x, on the
# window background. Usage: scripts/skin_sheet.sh [build-dir] [out.png]
set -eu
build=${1:-build}
out=${2:-/tmp/skin_sheet.png}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
icons=$(cd "$(dirname "$0")/../skin/icons" && find . -name '*.svg' | sed 's|^\./||; s|\.svg$||' | sort)
row=0
for skin in default default2k; do
    for state in "" _hot _selected _disabled; do
        files=""
        for icon in $icons; do
            files="$files $build/skin/$skin/ui/$icon$state.png"
        done
        # shellcheck disable=SC2086
        montage $files -background '#252526' -geometry +4+4 -tile x1 "$tmp/row$row.png"
        row=$((row + 1))
    done
done
convert "$tmp"/row*.png -background '#252526' -append "$out"
echo "$out"
