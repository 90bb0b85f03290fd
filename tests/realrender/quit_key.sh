#!/usr/bin/env bash
# Lower-case q ends the game with exit status 42; upper-case Q is just another ignored key.
#
# usage: quit_key.sh GAME_DIR

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 120
cd "${1:?usage: $0 GAME_DIR}" || rr_fail "no game folder $1"
[[ -x spintunnel ]] || rr_fail "no spintunnel in $PWD"

rr_start_display
rr_start_game ./spintunnel
rr_wait_window
rr_wait_frames 2

# Shift+q arrives as 'Q'. Two more frames after sending it mean the game has read it (input is
# read between frames) and carried on drawing.
rr_key Q || rr_fail "xdotool could not send Q"
rr_wait_frames 2
rr_game_running || rr_fail "the game ended after Q"
rr_log "still running after Q"

# The release of q may reach a window that no longer exists; only the exit matters.
rr_key q
rr_wait_exit 30
[[ $RR_EXIT_STATUS == 42 ]] || rr_fail "q ended the game with status $RR_EXIT_STATUS, expected 42"
rr_log "q ended the game with status 42"
rr_pass
