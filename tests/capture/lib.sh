# shellcheck shell=bash
# Variables set here are read by the tests that source this file.
# shellcheck disable=SC2034

# Shared by the capture tool's tests: a private X server, a deadline on everything, clean-up of
# every process a test starts, simple checks, and the few pixel and GL-trace measurements the tests
# make. A test sources this file and calls `capture_test_setup SECONDS "$@"` before anything else.

set -euo pipefail

CAPTURE_TEST_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly CAPTURE_TEST_DIR
readonly WINDOW_WIDTH=640
readonly WINDOW_HEIGHT=480
readonly RUN_DEADLINE=120 # seconds for any one run of the game or the capture tool

# ---------------------------------------------------------------------------------------------
# Setup, deadlines and clean-up

# Arguments after SECONDS: the capture tool, then the live game. Re-runs the calling script under
# an X server of its own; timeout puts that server, the script and everything it starts in one
# process group and ends all of them if the test outlives SECONDS.
capture_test_setup() {
    local deadline=$1
    shift
    if [[ -z ${CAPTURE_TEST_UNDER_XVFB:-} ]]; then
        local tool
        for tool in xvfb-run timeout perl awk convert identify cmp apitrace xdotool; do
            if ! command -v "$tool" >/dev/null; then
                echo "SKIP: $tool is not installed" >&2
                exit 77
            fi
        done
        local status=0
        CAPTURE_TEST_UNDER_XVFB=1 timeout --kill-after=10 "$deadline" \
            xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@" || status=$?
        if ((status == 124 || status == 137)); then
            echo "FAIL: the test ran past its deadline of ${deadline}s" >&2
        fi
        exit "$status"
    fi
    CAPTURE=${1:?usage: $0 CAPTURE_TOOL GAME}
    GAME=${2:?usage: $0 CAPTURE_TOOL GAME}
    [[ -x $CAPTURE && -x $GAME ]] || die "not executable: $CAPTURE or $GAME"
    [[ -r texture1.rgb && -r texture2.rgb ]] || die "run from the build folder: no textures in $PWD"
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/spintunnel-capture-test.XXXXXX")
    STARTED_GROUPS=()
    trap cleanup EXIT
    trap 'exit 143' TERM INT
}

# Ends every process group this test started, then removes its files. Set KEEP_WORK=1 to keep them
# for a look after a failure.
cleanup() {
    local group
    for group in "${STARTED_GROUPS[@]}"; do
        kill -TERM -- "-$group" 2>/dev/null || true
    done
    # A traced program flushes its trace before it goes; give it a while, then insist.
    local deadline=$((SECONDS + 10))
    for group in "${STARTED_GROUPS[@]}"; do
        wait "$group" 2>/dev/null || true
        while group_alive "$group" && ((SECONDS < deadline)); do
            sleep 0.1
        done
        kill -KILL -- "-$group" 2>/dev/null || true
    done
    if [[ -n ${KEEP_WORK:-} ]]; then
        echo "files kept in $WORK"
    else
        rm -rf "$WORK"
    fi
}

# group_alive PGID: a process of that group is still running (one that has ended does not count).
group_alive() {
    ps -e -o pgid=,stat= | awk -v group="$1" '$1 == group && $2 !~ /^Z/ { alive = 1 }
                                              END { exit !alive }'
}

# Starts a command in the background in a process group of its own, so that clean-up can end it and
# whatever it started (apitrace starts the traced program as a child). Sets STARTED_PID.
start_in_background() {
    setsid "$@" &
    STARTED_PID=$!
    STARTED_GROUPS+=("$STARTED_PID")
}

# Waits up to SECONDS for a background process to end; sets STARTED_STATUS to its exit status.
wait_with_deadline() {
    local pid=$1 seconds=$2
    local deadline=$((SECONDS + seconds))
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || die "process $pid still running after ${seconds}s"
        sleep 0.1
    done
    STARTED_STATUS=0
    wait "$pid" || STARTED_STATUS=$?
}

# run_capture NAME ARGS...: one run of the capture tool; status in RUN_STATUS, output in
# $WORK/NAME.out and $WORK/NAME.err.
run_capture() {
    local name=$1
    shift
    RUN_STATUS=0
    timeout --kill-after=5 "$RUN_DEADLINE" "$CAPTURE" "$@" \
        >"$WORK/$name.out" 2>"$WORK/$name.err" || RUN_STATUS=$?
}

