#!/usr/bin/env bash
# Measures the game against the limit of its own GL work: the benchmark game under Xvfb with
# texturing on and off, the same frames' GL calls replayed by glretrace with nothing of the game
# around them, and where a steady-state frame's instructions go.
#
# usage: bench/bench.sh [BUILD_DIR]     (BENCH_RUNS=N runs of each measure, median reported)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${BENCH_RUNS:-3}
frames=${BENCH_FRAMES:-3600}
trace_frames=${BENCH_TRACE_FRAMES:-800}       # every texture upload is traced: keep it short
steady_from=${BENCH_STEADY_FROM:-700}          # by now the tunnel and the enemy ring are full
profile_frames=${BENCH_PROFILE_FRAMES:-700:702} # 25 orbs, 23 bands, a dozen shots
capture="$build/spintunnel-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

headless() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The same game with texturing switched off before the first frame.
{ echo "1 key t"; cat "$here/game.txt"; } > "$work/untextured.txt"

cd "$build" # the game reads its textures from its working directory

# Frame times once the tunnel and the enemy ring are full, as Mesa's software renderer comes (one
# rasterizer thread per core) and with rasterizing done on the game's own thread: every textured
# draw rebuilds the texture the frame's queued drawing uses, so the renderer hands work to its
# threads and waits for them dozens of times a frame, and on a small shared machine those waits are
# where the hitches come from.
steady() { # MODE INPUT LABEL [VAR=VALUE]
    local mode=$1 input=$2 label=$3 stats=$work/$1.$3.stats
    : > "$stats"
    for run in $(seq "$runs"); do
        headless env ${4:+"$4"} "$capture" --frames "$frames" --input "$input" \
            --stats-from "$steady_from" >> "$stats"
    done
    med=$(awk '$1 == "median_ms" { print $2 }' "$stats" | median)
    p99=$(awk '$1 == "p99_ms" { print $2 }' "$stats" | median)
    fps=$(awk '$1 == "fps" { print $2 }' "$stats" | median)
    loc=$(awk '$1 == "p99_local_ratio" { print $2 }' "$stats" | median)
    printf '%-10s %-14s frames %d to %d, median %.2f ms, p99 %.2f ms (%.2f x median; %.2f x the frames around it), %.1f fps (median of %d runs)\n' \
        "$mode" "$label:" "$steady_from" "$frames" "$med" "$p99" \
        "$(awk -v a="$p99" -v b="$med" 'BEGIN { print a / b }')" "$loc" "$fps" "$runs"
}

for mode in textured untextured; do
    input="$here/game.txt"
    [ "$mode" = untextured ] && input="$work/untextured.txt"
    steady "$mode" "$input" game
    steady "$mode" "$input" one-thread LP_NUM_THREADS=0
done

# The same frames paced at 60 a second, as a player who asks for a steady speed gets them: how
# evenly frames start, and how many frames' own work was longer than a 16.7 ms interval, which no
# pacing can make up for. Untextured, every frame of this machine fits in the interval; textured,
# the fullest frames do not.
paced_fps=${BENCH_PACED_FPS:-60}
paced() { # MODE INPUT
    local mode=$1 input=$2 stats=$work/$1.paced.stats
    : > "$stats"
    for run in $(seq "$runs"); do
        headless "$capture" --frames "$frames" --input "$input" --stats-from "$steady_from" \
            --fps "$paced_fps" >> "$stats"
    done
    pace() { awk -v key="$1" '$1 == key { print $2 }' "$stats" | median; }
    printf '%-10s paced at %d:   frames %d to %d, achieved %.2f fps, intervals median %.2f ms, p99 %.2f ms (%.2f x %.2f ms), longest %.1f ms; %g late frames restarted the schedule, %g frames'"'"' own work was over the interval (median of %d runs)\n' \
        "$mode" "$paced_fps" "$steady_from" "$frames" "$(pace achieved_fps)" \
        "$(pace interval_median_ms)" "$(pace interval_p99_ms)" \
        "$(awk -v a="$(pace interval_p99_ms)" -v f="$paced_fps" 'BEGIN { print a * f / 1000 }')" \
        "$(awk -v f="$paced_fps" 'BEGIN { print 1000 / f }')" "$(pace interval_max_ms)" \
        "$(pace pacer_overruns)" "$(pace frames_longer_than_interval)" "$runs"
}
paced textured "$here/game.txt"
paced untextured "$work/untextured.txt"

# The game's own work in the same frames, with every GL call going nowhere: how much of a frame and
# of its spread is ours.
: > "$work/code.stats"
for run in $(seq "$runs"); do
    "$build/tests/spintunnel-game-code-bench" "$here/game.txt" "$frames" "$steady_from" \
        >> "$work/code.stats"
done
printf 'game code only, GL calls going nowhere: frames %d to %d, median %.1f us, p99 %.1f us (median of %d runs)\n' \
    "$steady_from" "$frames" "$(awk '$1 == "median_us" { print $2 }' "$work/code.stats" | median)" \
    "$(awk '$1 == "p99_us" { print $2 }' "$work/code.stats" | median)" "$runs"

# The first frames' GL calls, replayed with nothing of the game around them, against the game's own
# time for the same frames.
for mode in textured untextured; do
    input="$here/game.txt"
    [ "$mode" = untextured ] && input="$work/untextured.txt"
    : > "$work/$mode.short" && : > "$work/$mode.replay"
    for run in $(seq "$runs"); do
        headless "$capture" --frames "$trace_frames" --input "$input" --stats |
            awk '$1 == "fps" { print $2 }' >> "$work/$mode.short"
    done
    headless apitrace trace -o "$work/$mode.trace" "$capture" --frames "$trace_frames" \
        --input "$input" > /dev/null 2>&1
    for run in $(seq "$runs"); do
        headless glretrace --benchmark "$work/$mode.trace" 2>/dev/null |
            sed -n 's/.*average of \([0-9.]*\) fps.*/\1/p' >> "$work/$mode.replay"
    done
    rm -f "$work/$mode.trace"
    game=$(median < "$work/$mode.short")
    replay=$(median < "$work/$mode.replay")
    printf '%-10s first %d frames: game %.1f fps, glretrace --benchmark of its trace %.1f fps, game / replay = %.2f\n' \
        "$mode" "$trace_frames" "$game" "$replay" "$(awk -v a="$game" -v b="$replay" 'BEGIN { print a / b }')"
done

# Where a steady-state frame's instructions go: callgrind counts only the chosen frames, each in a
# dump of its own, and the split is by the object the instructions ran in.
headless valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/callgrind.%p" \
    "$capture" --frames "${profile_frames#*:}" --input "$here/game.txt" \
    --profile-frames "$profile_frames" > /dev/null 2>&1
echo "steady-state frames ${profile_frames/:/ to }, instructions by where they ran:"
"$here/callgrind-split.pl" spintunnel-capture "$work"/callgrind.*.* | sed "s|$work/||"
