#!/usr/bin/env bash
# The game reads its two texture files from the folder it is started in and copes with whatever
# it finds there: it starts, keeps drawing, and its lit walls show whenever texturing is off. With
# texturing on, a wall texel that no file byte reached stays black and darkens its wall to black,
# so the textured tunnel is dark unless texture1.rgb holds a whole picture.
#
# usage: texture_files.sh GAME CASE   (GAME by absolute path, beside the real texture files)
#   CASE       what the game's folder holds                      textured tunnel
#   present    the real files (the control)                      lit
#   missing    no texture files                                  dark
#   empty      two empty files                                   dark
#   short      the first 100 bytes of each real file             dark
#   long       each real file and filler after it, 60000 bytes   lit
#   directory  folders named texture1.rgb and texture2.rgb       dark

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
rr_begin 100
game=${1:?usage: $0 GAME CASE}
case_name=${2:?usage: $0 GAME CASE}
[[ $game == /* && -x $game ]] || rr_fail "not a game by absolute path: $game"
real=$(dirname "$game")
[[ -r $real/texture1.rgb && -r $real/texture2.rgb ]] || rr_fail "no real textures beside $game"
RR_NAME+=.$case_name

folder=$RR_WORK/folder
mkdir "$folder" || rr_fail "cannot make $folder"
expect=dark
for name in texture1.rgb texture2.rgb; do
    case $case_name in
    present) cp "$real/$name" "$folder/$name" && expect=lit ;;
    missing) true ;;
    empty) : >"$folder/$name" ;;
    short) head -c 100 "$real/$name" >"$folder/$name" ;;
    long)
        { cat "$real/$name" && head -c $((60000 - 49152)) /dev/zero | tr '\0' '\377'; } >"$folder/$name"
        expect=lit
        ;;
    directory) mkdir "$folder/$name" ;;
    *) rr_fail "unknown case $case_name" ;;
    esac || rr_fail "could not prepare $folder/$name"
done
contents=$(cd "$folder" && find . -mindepth 1 -printf '%P (%s bytes, type %y), ' | sed 's/, $//')
rr_log "the game's folder holds: ${contents:-nothing}"
cd "$folder" || rr_fail "no folder $folder"

rel_start_display
rr_start_game "$game"
rel_wait_window
rr_wait_frames 2

# Untextured first: the lit walls prove the game draws, and that the tunnel stands, so that a
# dark textured picture afterwards cannot just be a tunnel not yet built.
rr_key t || rr_fail "xdotool could not send t"
rel_wait_share_above "$RR_WORK/plain.png" 0.30 60
rr_log "texturing off: non-black share $REL_SHARE"

# Orbs pass in front now and then, the green ones in their own built-in pattern; one close to the
# eye can fill much of the window. The darkest of a few textured pictures shows the walls.
rr_key t || rr_fail "xdotool could not send t"
textured_share=1
textured_mean=1
for shot in 1 2 3; do
    rr_wait_frames 3
    rr_screenshot "$RR_WORK/textured-$shot.png"
    share=$(rr_nonblack_share "$RR_WORK/textured-$shot.png")
    mean=$(rel_mean_brightness "$RR_WORK/textured-$shot.png")
    rr_log "texturing on, picture $shot: non-black share $share, mean brightness $mean"
    rr_num_gt "$textured_mean" "$mean" && textured_mean=$mean textured_share=$share
done

# Off again: the lit colours come back.
rr_key t || rr_fail "xdotool could not send t"
rr_wait_frames 3
rr_screenshot "$RR_WORK/plain-again.png"
plain_share=$(rr_nonblack_share "$RR_WORK/plain-again.png")
plain_mean=$(rel_mean_brightness "$RR_WORK/plain-again.png")
rr_log "texturing off again: non-black share $plain_share, mean brightness $plain_mean"
rr_num_gt "$plain_share" 0.30 || rr_fail "with texturing off again the walls stayed dark (share $plain_share)"

# A textured picture modulates the lit colours, so it is somewhat darker than the plain one even
# with the real files; black walls leave only the ship and the orbs, a few per cent of it.
quarter=$(awk -v m="$plain_mean" 'BEGIN { print m / 4 }')
if [[ $expect == lit ]]; then
    rr_num_gt "$textured_share" 0.30 || rr_fail "the textured tunnel is dark (share $textured_share), expected the picture"
    rr_num_gt "$textured_mean" "$quarter" ||
        rr_fail "the textured tunnel is too dark (mean $textured_mean against $plain_mean plain)"
else
    rr_num_gt "$quarter" "$textured_mean" ||
        rr_fail "the textured tunnel is not black (mean $textured_mean against $plain_mean plain)"
fi
rr_game_running || rr_fail "the game is no longer running"
rr_pass