# run_capture_traced NAME ARGS...: the same under apitrace, which writes $WORK/NAME.trace.
run_capture_traced() {
    local name=$1
    shift
    RUN_STATUS=0
    timeout --kill-after=5 "$RUN_DEADLINE" apitrace trace -o "$WORK/$name.trace" "$CAPTURE" "$@" \
        >"$WORK/$name.out" 2>"$WORK/$name.err" || RUN_STATUS=$?
}

# ---------------------------------------------------------------------------------------------
# Checks

FAILURES=0

die() {
    echo "FAIL: $*" >&2
    exit 1
}

# check DESCRIPTION COMMAND...: the command's success is the check's.
check() {
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAIL: $description" >&2
        FAILURES=$((FAILURES + 1))
    fi
}

# holds EXPRESSION: an awk expression over numbers, such as "3.5 < 4 && 2 > 1".
holds() {
    awk "BEGIN { exit !($1) }" || {
        echo "  not so: $1" >&2
        return 1
    }
}

# exited_with STATUS: the latest run_capture ended with STATUS.
exited_with() {
    [[ $RUN_STATUS -eq $1 ]] || {
        echo "  exit status was $RUN_STATUS" >&2
        return 1
    }
}

# differ FILE_A FILE_B: the files are not byte for byte the same.
differ() {
    ! cmp -s "$1" "$2"
}

finish() {
    if ((FAILURES > 0)); then
        echo "$FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# ---------------------------------------------------------------------------------------------
# Pixels. Frames are read as raw 8-bit RGB, top row first.

# The green orb is the only green thing in the picture above the ship: the tunnel's colours have
# green equal to blue, shots are blue, the other orbs red. A pixel counts as orb green when green
# leads both other channels by a few steps, which holds deep into the fog.
# shellcheck disable=SC2016 # perl's own variables
readonly PIXELS_PERL='
use strict; use warnings;
sub load {
    my ($file) = @_;
    open(my $in, "-|", "convert", $file, "-depth", "8", "rgb:-") or die "convert $file: $!";
    binmode $in; local $/; my $raw = <$in>; close $in or die "convert $file failed";
    return [unpack("C*", $raw)];
}
my ($what, @args) = @ARGV;
my $width = 640;
if ($what eq "green") {            # IMAGE CX CY ROWS: orb-green pixels in the top ROWS rows
    my ($file, $cx, $cy, $rows) = @args;
    my $p = load($file);
    my ($count, $sx, $sy, $far) = (0, 0, 0, 0);
    for (my $i = 0; $i < $width * $rows; $i++) {
        my ($r, $g, $b) = @$p[3 * $i .. 3 * $i + 2];
        next unless $g >= $r + 5 && $g >= $b + 5;
        my ($x, $y) = ($i % $width, int($i / $width));
        $count++; $sx += $x; $sy += $y;
        my $d = sqrt(($x - $cx) ** 2 + ($y - $cy) ** 2);
        $far = $d if $d > $far;
    }
    printf "%d %.1f %.1f %.1f\n", $count, $count ? $sx / $count : -1, $count ? $sy / $count : -1,
        $far;
} elsif ($what eq "lit") {         # IMAGE: share of pixels that are not black
    my $p = load($args[0]);
    my $lit = 0;
    for (my $i = 0; $i < @$p; $i += 3) {
        my ($r, $g, $b) = @$p[$i .. $i + 2];
        $lit++ if $r >= 4 || $g >= 4 || $b >= 4;
    }
    printf "%.4f\n", 3 * $lit / @$p;
} elsif ($what eq "versus") {      # A B: pixels of A brighter than B, mean brightness, detail
    my ($a, $b) = (load($args[0]), load($args[1]));
    my ($brighter, $meanA, $meanB, $detailA, $detailB) = (0, 0, 0, 0, 0);
    my ($lastA, $lastB) = (0, 0);
    my $n = @$a / 3;
    for (my $i = 0; $i < $n; $i++) {
        my $la = $a->[3 * $i] + $a->[3 * $i + 1] + $a->[3 * $i + 2];
        my $lb = $b->[3 * $i] + $b->[3 * $i + 1] + $b->[3 * $i + 2];
        $brighter++ if $la > $lb + 6;
        $meanA += $la / 3; $meanB += $lb / 3;
        if ($i % $width) { $detailA += abs($la - $lastA) / 3; $detailB += abs($lb - $lastB) / 3; }
        ($lastA, $lastB) = ($la, $lb);
    }
    printf "%d %.2f %.2f %.3f %.3f\n", $brighter, $meanA / $n, $meanB / $n, $detailA / $n,
        $detailB / $n;
} else { die "unknown measurement $what" }
'

# green_pixels IMAGE CX CY ROWS -> "COUNT MEAN_X MEAN_Y FARTHEST_FROM_(CX,CY)"
green_pixels() { perl -e "$PIXELS_PERL" green "$@"; }
# lit_share IMAGE -> share of pixels with any channel at 4 or more
lit_share() { perl -e "$PIXELS_PERL" lit "$@"; }
# brightness_versus A B -> "PIXELS_OF_A_BRIGHTER MEAN_A MEAN_B DETAIL_A DETAIL_B" (0..255 scale;
# detail is the mean step between neighbouring pixels of a row)
brightness_versus() { perl -e "$PIXELS_PERL" versus "$@"; }

# is_frame_picture PNG: a whole 640 x 480 picture.
is_frame_picture() {
    [[ -s $1 && $(identify -format '%m %w %h' "$1") == "PNG $WINDOW_WIDTH $WINDOW_HEIGHT" ]]
}

# ---------------------------------------------------------------------------------------------
# Where the game puts things, from its rules

# The first enemy of every game, untouched by input: a green orb spawned in frame 118 at this x and
# y, at depth -scrollZ(117) - 20, with scrollZ(frame) = frame * 0.2 - 24.
readonly ORB_X=-2.0958
readonly ORB_Y=-0.1335
readonly ORB_SPAWN_FRAME=118
ORB_Z=$(awk -v f=$ORB_SPAWN_FRAME 'BEGIN { print -((f - 1) * 0.2 - 24) - 20 }')
readonly ORB_Z

# orb_on_screen SPIN FRAME -> "X Y RADIUS": the first orb's centre in window pixels (top row 0) and
# its radius in pixels, seen through the game's view: the world turned by SPIN degrees
# counter-clockwise, lifted by 1, scrolled by scrollZ(FRAME), and projected with a 100 degree
# vertical field of view onto the 640 x 480 window.
orb_on_screen() {
    awk -v x=$ORB_X -v y=$ORB_Y -v z="$ORB_Z" -v spin="$1" -v frame="$2" \
        -v w=$WINDOW_WIDTH -v h=$WINDOW_HEIGHT 'BEGIN {
        pi = atan2(0, -1); a = spin * pi / 180
        vx = x * cos(a) - y * sin(a); vy = x * sin(a) + y * cos(a) + 1; vz = z + frame * 0.2 - 24
        f = cos(50 * pi / 180) / sin(50 * pi / 180)
        printf "%.1f %.1f %.1f\n", w / 2 * (1 + f * h / w * vx / -vz), h / 2 * (1 - f * vy / -vz),
            h / 2 * f / -vz
    }'
}

