#!/usr/bin/env bash
# --fullscreen: the window takes the whole screen (1024 x 768 here, with no window manager), the
# picture fills it, as the viewport follows the new size, and the game plays and quits as ever.
#
# usage: fullscreen.sh GAME_DIR

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 150
cd "${1:?usage: $0 GAME_DIR}" || rr_fail "no game folder $1"
[[ -x spintunnel ]] || rr_fail "no spintunnel in $PWD"

readonly SCREEN_WIDTH=1024 SCREEN_HEIGHT=768

rr_start_display
RR_GAME_TITLE=./spintunnel
setsid ./spintunnel --fullscreen >"$RR_WORK/game.log" 2>&1 &
RR_GAME_PID=$!
rr_log "started ./spintunnel --fullscreen (pid $RR_GAME_PID)"
rr_wait_window

# geometry: "X Y WIDTH HEIGHT" of the game's window on the screen.
geometry() {
    xwininfo -id "$RR_WID" 2>/dev/null | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}
rr_deadline 30
while [[ $(geometry) != "0 0 $SCREEN_WIDTH $SCREEN_HEIGHT" ]]; do
    ((SECONDS < RR_DEADLINE)) || rr_fail "the window is at '$(geometry)', not the whole screen"
    rr_game_running || rr_fail "the game exited before going full screen"
    sleep 0.1
done
rr_log "the window covers the screen: $(geometry)"

rr_wait_frames 3
rr_screenshot "$RR_WORK/full.png"
size=$(identify -format '%w %h' "$RR_WORK/full.png")
[[ $size == "$SCREEN_WIDTH $SCREEN_HEIGHT" ]] || rr_fail "the picture is $size"
# A viewport left at 640 x 480 would draw only the bottom-left part and leave the rest untouched.
for area in 384x288+640+0 384x288+0+0 384x288+640+480; do
    lit=$(rr_nonblack_share "$RR_WORK/full.png[$area]")
    rr_num_gt "$lit" 0.3 || rr_fail "the area $area beyond 640 x 480 is lit only $lit: the picture does not fill the screen"
    rr_log "area $area: $lit lit"
done

# Still a game: it reads keys and draws on, and quits with 42.
rr_key z || rr_fail "xdotool could not send z"
rr_wait_frames 3
rr_key q
rr_wait_exit 30
[[ $RR_EXIT_STATUS == 42 ]] || rr_fail "q ended the game with status $RR_EXIT_STATUS, expected 42"
rr_log "q ended the full-screen game with status 42"
rr_pass
