#!/usr/bin/env bash
# The game has no clock and an unseeded random source, so the same input at the same frames must
# give the same pictures, byte for byte, on every run.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 300 "$@"

readonly INPUT=$CAPTURE_TEST_DIR/inputs/busy.txt
readonly FRAMES=(60 145 200) # mid-spin with shots in flight, texturing back on, a burst

shots_for_run() {
    local frame
    for frame in "${FRAMES[@]}"; do
        printf -- '--shot %s:%s/run%s-frame%s.png ' "$frame" "$WORK" "$1" "$frame"
    done
}

for run in 1 2; do
    # shellcheck disable=SC2046 # the shot options are meant to split into words
    run_capture "run$run" --frames 200 --input "$INPUT" --stats --check-gl-errors \
        --frame-times "$WORK/run$run-times.txt" $(shots_for_run $run)
    check "run $run ends normally without GL errors" exited_with 0
done

for frame in "${FRAMES[@]}"; do
    first=$WORK/run1-frame$frame.png
    check "frame $frame is a whole $WINDOW_WIDTH x $WINDOW_HEIGHT picture" is_frame_picture "$first"
    check "frame $frame is identical in both runs" cmp "$first" "$WORK/run2-frame$frame.png"
done
# Identical pictures prove little if every frame looks the same.
check "the pictures change from frame to frame" \
    differ "$WORK/run1-frame60.png" "$WORK/run1-frame145.png"
check "frame 145 shows the world, not a blank window" \
    holds "$(lit_share "$WORK/run1-frame145.png") > 0.9"

stats=$WORK/run1.out
check "--stats counts every frame" grep -qx 'frames 200' "$stats"
for line in median_ms p99_ms fps p99_local_ratio; do
    value=$(awk -v key=$line '$1 == key { print $2 }' "$stats")
    check "--stats gives a positive $line ('$value')" holds "${value:-0} > 0"
done

# One line per frame, numbered in order, each with a time.
times=$WORK/run1-times.txt
check "--frame-times writes a line for each of the 200 frames" \
    holds "$(awk 'NF == 2 && $1 == NR && $2 > 0' "$times" | wc -l) == 200 && $(wc -l < "$times") == 200"
middle=$(sort -g -k2 "$times" | awk 'NR == 101 { print $2 }') # the median of 200, by nearest rank
median=$(awk '$1 == "median_ms" { print $2 }' "$stats")
check "--frame-times holds the frames --stats measured ($middle ~ $median ms)" \
    holds "${middle:-0} - ${median:-1} < 0.0006 && ${median:-1} - ${middle:-0} < 0.0006"

finish
