#!/usr/bin/env bash
# Valgrind's memcheck watches the real capture tool play a short scripted game in a real window:
# no invalid read or write, no use of an undefined value and no definite leak may come from the
# game's code or the tool's. What the system's libraries do on their own is suppressed, narrowly,
# in memcheck.supp.
#
# usage: memcheck.sh CAPTURE_TOOL SUPPRESSIONS GAME_SCRIPT   (run from the folder with the textures)

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 240
rr_require_tools valgrind
capture=${1:?usage: $0 CAPTURE_TOOL SUPPRESSIONS GAME_SCRIPT}
suppressions=${2:?usage: $0 CAPTURE_TOOL SUPPRESSIONS GAME_SCRIPT}
script=${3:?usage: $0 CAPTURE_TOOL SUPPRESSIONS GAME_SCRIPT}
[[ -x $capture && -r $suppressions && -r $script ]] || rr_fail "missing: $capture, $suppressions or $script"
[[ -r texture1.rgb && -r texture2.rgb ]] || rr_fail "no textures in $PWD"

# The first orb bursts in frame 190 and is gone 14 frames later; a few more frames see it gone.
readonly frames=210

rel_start_display
log=$RR_WORK/memcheck.log
# Debug information of the driver is kept after it is unloaded at exit, so that the leak report
# can still name it and the suppressions can match it.
rel_start valgrind --tool=memcheck --error-exitcode=99 --num-callers=40 --keep-debuginfo=yes \
    --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --suppressions="$suppressions" --show-error-list=yes --log-file="$log" \
    "$capture" --frames $frames --input "$script" --stats
# Software rendering under memcheck manages a frame or two a second on a busy machine.
rr_wait_exit 220

if [[ $RR_EXIT_STATUS != 0 ]]; then
    # -s lists every finding with its stack at the end of the log, so the failure says where
    # without a rerun.
    grep -v 'used_suppression' "$log" | tail -n 200 >&2
    rr_fail "memcheck run ended with $(rel_exit_kind "$RR_EXIT_STATUS") (99: memcheck found errors)"
fi
grep -q "^==[0-9]*== ERROR SUMMARY: 0 errors" "$log" || rr_fail "no clean error summary in $log"
grep -qx "frames $frames" "$RR_WORK/game.log" || rr_fail "the tool did not report $frames frames drawn"
rr_log "$(grep -o "ERROR SUMMARY.*" "$log" | tail -n 1)"
# For the record: which suppressions were needed, how often.
grep 'used_suppression' "$log" | sed 's/^.*used_suppression: *//' | while read -r line; do
    rr_log "suppressed: $line"
done
rr_pass
