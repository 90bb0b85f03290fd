#!/usr/bin/env bash
# Regenerates the pictures the README shows, the animation and the icon, from the scripted games in
# docs/screenshots/. Needs a display; runs under Xvfb when there is none.
#
# usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scripts="$root/docs/screenshots"
images="$root/docs/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

capture() { # INPUT FRAMES SHOT...
    local input=$1 frames=$2
    shift 2
    local shots=()
    for shot in "$@"; do shots+=(--shot "$shot"); done
    (cd "$build" && ./spintunnel-capture --frames "$frames" --input "$input" "${shots[@]}")
}

mkdir -p "$images"
#          script                      frame  picture
capture "$scripts/tunnel.txt"     110 "110:$images/tunnel.png"
capture "$scripts/orbs.txt"       900 "900:$images/orbs.png"
capture "$scripts/untextured.txt" 900 "900:$images/untextured.png"

# The burst: a still in mid-flight, and the whole approach and burst as an animation.
frames=()
for frame in $(seq 150 2 210); do frames+=("$frame:$work/burst-$frame.png"); done
capture "$scripts/burst.txt" 210 "${frames[@]}"
cp "$work/burst-196.png" "$images/burst.png"
convert -delay 6 -loop 0 "$work"/burst-*.png -resize 50% -layers Optimize "$images/burst.gif"

# The icon: the heart of the burst frame, square.
convert "$images/burst.png" -crop 300x300+170+60 +repage -resize 256x256 "$root/data/spintunnel.png"

echo "wrote $(ls "$images" | tr '\n' ' ')and data/spintunnel.png"
