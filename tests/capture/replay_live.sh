#!/usr/bin/env bash
# A game played live through X input and recorded replays exactly: the capture tool, fed the
# recording, draws as many frames, with the same spin, the same bands, shots and orbs in the same
# places and the same burst in every frame, and ends at the same quit key with status 42.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 400 "$@"

readonly RECORDING=$WORK/live.txt

xdo() { timeout 10 xdotool "$@"; }

# latest_frame: the stamp of the latest recorded event, the frame the game is about to draw.
latest_frame() { awk '!/^#/ && NF { frame = $1 } END { print frame + 0 }' "$RECORDING"; }

# play_until FRAME: the game's frame count shows only in its recording, so keep pressing a key the
# game ignores until the stamps reach FRAME.
play_until() {
    local deadline=$((SECONDS + 60))
    while (($(latest_frame) < $1)); do
        ((SECONDS < deadline)) || die "the live game did not reach frame $1 (at $(latest_frame))"
        xdo key a
        sleep 0.1
    done
}

# --- the live game, traced and recorded
SPINTUNNEL_RECORD=$RECORDING start_in_background apitrace trace -o "$WORK/live.trace" "$GAME" \
    >"$WORK/live.out" 2>"$WORK/live.err"
readonly LIVE_PID=$STARTED_PID
timeout 30 xdotool search --sync --onlyvisible --name 'spintunnel$' >/dev/null ||
    die "the game's window did not appear"
[[ -s $RECORDING ]] || die "the game did not open its recording"

# With no window manager keys go to the window under the pointer. The mouse turns the world by
# minus the distance moved, counted from x = 0: at x = 274 the world has turned by -274, or 86
# degrees, which puts a shot on the first orb's path (it appears in frame 118).
xdo mousemove --sync 320 240
xdo mousemove --sync 274 240
play_until 80
xdo key space
play_until 90
xdo key z
play_until 100
xdo key c space
play_until 105
xdo key space x Left
play_until 112
xdo key t Down Up # texturing off keeps the rest of the trace small
xdo mousemove --sync 300 250
xdo click 1
play_until 210 # past the burst and the next two orbs' spawns
xdo key q
wait_with_deadline "$LIVE_PID" 60
check "the live game ends with status 42 at the quit key" [ "$STARTED_STATUS" -eq 42 ]

LIVE_FRAMES=$(frames_in "$WORK/live.trace")
QUIT_LINE=$(tail -n 1 "$RECORDING")
echo "live game: $LIVE_FRAMES frames, $(grep -vc '^#' "$RECORDING") events, last '$QUIT_LINE'"
check "the recording ends with the quit key" grep -qE '^[0-9]+ key q$' <<<"$QUIT_LINE"
readonly QUIT_FRAME=${QUIT_LINE%% *}
check "the quit is stamped with the frame after the last one drawn" \
    holds "$QUIT_FRAME == $LIVE_FRAMES + 1"

# --- the replay: the quit comes before frame QUIT_FRAME, so that many frames are asked for
run_capture_traced replay --frames "$QUIT_FRAME" --input "$RECORDING"
check "the replay ends with status 42 at the quit key" exited_with 42
check "the replay draws as many frames as the live game" \
    [ "$(frames_in "$WORK/replay.trace")" -eq "$LIVE_FRAMES" ]

gl_course "$WORK/live.trace" >"$WORK/live.course"
gl_course "$WORK/replay.trace" >"$WORK/replay.course"
same_course() {
    cmp -s "$WORK/live.course" "$WORK/replay.course" || {
        diff "$WORK/live.course" "$WORK/replay.course" | head -n 20 >&2
        return 1
    }
}
check "every frame turns, places and colours everything as in the live game" same_course
# The comparison means something only if the live game did what the input asked for.
check "the live game fired shots" grep -qF 'glColor3f(0.2, 0.2, 0.8)' "$WORK/live.course"
check "the live game turned the world" grep -qE '^[0-9]+: glRotatef\(-?[1-9]' "$WORK/live.course"
green_orb_bursts "$WORK/live.trace" >"$WORK/live.bursts"
check "the live game saw the aimed shot burst the first orb" grep -qE '^[0-9]+ 0\.5$' "$WORK/live.bursts"

finish