# ---------------------------------------------------------------------------------------------
# GL traces

# gl_course TRACE: every glRotatef, glTranslatef and glColor3f of the game, one per line, each
# prefixed with the number of the frame it belongs to (frames end at glXSwapBuffers). Together
# they fix the spin, every scroll, band colour, shot and orb placement and every burst.
gl_course() {
    apitrace dump --color=never --call-nos=no --arg-names=no \
        --grep='^(glRotatef|glTranslatef|glColor3f|glXSwapBuffers)$' "$1" |
        awk 'BEGIN { frame = 1 } /^glXSwapBuffers/ { frame++; next } NF { print frame ": " $0 }'
}

# frames_in TRACE: the number of buffer swaps.
frames_in() {
    apitrace dump --color=never --call-nos=no --grep='^glXSwapBuffers$' "$1" |
        awk '/^glXSwapBuffers/ { n++ } END { print n + 0 }'
}

# green_orb_bursts TRACE -> "FRAME RADIUS" for every frame that draws a green orb: the distance by
# which its first wedge is moved out (0 for an untouched orb).
green_orb_bursts() {
    apitrace dump --color=never --call-nos=no --arg-names=no \
        --grep='^(glTranslatef|glColor3f|glXSwapBuffers)$' "$1" |
        awk -F'[(), ]+' '
            BEGIN { frame = 1 }
            /^glXSwapBuffers/ { frame++; next }
            /^glColor3f\(0\.2, 0\.7, 0\.2\)/ { green = 1; next }
            green && /^glTranslatef/ { printf "%d %.6g\n", frame, sqrt($2 * $2 + $3 * $3); green = 0 }'
}
