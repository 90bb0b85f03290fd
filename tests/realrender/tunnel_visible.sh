#!/usr/bin/env bash
# The real game opens its 640 x 480 window at the top-left corner, titled with the command it
# was started as, and keeps drawing the lit tunnel into it frame after frame.
#
# usage: tunnel_visible.sh GAME_DIR   (the folder holding spintunnel and its two texture files)

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 120
cd "${1:?usage: $0 GAME_DIR}" || rr_fail "no game folder $1"
[[ -x spintunnel && -f texture1.rgb && -f texture2.rgb ]] || rr_fail "spintunnel or its textures missing in $PWD"

rr_start_display
rr_start_game ./spintunnel
rr_wait_window

geometry=$(xwininfo -id "$RR_WID")
read -r x y w h < <(awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }' <<<"$geometry")
[[ "$x $y $w $h" == "0 0 640 480" ]] ||
    rr_fail "window at ($x, $y) size ${w}x$h, expected 640x480 at (0, 0)"

# The walls fill nearly all of the view; only the far end of the tunnel stays black. Before
# the first frame the window is black, so poll until the picture shows up.
shot=$RR_WORK/tunnel.png
share=0
rr_deadline 60
while :; do
    rr_screenshot "$shot"
    share=$(rr_nonblack_share "$shot")
    rr_num_gt "$share" 0.30 && break
    rr_game_running || rr_fail "the game exited before drawing the tunnel"
    ((SECONDS < RR_DEADLINE)) || rr_fail "non-black share of the window stayed at $share (want > 0.30) for $RR_SPAN s"
    sleep 0.2
done
rr_log "non-black share $share"

# Lit, textured walls are far from one flat colour.
spread=$(convert "$shot" -colorspace Gray -format '%[fx:standard_deviation]' info:)
rr_num_gt "$spread" 0.05 || rr_fail "the picture is nearly uniform (grey spread $spread), not a lit tunnel"

# The tunnel streams towards the viewer, so every frame differs from the one before: a few
# changes prove the frame loop keeps running rather than having drawn once.
rr_wait_frames 3
rr_game_running || rr_fail "the game is no longer running"
rr_pass
