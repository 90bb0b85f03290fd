#!/usr/bin/env bash
# `spintunnel --replay FILE` plays a recording in the game's own window: every frame is drawn as the
# capture tool draws it from the same file, the recording's quit key ends the game with status 42
# before the frame it is stamped with, and the game's own recording of the replay is the file
# replayed, byte for byte. --fps paces the replay. A file the game cannot replay is refused with
# status 2 and one line that says why, before any window opens.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 400 "$@"

readonly RECORDING=$CAPTURE_TEST_DIR/inputs/recorded_quit.txt
readonly MALFORMED=$CAPTURE_TEST_DIR/inputs/malformed.txt
QUIT_FRAME=$(awk '$2 == "key" && $3 == "q" { print $1 }' "$RECORDING")
readonly QUIT_FRAME

# run_game NAME ARGS...: the game itself, with a deadline; status in RUN_STATUS.
run_game() {
    local name=$1
    shift
    RUN_STATUS=0
    timeout --kill-after=5 "$RUN_DEADLINE" "$GAME" "$@" \
        >"$WORK/$name.out" 2>"$WORK/$name.err" || RUN_STATUS=$?
}

# --- refusals: nothing is drawn, so no window may appear
no_window() { ! xdotool search --name 'spintunnel$' >/dev/null 2>&1; }
said() {
    [[ $(cat "$WORK/refused.err") == "$1" ]] || {
        echo "  said: $(cat "$WORK/refused.err")" >&2
        return 1
    }
}
run_game refused --replay "$WORK/no-such-file.txt"
check "a missing file: exit status 2" exited_with 2
check "a missing file: says so in one line" \
    said "spintunnel: cannot read $WORK/no-such-file.txt: No such file or directory"
check "a missing file: no window" no_window
run_game refused --replay "$MALFORMED"
check "a malformed file: exit status 2" exited_with 2
check "a malformed file: names the line and what is wrong" \
    said "spintunnel: $MALFORMED:4: mouse takes a button, down or up, X and Y"
check "a malformed file: no window" no_window

# --- the replay, traced and recorded
RUN_STATUS=0
SPINTUNNEL_RECORD=$WORK/rerecorded.txt timeout --kill-after=5 "$RUN_DEADLINE" \
    apitrace trace -o "$WORK/game.trace" "$GAME" --replay "$RECORDING" \
    >"$WORK/game.out" 2>"$WORK/game.err" || RUN_STATUS=$?
check "the replay ends with status 42 at the recording's quit key" exited_with 42
check "the replay draws every frame before the quit key and no more" \
    [ "$(frames_in "$WORK/game.trace")" -eq $((QUIT_FRAME - 1)) ]
check "the game's recording of the replay is the file replayed" cmp "$RECORDING" "$WORK/rerecorded.txt"

run_capture_traced capture --frames "$QUIT_FRAME" --input "$RECORDING"
check "the capture tool, fed the same file, also ends at the quit key" exited_with 42
gl_course "$WORK/game.trace" >"$WORK/game.course"
gl_course "$WORK/capture.trace" >"$WORK/capture.course"
same_course() {
    cmp -s "$WORK/game.course" "$WORK/capture.course" || {
        diff "$WORK/game.course" "$WORK/capture.course" | head -n 20 >&2
        return 1
    }
}
check "every frame turns, places and colours everything as the capture tool's replay does" same_course
# The comparison means something only if the recording's input was played.
check "the replay fired shots" grep -qF 'glColor3f(0.2, 0.2, 0.8)' "$WORK/game.course"
check "the replay turned the world" grep -qE '^[0-9]+: glRotatef\(-?[1-9]' "$WORK/game.course"

# --- paced: the frames before the quit key take at least their share of a second each
readonly PACED_FPS=50
start=$(date +%s.%N)
run_game paced --replay "$RECORDING" --fps "$PACED_FPS"
elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
check "a paced replay also ends with status 42" exited_with 42
echo "paced replay of $((QUIT_FRAME - 1)) frames at $PACED_FPS fps took ${elapsed}s"
check "a paced replay takes at least its frames' share of time" \
    holds "$elapsed >= ($QUIT_FRAME - 2) / $PACED_FPS"

finish
