#!/usr/bin/env bash
# The frames the tool writes are the frames the game draws: the tunnel fills the view once it is
# built, texturing off leaves the same tunnel smoother and brighter, and the spin, by mouse or by
# key, turns the whole world about the tunnel axis by exactly the angle the controls give.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 300 "$@"

readonly ORB_FRAME=189 # the first orb is near, large and untouched

run_capture plain --frames $ORB_FRAME --shot "3:$WORK/plain-3.png" \
    --shot "150:$WORK/plain-150.png" --shot "$ORB_FRAME:$WORK/plain-$ORB_FRAME.png"
check "without input the run ends normally" exited_with 0

# The first band appears in frame 5, so frame 3 holds the ship and nothing else; by frame 150 the
# bands reach the far plane and only the far end of the tube is left black.
check "frame 3, before the first band: almost all black" \
    holds "$(lit_share "$WORK/plain-3.png") < 0.1"
check "frame 150: the tunnel fills the view" holds "$(lit_share "$WORK/plain-150.png") > 0.9"

# Texturing changes nothing of the course, only the look: the texture modulates the lit colour, so
# no pixel gets brighter, the picture as a whole gets darker and the texture adds fine detail.
printf '1 key t\n' >"$WORK/untextured.txt"
run_capture untextured --frames 150 --input "$WORK/untextured.txt" \
    --shot "150:$WORK/untextured-150.png"
check "with texturing off the run ends normally" exited_with 0
read -r brighter textured_mean plain_mean textured_detail plain_detail \
    < <(brightness_versus "$WORK/plain-150.png" "$WORK/untextured-150.png")
echo "frame 150 textured vs not: mean $textured_mean vs $plain_mean," \
    "detail $textured_detail vs $plain_detail, $brighter pixels brighter with texture"
check "texturing brightens no pixel" holds "$brighter == 0"
check "texturing darkens the picture" holds "$textured_mean < 0.8 * $plain_mean"
check "texturing adds fine detail" holds "$textured_detail > 1.5 * $plain_detail"

# spin_puts_orb NAME SPIN: the run NAME shows the first orb where the world turned by SPIN degrees
# puts it. Green above the ship is the orb's alone.
spin_puts_orb() {
    local x y radius count mean_x mean_y
    read -r x y radius < <(orb_on_screen "$2" $ORB_FRAME)
    read -r count mean_x mean_y _ < <(green_pixels "$WORK/$1-$ORB_FRAME.png" "$x" "$y" 330)
    echo "  $1: orb expected at ($x, $y), found $count px around ($mean_x, $mean_y)"
    holds "$count > 500 && ($mean_x - $x) ^ 2 + ($mean_y - $y) ^ 2 < (0.3 * $radius) ^ 2"
}

# The first mouse event turns the world by minus its x in degrees; z spins it by +7 degrees a frame
# from the frame it comes before until c stops it: 13 frames make 91 degrees, counter-clockwise.
printf '2 motion 90 0\n' >"$WORK/mouse.txt"
run_capture mouse --frames $ORB_FRAME --input "$WORK/mouse.txt" \
    --shot "$ORB_FRAME:$WORK/mouse-$ORB_FRAME.png"
check "with a mouse turn the run ends normally" exited_with 0
printf '2 key z\n15 key c\n' >"$WORK/keys.txt"
run_capture keys --frames $ORB_FRAME --input "$WORK/keys.txt" \
    --shot "$ORB_FRAME:$WORK/keys-$ORB_FRAME.png"
check "with a key spin the run ends normally" exited_with 0

check "unturned, the orb is where it was spawned" spin_puts_orb plain 0
check "the mouse turned the world 90 degrees clockwise" spin_puts_orb mouse -90
check "the keys turned it 91 degrees counter-clockwise" spin_puts_orb keys 91

finish
