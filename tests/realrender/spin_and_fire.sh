#!/usr/bin/env bash
# Records the real game's GL calls with apitrace while the player presses z (spin at +7 degrees
# a frame), c (stop), space (fire) and q, then checks frame by frame what the calls show:
#   - the world turn starts at 0 and stays there until z;
#   - after z it grows by exactly 7 in every frame;
#   - after c it holds its last value for good;
#   - the shot appears only after c, in at most the 50 frames a missed shot lives, drawn in its
#     blue, turned back by the spin of its firing moment and 2.1 below the tunnel axis.
#
# usage: spin_and_fire.sh GAME_DIR

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 240
rr_require_tools apitrace
game_dir=$(cd "${1:?usage: $0 GAME_DIR}" && pwd) || rr_fail "no game folder $1"
[[ -x $game_dir/spintunnel ]] || rr_fail "no spintunnel in $game_dir"

# The game re-uploads a 128 x 128 texture with all its mipmaps for every tunnel band and red
# orb in every frame, about 1.5 MB of pixels a frame that apitrace would store. Run from an
# empty folder instead: the texture files are missing, the game leaves the images zero, and
# the uploads compress to next to nothing. Nothing checked here depends on the pictures.
cd "$RR_WORK" || rr_fail "cannot enter $RR_WORK"
trace=$RR_WORK/game.trace

rr_start_display
rr_start_game "$game_dir/spintunnel" apitrace trace -o "$trace"
rr_wait_window
rr_wait_frames 2

# The game reads input between frames, so of the swaps seen after a key the first may still
# belong to the frame in progress when it arrived. Waiting for four leaves at least three frames
# drawn under each key.
rr_key z || rr_fail "xdotool could not send z"
rr_wait_frames 4
rr_key c || rr_fail "xdotool could not send c"
rr_wait_frames 4
rr_key space || rr_fail "xdotool could not send space"
rr_wait_frames 3
rr_key q
rr_wait_exit 60
[[ $RR_EXIT_STATUS == 42 ]] || rr_fail "the traced game ended with status $RR_EXIT_STATUS, expected 42"
rr_log "trace written: $(du -h "$trace" | cut -f1)"

frames=$RR_WORK/frames.txt
rr_deadline 120
timeout "$RR_SPAN" apitrace dump --color=never --grep='^(glXSwapBuffers|glTranslatef|glRotatef|glColor3f)$' "$trace" \
    2>"$RR_WORK/dump.log" | awk -f "$RR_HERE/trace_frames.awk" >"$frames" ||
    rr_fail "apitrace dump failed: $(tail -n 3 "$RR_WORK/dump.log")"
rr_log "$(wc -l <"$frames") frames traced"

# Frames: $1 number, $2 world turn, $3 shots drawn, $4 shot turn, $5 shot height.
verdict=$(awk '
    function fail(msg) { print msg; failed = 1; exit }
    { frame[NR] = $1; spin[NR] = $2; shots[NR] = $3; shot_angle[NR] = $4; shot_y[NR] = $5 }
    END {
        if (failed) exit
        n = NR
        for (i = 1; i <= n; i++)
            if (spin[i] !~ /^-?[0-9]+(\.[0-9]+)?$/)
                fail("frame " i ": no world turn about z after the lift (got " spin[i] ")")

        i = 1
        while (i <= n && spin[i] == 0) i++
        if (i == 1) fail("frame 1 turns the world by " spin[1] " before any key")
        still = i - 1

        start = i
        while (i <= n && spin[i] - spin[i - 1] == 7) i++
        spun = i - start
        if (spun < 2)
            fail("after " still " still frames the turn went " spin[start - 1] " -> " spin[start] \
                 " -> " spin[start + 1] ", expected steps of +7 after z")

        if (i > n) fail("the turn still grew by 7 in the last frame (" spin[n] "): c did not stop the spin")
        hold = spin[i - 1]
        start = i
        while (i <= n && spin[i] == hold) i++
        held = i - start
        if (i <= n) fail("frame " i ": turn " spin[i] " after it had settled at " hold " (c should stop the spin)")
        if (held < 2) fail("only " held " frames after the spin stopped at " hold)
        settled = start

        first = 0; last = 0; count = 0
        for (i = 1; i <= n; i++) {
            if (shots[i] == 0) continue
            if (i < settled) fail("frame " i ": a shot is drawn before the spin was stopped and space pressed")
            if (shots[i] != 1) fail("frame " i ": " shots[i] " shots drawn, only one was fired")
            if (shot_angle[i] != -hold) fail("frame " i ": shot turned by " shot_angle[i] ", expected " (-hold))
            if (shot_y[i] < -2.1001 || shot_y[i] > -2.0999) fail("frame " i ": shot placed at y " shot_y[i] ", expected -2.1")
            if (first == 0) first = i
            if (last != 0 && i != last + 1) fail("shot missing in frames " (last + 1) " to " (i - 1) " and back in " i)
            last = i
            count++
        }
        if (count == 0) fail("no shot drawn after space")
        if (count > 50) fail("the shot was drawn in " count " frames, a shot lives for 50")
        print "ok: " still " frames at 0, " spun " frames spinning by +7 up to " hold ", " held \
              " frames held, shot drawn in " count " frames from frame " first
    }' "$frames")
[[ $verdict == ok:* ]] || rr_fail "$verdict"
rr_log "$verdict"
rr_pass
