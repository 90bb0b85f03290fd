#!/usr/bin/env bash
# A long game of everything the player does, in the real capture tool, which asks GL for errors
# after every frame: spins both ways by key, arrow and mouse, steady fire by key and button,
# texturing switched off and on again several times, and bursts. Not one GL error may come up.
#
# usage: gl_errors.sh CAPTURE_TOOL   (run from the folder with the textures)

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 140
capture=${1:?usage: $0 CAPTURE_TOOL}
[[ -x $capture ]] || rr_fail "no capture tool at $capture"
[[ -r texture1.rgb && -r texture2.rgb ]] || rr_fail "no textures in $PWD"

readonly frames=1500
game=$RR_WORK/game.txt
# The opening is fixed so that the first orb (spawned in frame 118) is certainly hit: the spins
# cancel out, the shots before frame 100 fly at spinAngle 0, far from the orb, and the first
# mouse motion turns the world to 86 degrees for the shot fired before frame 182, which meets
# the orb in frame 190. From frame 200 on, every block of 100 frames plays a round of everything,
# its spins and mouse sweeps differing from block to block so the shots fan out around the tunnel.
awk -v frames=$frames 'BEGIN {
    print "1 key z"; print "21 key x"; print "41 key c"
    for (f = 5; f < 100; f += 10) print f, "key space"
    print "30 key t"; print "60 key t"
    print "100 motion -86 240"
    print "182 key space"
    for (b = 200; b + 100 <= frames; b += 100) {
        n = (b - 200) / 100
        print b, (n % 2 ? "key x" : "key z")
        for (f = b + 3; f < b + 100; f += 6) print f, "key space"
        print b + 12, "special " (n % 2 ? "left" : "right")
        print b + 20, "special down"
        for (i = 0; i < 10; i++) print b + 25 + i, "motion", (n * 37 + i * 23) % 640, 240
        print b + 40, "mouse left down", (n * 53) % 640, 300
        print b + 41, "mouse left up", (n * 53) % 640, 300
        print b + 50, "mouse right down 10 10"; print b + 51, "mouse right up 10 10"
        print b + 55, "mouse middle down 20 20"; print b + 56, "mouse middle up 20 20"
        print b + 60, "key " (n % 2 ? "z" : "x")
        print b + 80, "key c"
        if (n % 3 == 1) print b + 70, "key t"
        if (n % 3 == 2) print b + 30, "key t"
    }
}' >"$game"

rel_start_display
rel_start "$capture" --frames $frames --input "$game" --stats --check-gl-errors
rr_wait_exit 120
errors=$(grep -c 'frame [0-9]*: GL error' "$RR_WORK/game.log")
if [[ $RR_EXIT_STATUS != 0 || $errors != 0 ]]; then
    grep 'GL error' "$RR_WORK/game.log" | head -n 20 >&2
    rr_fail "the game ended with $(rel_exit_kind "$RR_EXIT_STATUS") and $errors GL error lines"
fi
grep -qx "frames $frames" "$RR_WORK/game.log" || rr_fail "the tool did not report $frames frames drawn"
rr_log "$frames frames without a GL error ($(grep '^fps' "$RR_WORK/game.log"))"
rr_pass
