# shellcheck shell=bash disable=SC2034 # the RR_ variables are read by the scripts that source this
# Shared helpers for the tests that run the real game under Xvfb with Mesa's software renderer.
#
# Each test sources this file, calls rr_begin with its time budget, starts its own X server and
# game, and lets the EXIT trap take everything down again. The machine these run on may be busy
# with builds, so nothing here trusts a fixed sleep: every wait polls for a condition and gives
# up at a deadline, inside the test's budget, with a message that says what never happened.

set -u -o pipefail

RR_HERE=$(cd "$(dirname "$0")" && pwd)
RR_NAME=${0##*/}
RR_NAME=${RR_NAME%.sh}
RR_END=
RR_DEADLINE=
RR_SPAN=
RR_WORK=
RR_XVFB_PID=
RR_GAME_PID=
RR_GAME_TITLE=
RR_WID=
RR_EXIT_STATUS=
RR_PASSED=0

rr_log() {
    printf '[%s %3ds] %s\n' "$RR_NAME" "$SECONDS" "$*"
}

# Ends the test. The work folder (screenshots, logs, traces) is kept for a look afterwards.
rr_fail() {
    printf '[%s %3ds] FAIL: %s\n' "$RR_NAME" "$SECONDS" "$*" >&2
    if [[ -n $RR_WORK ]]; then
        printf '[%s] work files kept in %s\n' "$RR_NAME" "$RR_WORK" >&2
        if [[ -s $RR_WORK/game.log ]]; then
            printf '[%s] game output:\n' "$RR_NAME" >&2
            tail -n 20 "$RR_WORK/game.log" >&2
        fi
    fi
    exit 1
}

rr_pass() {
    RR_PASSED=1
    rr_log "PASS"
    exit 0
}

# A missing tool is a broken test machine, not a broken game: ctest reports it as skipped.
rr_require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "[$RR_NAME] SKIP: $tool is not installed" >&2
            exit 77
        fi
    done
}

# Sets RR_DEADLINE (in $SECONDS) and RR_SPAN for a wait of at most LIMIT seconds, cut short by
# what is left of the test's budget so that the test fails with its own message well before
# ctest's timeout would kill it.
rr_deadline() {
    local limit=$1
    RR_DEADLINE=$((SECONDS + limit))
    ((RR_DEADLINE <= RR_END)) || RR_DEADLINE=$RR_END
    RR_SPAN=$((RR_DEADLINE - SECONDS))
    ((RR_SPAN > 0)) || rr_fail "the test's time budget is used up"
}

# True while a child of ours has neither exited nor been reaped (a zombie still answers kill -0).
rr_running() {
    local state
    [[ -n $1 && -r /proc/$1/stat ]] || return 1
    state=$(awk '{ sub(/^.*\) /, ""); print $1 }' "/proc/$1/stat" 2>/dev/null) || return 1
    [[ -n $state && $state != Z && $state != X ]]
}

