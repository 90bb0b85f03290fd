#!/usr/bin/env bash
# The installed tree works from any prefix and any working directory: every file lands where a
# Debian game keeps it, the desktop entry, metadata and manual page pass their validators, and the
# command starts the game in its data folder (textured walls, not the black ones of missing
# textures), titled "spintunnel", while a recording named relative to the caller lands with the
# caller.
#
# usage: install_prefix.sh CMAKE BUILD_DIR

# shellcheck source-path=SCRIPTDIR source=../realrender/lib.sh
. "$(dirname "$0")/../realrender/lib.sh"
cmake=${1:?usage: $0 CMAKE BUILD_DIR}
build=${2:?usage: $0 CMAKE BUILD_DIR}
rr_begin 150
rr_require_tools desktop-file-validate appstreamcli man col file gzip

# Lit, textured walls are grey and fill nearly the whole window. With the textures missing they
# stay black and only the ship and the orbs show; a green orb passing close to the viewer can
# fill half the window on its own, so green pixels do not count as wall.
wall='r + g + b > 0.03 && g < r + b'
wall_share=0.5

prefix=$RR_WORK/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$RR_WORK/install.log" 2>&1 ||
    rr_fail "cmake --install failed: $(tail -n 5 "$RR_WORK/install.log")"

command=$prefix/games/spintunnel
program=$prefix/lib/games/spintunnel/spintunnel
data=$prefix/share/games/spintunnel
[[ -f $command && -x $command ]] || rr_fail "no executable command at games/spintunnel"
[[ -f $program && -x $program ]] || rr_fail "no executable program at lib/games/spintunnel/spintunnel"
[[ $(file -b "$program") == ELF* ]] || rr_fail "lib/games/spintunnel/spintunnel is not a program: $(file -b "$program")"
for texture in texture1.rgb texture2.rgb; do
    # Raw 128 x 128 RGB pixels.
    size=$(stat -c %s "$data/$texture" 2>/dev/null) || rr_fail "no $texture in share/games/spintunnel"
    ((size == 128 * 128 * 3)) || rr_fail "$texture holds $size bytes, expected $((128 * 128 * 3))"
done
for doc in copyright changelog.gz; do
    [[ -s $prefix/share/doc/spintunnel/$doc ]] || rr_fail "no share/doc/spintunnel/$doc"
done
rr_log "command, program, textures and documents in place"

desktop=$prefix/share/applications/spintunnel.desktop
desktop-file-validate "$desktop" >"$RR_WORK/desktop.log" 2>&1 ||
    rr_fail "desktop entry does not validate: $(head -n 5 "$RR_WORK/desktop.log")"
# The entry must start the installed command and name the installed icon.
grep -qx 'Exec=spintunnel' "$desktop" || rr_fail "the desktop entry does not run the spintunnel command"
grep -qx 'Icon=spintunnel' "$desktop" || rr_fail "the desktop entry does not name the spintunnel icon"
icon=$prefix/share/icons/hicolor/256x256/apps/spintunnel.png
[[ $(file -b "$icon" 2>/dev/null) == "PNG image data, 256 x 256,"* ]] ||
    rr_fail "the icon is not a 256 x 256 PNG: $(file -b "$icon" 2>&1)"

metainfo=$prefix/share/metainfo/org.spintunnel.spintunnel.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$RR_WORK/appstream.log" 2>&1 ||
    rr_fail "metainfo does not validate: $(tail -n 5 "$RR_WORK/appstream.log")"
rr_log "desktop entry, icon and metainfo valid"

manpage=$prefix/share/man/man6/spintunnel.6.gz
gzip -t "$manpage" 2>/dev/null || rr_fail "no gzipped man page at share/man/man6/spintunnel.6.gz"
MANWIDTH=200 man --warnings -l "$manpage" 2>"$RR_WORK/man.warnings" | col -b >"$RR_WORK/man.txt" ||
    rr_fail "man could not render the page"
[[ ! -s $RR_WORK/man.warnings ]] || rr_fail "the man page renders with warnings: $(head -n 3 "$RR_WORK/man.warnings")"
# Every control, the quit status, the recording variable and the files the game reads.
for phrase in 'Left arrow' 'Right arrow' 'Down arrow' 'Space' 'Mouse movement' 'left mouse button' \
    'SPINTUNNEL_RECORD' 'texture1.rgb' 'texture2.rgb' '42'; do
    grep -qF -- "$phrase" "$RR_WORK/man.txt" || rr_fail "the man page never mentions '$phrase'"
done
for key in z x c t q; do
    grep -qE "^[[:space:]]*(.* or )?$key([[:space:]]|\$)" "$RR_WORK/man.txt" || rr_fail "the man page lists no '$key' key"
done
rr_log "man page renders and documents the controls"

rr_start_display

# Control: the program started directly from an empty folder finds no textures, so its walls
# stay black and the window stays below the threshold the installed command must pass.
mkdir "$RR_WORK/empty" || rr_fail "cannot make an empty folder"
cd "$RR_WORK/empty" || rr_fail "cannot enter $RR_WORK/empty"
rr_start_game "$program"
rr_wait_window
rr_wait_frames 3
rr_screenshot "$RR_WORK/control.png"
share=$(rr_share_where "$RR_WORK/control.png" "$wall")
rr_num_gt "$share" "$wall_share" &&
    rr_fail "without textures $share of the window already looks like wall; the check cannot tell them apart"
rr_log "without textures: wall share $share"
rr_stop_group "$RR_GAME_PID"
RR_GAME_PID=

# The installed command from a different folder, with a recording named relative to it.
mkdir "$RR_WORK/caller" || rr_fail "cannot make the caller's folder"
cd "$RR_WORK/caller" || rr_fail "cannot enter $RR_WORK/caller"
export SPINTUNNEL_RECORD=rel.txt
rr_start_game "$command"
unset SPINTUNNEL_RECORD
# The window is titled with the name the player types, not the program's path.
# shellcheck disable=SC2034 # read by rr_wait_window
RR_GAME_TITLE=spintunnel
rr_wait_window

shot=$RR_WORK/installed.png
rr_deadline 60
while :; do
    rr_screenshot "$shot"
    share=$(rr_share_where "$shot" "$wall")
    rr_num_gt "$share" "$wall_share" && break
    rr_game_running || rr_fail "the installed game exited before drawing the tunnel"
    ((SECONDS < RR_DEADLINE)) ||
        rr_fail "wall share stayed at $share (want > $wall_share): textures not found from the data folder"
    sleep 0.2
done
rr_log "installed command shows the textured tunnel: wall share $share"

rr_key z || rr_fail "xdotool could not send z"
rr_deadline 30
until grep -v '^#' rel.txt 2>/dev/null | grep -q 'z'; do
    rr_game_running || rr_fail "the game exited before recording the key"
    ((SECONDS < RR_DEADLINE)) || rr_fail "no recording of z in the caller's folder within $RR_SPAN s"
    sleep 0.1
done
[[ ! -e $data/rel.txt ]] || rr_fail "the recording also landed in the data folder"
rr_log "the recording landed in the caller's folder"

# The command hands the game's own exit status back.
rr_key q
rr_wait_exit 30
[[ $RR_EXIT_STATUS == 42 ]] || rr_fail "q ended the installed game with status $RR_EXIT_STATUS, expected 42"
rr_pass
