#!/usr/bin/env bash
# Whatever is wrong with the command line, the input script or an output path is refused up front:
# exit status 2, one "spintunnel-capture: ..." line that says what is wrong, and not one picture
# written, not even of the frames that come before the fault would show.
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
capture_test_setup 180 "$@"

readonly OUT=$WORK/out
readonly MALFORMED=$CAPTURE_TEST_DIR/inputs/malformed.txt
readonly GOOD_SHOT=1:$OUT/frame1.png # a picture that must not appear either

# complaint_begins MESSAGE: the refused run's first line on standard error begins with MESSAGE.
complaint_begins() {
    local said
    said=$(head -n 1 "$WORK/refused.err")
    [[ $said == "spintunnel-capture: $1"* ]] || {
        echo "  said: $said" >&2
        return 1
    }
}

# expect_refusal WHAT MESSAGE ARGS...: MESSAGE is how the first line of the complaint must begin.
expect_refusal() {
    local what=$1 message=$2
    shift 2
    rm -rf "$OUT"
    mkdir -p "$OUT/a-folder"
    run_capture refused "$@"
    check "$what: exit status 2" exited_with 2
    check "$what: says '$message'" complaint_begins "$message"
    check "$what: prints nothing on standard output" [ ! -s "$WORK/refused.out" ]
    check "$what: writes no picture and no partial one" \
        [ -z "$(find "$OUT" -type f \( -name '*.png' -o -name '*.part' \) -print -quit)" ]
}

expect_refusal "no --frames" "--frames is required" --shot "$GOOD_SHOT"
expect_refusal "--frames 0" "--frames takes a whole number from 1 up, not '0'" \
    --frames 0 --shot "$GOOD_SHOT"
expect_refusal "a shot past the last frame" "--shot frame 6 is past the last frame" \
    --frames 5 --shot "$GOOD_SHOT" --shot "6:$OUT/frame6.png"
expect_refusal "a shot without its frame" "--shot takes FRAME:PATH.png, not '$OUT/frame1.png'" \
    --frames 5 --shot "$OUT/frame1.png"
expect_refusal "a missing input file" \
    "cannot read $WORK/no-such-input.txt: No such file or directory" \
    --frames 5 --input "$WORK/no-such-input.txt" --shot "$GOOD_SHOT"
expect_refusal "a folder as input" "cannot read $OUT/a-folder: Is a directory" \
    --frames 5 --input "$OUT/a-folder" --shot "$GOOD_SHOT"
expect_refusal "a malformed input line" \
    "$MALFORMED:4: mouse takes a button, down or up, X and Y" \
    --frames 5 --input "$MALFORMED" --shot "$GOOD_SHOT"
expect_refusal "a picture into a missing folder" "cannot write $OUT/missing/frame2.png" \
    --frames 5 --shot "$GOOD_SHOT" --shot "2:$OUT/missing/frame2.png"
expect_refusal "a picture onto a folder" "cannot write $OUT/a-folder: Is a directory" \
    --frames 5 --shot "$GOOD_SHOT" --shot "2:$OUT/a-folder"
expect_refusal "frame times into a missing folder" "cannot write $OUT/missing/times.txt" \
    --frames 5 --shot "$GOOD_SHOT" --frame-times "$OUT/missing/times.txt"

# The same request without the fault works, so the refusals above are the faults' doing.
rm -rf "$OUT"
mkdir -p "$OUT"
run_capture accepted --frames 5 --shot "$GOOD_SHOT" --shot "2:$OUT/frame2.png"
check "the same request without a fault succeeds" exited_with 0
check "... and writes its pictures" is_frame_picture "$OUT/frame1.png"
check "... and leaves no partial file" [ -z "$(find "$OUT" -name '*.part' -print -quit)" ]

finish
