#!/usr/bin/env bash
# A shot aimed at the first orb hits it, and the orb bursts in exactly the frame the rules say: its
# wedges part by 0.5 in the frame the hit is found, the radius grows by half each frame, it is drawn
# for 14 frames and then never again. The same shot aimed 7.6 degrees off flies past.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 300 "$@"

readonly FIRE_FRAME=182 # late enough that the orb is near and large when the shot reaches it
readonly HIT_AIM=86     # spinAngle at firing
readonly MISS_AIM=94

# shot_angle AIM: the shot's polar angle about the tunnel axis, normalised into [0, 360).
shot_angle() { awk -v a="$1" 'BEGIN { s = -a - 90; while (s < 0) s += 360; print s % 360 }'; }
# off_by AIM: degrees between the first orb and a shot fired at spinAngle AIM.
off_by() {
    awk -v s="$(shot_angle "$1")" -v x=$ORB_X -v y=$ORB_Y 'BEGIN {
        e = atan2(y, x) * 180 / atan2(0, -1); if (e < 0) e += 360
        d = s - e; if (d < 0) d = -d; if (d > 180) d = 360 - d; print d }'
}

# The hit frame from the rules: a shot fired before frame F starts at depth -scrollZ(F - 1) and
# moves 0.6 further in each frame from F on; it is found by the orb, which is drawn from its spawn
# frame on, in the first frame where the two depths are less than 2 apart. A shot lives 50 frames.
HIT_FRAME=$(awk -v fire=$FIRE_FRAME -v orb_z="$ORB_Z" -v spawn=$ORB_SPAWN_FRAME 'BEGIN {
    start_z = -((fire - 1) * 0.2 - 24)
    for (k = 1; k <= 50; k++) {
        frame = fire + k - 1; depth = start_z - 0.6 * k
        if (frame >= spawn && depth > orb_z - 2 && depth < orb_z + 2) { print frame; exit }
    }
    print "none" }')
readonly HIT_FRAME
readonly GONE_FRAME=$((HIT_FRAME + 14))
echo "shot fired before frame $FIRE_FRAME; the rules put the hit in frame $HIT_FRAME"
check "the rules give a hit in the shot's life" [ "$HIT_FRAME" != none ]
check "the hit aim is inside the 7 degree window" holds "$(off_by $HIT_AIM) < 7"
check "the miss aim is outside it" holds "$(off_by $MISS_AIM) > 7"

# play NAME AIM: fires once at spinAngle AIM (the first mouse event turns the world by minus its x)
# and turns straight back, so the pictures show the world unturned. Texturing is off: it keeps the
# trace small and changes nothing of the course.
play() {
    local name=$1 aim=$2
    printf '1 key t\n%d motion %d 0\n%d key space\n%d motion 0 0\n' \
        $FIRE_FRAME $((-aim)) $FIRE_FRAME $FIRE_FRAME >"$WORK/$name.txt"
    run_capture_traced "$name" --frames $GONE_FRAME --input "$WORK/$name.txt" \
        --shot "$((HIT_FRAME - 1)):$WORK/$name-before.png" --shot "$HIT_FRAME:$WORK/$name-hit.png" \
        --shot "$GONE_FRAME:$WORK/$name-gone.png"
    check "$name: the run ends normally" exited_with 0
    green_orb_bursts "$WORK/$name.trace" >"$WORK/$name.bursts"
}

# matches_bursts FILE EXPECTED: the "FRAME RADIUS" lines agree frame for frame, radii to 1e-5.
matches_bursts() {
    awk 'NR == FNR { want[FNR] = $0; n = FNR; next }
         { split(want[FNR], w, " ")
           if (FNR > n || $1 != w[1] || ($2 - w[2]) ^ 2 > (1e-5 * (1 + w[2])) ^ 2) {
               print "  line " FNR ": drawn " $0 ", expected " want[FNR] > "/dev/stderr"; bad = 1 } }
         END { if (FNR != n) { print "  " FNR " lines, expected " n > "/dev/stderr"; bad = 1 }
               exit bad }' "$2" "$1"
}

# The orb's first wedge is moved out by the burst radius: 0 while untouched, 0.5 in the frame of
# the hit, then half as much again every frame; past 100 (the 14th frame after) nothing is drawn.
# It is the only green orb in these frames: the next one comes in frame 245.
awk -v spawn=$ORB_SPAWN_FRAME -v hit="$HIT_FRAME" -v last=$GONE_FRAME 'BEGIN {
    for (f = spawn; f <= last; f++) {
        r = f < hit ? 0 : 0.5 * 1.5 ^ (f - hit)
        if (r <= 100) printf "%d %.6g\n", f, r } }' >"$WORK/hit.expected"
awk -v spawn=$ORB_SPAWN_FRAME -v last=$GONE_FRAME 'BEGIN {
    for (f = spawn; f <= last; f++) printf "%d 0\n", f }' >"$WORK/miss.expected"

play hit $HIT_AIM
check "hit: from its spawn on the orb is drawn whole, then bursts in frame $HIT_FRAME for 14 frames" \
    matches_bursts "$WORK/hit.bursts" "$WORK/hit.expected"
play miss $MISS_AIM
check "miss: the orb stays whole in every frame" \
    matches_bursts "$WORK/miss.bursts" "$WORK/miss.expected"

# The pictures agree. Green above the ship is the orb's alone; compare its spread with the orb's
# size on screen as the projection gives it.
read -r x y radius < <(orb_on_screen 0 $((HIT_FRAME - 1)))
read -r count _ _ farthest < <(green_pixels "$WORK/hit-before.png" "$x" "$y" 330)
check "frame $((HIT_FRAME - 1)): the orb is whole, where the rules put it ($count px)" \
    holds "$count > 500 && $farthest < 1.3 * $radius"
read -r x y radius < <(orb_on_screen 0 "$HIT_FRAME")
read -r count _ _ farthest < <(green_pixels "$WORK/hit-hit.png" "$x" "$y" 330)
check "frame $HIT_FRAME: the wedges have parted by half a radius ($farthest px out, radius $radius)" \
    holds "$count > 500 && $farthest > 1.45 * $radius"
read -r count _ _ _ < <(green_pixels "$WORK/hit-gone.png" 0 0 330)
check "frame $GONE_FRAME: no trace of the orb is left" holds "$count == 0"
read -r x y radius < <(orb_on_screen 0 $GONE_FRAME)
read -r count mean_x mean_y _ < <(green_pixels "$WORK/miss-gone.png" "$x" "$y" 330)
check "frame $GONE_FRAME without a hit: the orb is still there ($count px)" \
    holds "$count > 500 && ($mean_x - $x) ^ 2 + ($mean_y - $y) ^ 2 < (0.5 * $radius) ^ 2"

finish
