#!/usr/bin/env bash
# `make play` treats the quit key's status 42 as the game's normal end and passes on any other
# failure with its own status. A stand-in game that just exits with a chosen status runs in place
# of the real one; the build step is skipped (make -o build), so no window and no compiler are
# needed.
#
# usage: play_status.sh SOURCE_DIR
set -u -o pipefail

source_dir=${1:?usage: $0 SOURCE_DIR}
work=$(mktemp -d "${TMPDIR:-/tmp}/spintunnel-play-status.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
failures=0

# status of the game, make's expected status, and what make's error output must (or must not) say
cases=(
    "42 0 "
    "0 0 "
    "1 2 spintunnel ended with status 1"
    "3 2 spintunnel ended with status 3"
    "134 2 spintunnel ended with status 134"
)
for case in "${cases[@]}"; do
    read -r game_status make_status said <<<"$case"
    printf '#!/bin/sh\nexit %s\n' "$game_status" >"$work/spintunnel"
    chmod +x "$work/spintunnel"
    status=0
    timeout 60 make -s -C "$source_dir" -o build play BUILD_DIR="$work" \
        >"$work/out" 2>"$work/err" || status=$?
    if [[ $status != "$make_status" ]]; then
        echo "FAIL: game status $game_status: make ended with $status, expected $make_status" >&2
        cat "$work/err" >&2
        failures=$((failures + 1))
    elif [[ -n $said ]] && ! grep -qF -- "$said" "$work/err"; then
        echo "FAIL: game status $game_status: make did not say '$said'" >&2
        cat "$work/err" >&2
        failures=$((failures + 1))
    elif [[ -n $said ]] && ! grep -qF -- "] Error $game_status" "$work/err"; then
        echo "FAIL: game status $game_status: make did not report that status as its error" >&2
        cat "$work/err" >&2
        failures=$((failures + 1))
    elif [[ -z $said && -s $work/err ]]; then
        echo "FAIL: game status $game_status: make complained:" >&2
        cat "$work/err" >&2
        failures=$((failures + 1))
    else
        echo "ok: game status $game_status gives make status $make_status"
    fi
done
((failures == 0)) || exit 1
echo "all checks passed"
