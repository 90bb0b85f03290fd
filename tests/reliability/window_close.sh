#!/usr/bin/env bash
# Closed the way a window manager closes a window (a WM_DELETE_WINDOW message, as when the user
# clicks the close button), the game ends through GLUT with exit status 0: no signal, no X I/O
# error, no other complaint.
#
# usage: window_close.sh GAME_DIR WM_DELETE_TOOL

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 100
cd "${1:?usage: $0 GAME_DIR WM_DELETE_TOOL}" || rr_fail "no game folder $1"
close=${2:?usage: $0 GAME_DIR WM_DELETE_TOOL}
[[ -x spintunnel && -x $close ]] || rr_fail "spintunnel in $PWD or $close missing"

rel_start_display
rr_start_game ./spintunnel
rel_wait_window
rr_wait_frames 3

timeout 20 "$close" "$RR_WID" 2>>"$RR_WORK/close.log" ||
    rr_fail "could not send WM_DELETE_WINDOW to window $RR_WID: $(cat "$RR_WORK/close.log")"
rr_log "sent WM_DELETE_WINDOW to window $RR_WID"
rr_wait_exit 30
rr_log "the game ended with $(rel_exit_kind "$RR_EXIT_STATUS")"
[[ $RR_EXIT_STATUS == 0 ]] || rr_fail "closing the window ended the game with $(rel_exit_kind "$RR_EXIT_STATUS")"
# The game itself says nothing on the way out; anything here is a complaint from X, GLUT or GL.
if [[ -s $RR_WORK/game.log ]]; then
    rr_fail "the game wrote on its way out: $(head -c 500 "$RR_WORK/game.log")"
fi
# Its window is gone with it.
! timeout 10 xdotool search --name "^spintunnel\$" >/dev/null 2>&1 ||
    rr_fail "a window titled spintunnel is still there"
rr_pass
