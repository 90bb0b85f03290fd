#!/usr/bin/env bash
# Left alone, the game soon sends orbs of both kinds down the tunnel: red ones and green ones
# show up in the view above the ship. The tunnel walls are grey steel, so strongly red or
# strongly green pixels there can only be orbs.
#
# usage: orbs_visible.sh GAME_DIR

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 180
cd "${1:?usage: $0 GAME_DIR}" || rr_fail "no game folder $1"
[[ -x spintunnel && -f texture1.rgb && -f texture2.rgb ]] || rr_fail "spintunnel or its textures missing in $PWD"

# The upper two thirds of the 640 x 480 view: the ship, with its red wings and green trim, sits
# below that and never moves while the world does not spin.
area=640x320+0+0
red='r > 0.3 && r > 2 * g && r > 2 * b'
green='g > 0.15 && g > 1.6 * r && g > 1.6 * b'
want_red=0.01
want_green=0.003

rr_start_display
rr_start_game ./spintunnel
rr_wait_window

# The first orb is made about 120 frames in, far away, and more follow ever more often, so keep
# looking until both kinds have been seen. Each kind drifts past in about 100 frames, which is
# why the best share seen so far counts rather than one picture with both.
rr_deadline 150
best_red=0
best_green=0
pictures=0
while :; do
    picture=$RR_WORK/view.png
    rr_screenshot "$picture"
    pictures=$((pictures + 1))
    r=$(rr_share_where "$picture" "$red" "$area")
    g=$(rr_share_where "$picture" "$green" "$area")
    if rr_num_gt "$r" "$best_red"; then
        best_red=$r
        cp "$picture" "$RR_WORK/best-red.png"
    fi
    if rr_num_gt "$g" "$best_green"; then
        best_green=$g
        cp "$picture" "$RR_WORK/best-green.png"
    fi
    if rr_num_gt "$best_red" "$want_red" && rr_num_gt "$best_green" "$want_green"; then
        break
    fi
    rr_game_running || rr_fail "the game exited while waiting for orbs"
    ((SECONDS < RR_DEADLINE)) ||
        rr_fail "after $RR_SPAN s and $pictures screenshots the best red share was $best_red (want > $want_red)" \
            "and the best green share $best_green (want > $want_green)"
done
rr_log "orbs seen after $pictures screenshots: red share $best_red, green share $best_green"
rr_game_running || rr_fail "the game is no longer running"
rr_pass