# Stops a process group we started with setsid (its leader's pid is the group id): politely
# first, then for good.
rr_stop_group() {
    local pid=$1 i
    [[ -n $pid ]] || return 0
    kill -TERM -- "-$pid" 2>/dev/null
    for ((i = 0; i < 50; i++)); do
        rr_running "$pid" || break
        sleep 0.1
    done
    kill -KILL -- "-$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

rr_cleanup() {
    rr_stop_group "$RR_GAME_PID"
    rr_stop_group "$RR_XVFB_PID"
    if [[ $RR_PASSED == 1 && -n $RR_WORK ]]; then
        rm -rf -- "$RR_WORK"
    fi
}

# rr_begin BUDGET: the whole test, cleanup aside, must finish within BUDGET seconds.
rr_begin() {
    RR_END=$((SECONDS + $1))
    rr_require_tools Xvfb xdotool xwininfo import convert setsid timeout md5sum
    RR_WORK=$(mktemp -d "${TMPDIR:-/tmp}/spintunnel-$RR_NAME.XXXXXX") || rr_fail "cannot make a work folder"
    trap rr_cleanup EXIT
    trap 'exit 130' INT TERM
    # Mesa's software rasteriser, whatever GPU driver the machine may also have.
    export LIBGL_ALWAYS_SOFTWARE=1
}

# Starts a private X server on a display number that the server itself picks as free, so that
# tests and other users of the machine never fight over one.
rr_start_display() {
    local fdfile=$RR_WORK/display display=
    : >"$fdfile"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" \
        >"$RR_WORK/xvfb.log" 2>&1 &
    RR_XVFB_PID=$!
    rr_deadline 30
    while ((SECONDS < RR_DEADLINE)); do
        display=$(head -n 1 "$fdfile")
        [[ $display =~ ^[0-9]+$ ]] && break
        rr_running "$RR_XVFB_PID" || rr_fail "Xvfb exited at start-up: $(tail -n 3 "$RR_WORK/xvfb.log")"
        sleep 0.1
    done
    [[ $display =~ ^[0-9]+$ ]] || rr_fail "Xvfb did not report a display within $RR_SPAN s"
    export DISPLAY=:$display
    rr_log "Xvfb ready on $DISPLAY"
}

# Starts the game from the current folder as its own process group. Its window is titled with
# its first command-line word, GAME. Words after GAME name a wrapper that runs it, e.g.
#   rr_start_game ./spintunnel                       runs ./spintunnel
#   rr_start_game /b/spintunnel apitrace trace -o F  runs apitrace trace -o F /b/spintunnel
rr_start_game() {
    local game=$1
    shift
    RR_GAME_TITLE=$game
    setsid "$@" "$game" >"$RR_WORK/game.log" 2>&1 &
    RR_GAME_PID=$!
    rr_log "started ${*:+$* }$game (pid $RR_GAME_PID)"
}

rr_game_running() {
    rr_running "$RR_GAME_PID"
}

# Waits for the game's window to be mapped and sets RR_WID. The title must be exactly the
# game's first command-line word.
rr_wait_window() {
    local pattern
    pattern=$(printf '%s' "$RR_GAME_TITLE" | sed 's/[][\.*^$+?(){}|]/\\&/g')
    rr_deadline 60
    RR_WID=$(timeout "$RR_SPAN" xdotool search --sync --onlyvisible --name "^$pattern\$" 2>/dev/null | head -n 1)
    if [[ -z $RR_WID ]]; then
        rr_game_running || rr_fail "the game exited before showing a window"
        rr_fail "no visible window titled '$RR_GAME_TITLE' within $RR_SPAN s"
    fi
    rr_log "window $RR_WID is mapped"
}

# Sends keys to the game's window. The quit key may destroy the window while xdotool still
# sends the release, so the caller decides whether a failure here matters.
rr_key() {
    timeout 20 xdotool key --window "$RR_WID" "$@" 2>>"$RR_WORK/xdotool.log"
}

rr_screenshot() {
    timeout 30 import -window "$RR_WID" "png:$1" 2>>"$RR_WORK/import.log" ||
        rr_fail "could not take a screenshot of window $RR_WID"
}

rr_window_digest() {
    timeout 20 import -window "$RR_WID" -depth 8 rgb:- 2>>"$RR_WORK/import.log" | md5sum | cut -d' ' -f1
}

# Waits until the window's picture has changed COUNT times, so the game has swapped at least
# COUNT more frames. It reads input between frames: of the frames after a key sent before this
# call, the first may have been under way already, the other COUNT - 1 were drawn after it.
rr_wait_frames() {
    local count=$1 seen=0 last now
    rr_deadline 60
    last=$(rr_window_digest)
    while ((seen < count)); do
        ((SECONDS < RR_DEADLINE)) || rr_fail "the window changed only $seen of $count times within $RR_SPAN s"
        if ! rr_game_running; then
            wait "$RR_GAME_PID"
            rr_fail "the game exited with status $? while it should have been drawing"
        fi
        now=$(rr_window_digest)
        if [[ -n $now && $now != "$last" ]]; then
            seen=$((seen + 1))
            last=$now
        else
            sleep 0.05
        fi
    done
}

# Share (0..1) of the pixels in an image whose channels r, g, b (0..1) satisfy an -fx
# expression. An optional crop geometry limits the area; the picture is scaled to a quarter
# first because -fx evaluates per pixel and is slow.
rr_share_where() {
    local image=$1 expr=$2 crop=${3:-}
    local args=("$image")
    [[ -n $crop ]] && args+=(-crop "$crop" +repage)
    convert "${args[@]}" -scale 25% -fx "($expr) ? 1 : 0" -format '%[fx:mean]' info: 2>>"$RR_WORK/convert.log"
}

rr_nonblack_share() {
    convert "$1" -fill white +opaque black -format '%[fx:mean]' info: 2>>"$RR_WORK/convert.log"
}

# rr_num_gt A B: true if the decimal A is greater than B. A measurement that came back as no
# number at all means a tool failed, which ends the test.
rr_num_gt() {
    local n
    for n in "$1" "$2"; do
        [[ $n =~ ^-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?$ ]] || rr_fail "not a measurement: '$n' (see $RR_WORK/*.log)"
    done
    awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'
}

# Waits at most LIMIT seconds for the game to end and sets RR_EXIT_STATUS.
rr_wait_exit() {
    rr_deadline "$1"
    while rr_game_running; do
        ((SECONDS < RR_DEADLINE)) || rr_fail "the game was still running $RR_SPAN s after it was told to quit"
        sleep 0.1
    done
    wait "$RR_GAME_PID"
    RR_EXIT_STATUS=$?
    RR_GAME_PID=
}
