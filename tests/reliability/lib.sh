# shellcheck shell=bash
# Helpers for the reliability tests, on top of the real-rendering tests' own: the same private X
# server, deadlines and clean-up, plus runs of commands other than the live game.

# shellcheck source=../realrender/lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../realrender/lib.sh"

# rel_start_display: rr_start_display, then waits until the server answers a client. A server
# that is gone again (or never answers) is reported as such, not as a game that cannot open it.
rel_start_display() {
    rr_start_display
    rr_deadline 30
    until timeout 10 xwininfo -root >/dev/null 2>&1; do
        rr_running "$RR_XVFB_PID" || rr_fail "Xvfb on $DISPLAY exited: $(tail -n 3 "$RR_WORK/xvfb.log")"
        ((SECONDS < RR_DEADLINE)) || rr_fail "Xvfb on $DISPLAY does not answer within $RR_SPAN s"
        sleep 0.1
    done
}

# rel_start COMMAND...: starts any command in the background as its own process group, in the
# game's place, so that rr_wait_exit waits for it, rr_fail shows its output and the EXIT trap
# stops it.
rel_start() {
    RR_GAME_TITLE=
    setsid "$@" >"$RR_WORK/game.log" 2>&1 &
    RR_GAME_PID=$!
    rr_log "started $1 (pid $RR_GAME_PID)"
}

# rel_exit_kind STATUS: how a process ended, in words.
rel_exit_kind() {
    if (($1 > 128)); then
        printf 'signal %d (%s)' $(($1 - 128)) "$(kill -l $(($1 - 128)) 2>/dev/null)"
    else
        printf 'exit status %d' "$1"
    fi
}

# rel_wait_share_above IMAGE SHARE LIMIT: takes screenshots into IMAGE until its non-black share
# exceeds SHARE, for at most LIMIT seconds; sets REL_SHARE to the last measurement.
rel_wait_share_above() {
    local image=$1 want=$2
    rr_deadline "$3"
    while :; do
        rr_screenshot "$image"
        REL_SHARE=$(rr_nonblack_share "$image")
        rr_num_gt "$REL_SHARE" "$want" && return 0
        rr_game_running || rr_fail "the game exited while the window showed a non-black share of $REL_SHARE"
        ((SECONDS < RR_DEADLINE)) ||
            rr_fail "the non-black share stayed at $REL_SHARE (want > $want) for $RR_SPAN s"
        sleep 0.2
    done
}

# rel_mean_brightness IMAGE: mean grey level, 0..1.
rel_mean_brightness() {
    convert "$1" -colorspace Gray -format '%[fx:mean]' info: 2>>"$RR_WORK/convert.log"
}

# rel_wait_window: like rr_wait_window, but a game that ends before its window shows is reported
# at once, with how it ended, rather than at the deadline.
rel_wait_window() {
    local pattern status
    pattern=$(printf '%s' "$RR_GAME_TITLE" | sed 's/[][\.*^$+?(){}|]/\\&/g')
    rr_deadline 60
    while :; do
        RR_WID=$(timeout 10 xdotool search --onlyvisible --name "^$pattern\$" 2>/dev/null | head -n 1)
        [[ -n $RR_WID ]] && break
        if ! rr_game_running; then
            status=0
            wait "$RR_GAME_PID" || status=$?
            RR_GAME_PID=
            rr_running "$RR_XVFB_PID" || rr_log "Xvfb on $DISPLAY is gone as well"
            rr_fail "the game ended with $(rel_exit_kind "$status") before showing a window"
        fi
        ((SECONDS < RR_DEADLINE)) || rr_fail "no visible window titled '$RR_GAME_TITLE' within $RR_SPAN s"
        sleep 0.1
    done
    rr_log "window $RR_WID is mapped"
}
