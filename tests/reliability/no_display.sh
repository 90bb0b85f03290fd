#!/usr/bin/env bash
# Without a display to open, GLUT reports it and ends the game with a failure status: a message on
# standard error, an ordinary exit (not a signal), no window, no hang.
#
# usage: no_display.sh GAME   (the spintunnel program)

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 40
game=${1:?usage: $0 GAME}
[[ -x $game ]] || rr_fail "no game at $game"
cd "$(dirname "$game")" || rr_fail "no game folder"

# A display number that no server on this machine owns: no socket, no lock file.
absent=999
while [[ -e /tmp/.X11-unix/X$absent || -e /tmp/.X$absent-lock ]]; do
    absent=$((absent + 1))
done

# name | how DISPLAY is set for the run
cases=(
    "unset|env -u DISPLAY"
    "nowhere|env DISPLAY=:$absent"
)
for entry in "${cases[@]}"; do
    name=${entry%%|*}
    read -r -a how <<<"${entry#*|}"
    status=0
    "${how[@]}" timeout --kill-after=5 20 "$game" >"$RR_WORK/$name.out" 2>"$RR_WORK/$name.err" ||
        status=$?
    message=$(head -c 300 "$RR_WORK/$name.err")
    rr_log "$name: $(rel_exit_kind $status), said: $message"
    ((status != 124 && status != 137)) || rr_fail "$name: the game was still running after 20 s"
    ((status < 128)) || rr_fail "$name: the game was ended by $(rel_exit_kind $status)"
    ((status != 0)) || rr_fail "$name: the game ended with status 0 though it had no display"
    grep -q 'failed to open display' "$RR_WORK/$name.err" ||
        rr_fail "$name: no 'failed to open display' on standard error: '$message'"
done
rr_pass
