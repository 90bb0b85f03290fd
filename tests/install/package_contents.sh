#!/usr/bin/env bash
# The Debian package lays the game out like Debian's own games under /usr, with sane owners and
# modes, a stripped program, the GLUT, GL and GLU libraries among its dependencies, and nothing
# lintian calls an error or a warning.
#
# usage: package_contents.sh CPACK BUILD_DIR VERSION

# shellcheck source-path=SCRIPTDIR source=../realrender/lib.sh
. "$(dirname "$0")/../realrender/lib.sh"
cpack=${1:?usage: $0 CPACK BUILD_DIR VERSION}
build=${2:?usage: $0 CPACK BUILD_DIR VERSION}
version=${3:?usage: $0 CPACK BUILD_DIR VERSION}
rr_require_tools dpkg-deb file lintian
RR_WORK=$(mktemp -d "${TMPDIR:-/tmp}/spintunnel-$RR_NAME.XXXXXX") || rr_fail "cannot make a work folder"
trap rr_cleanup EXIT

# Packed into the work folder so that the build folder's own package is left alone.
"$cpack" -G DEB -B "$RR_WORK" --config "$build/CPackConfig.cmake" >"$RR_WORK/cpack.log" 2>&1 ||
    rr_fail "cpack failed: $(tail -n 5 "$RR_WORK/cpack.log")"
debs=("$RR_WORK"/spintunnel_*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f ${debs[0]} ]]; then
    rr_fail "cpack made no single spintunnel_*.deb: ${debs[*]}"
fi
deb=${debs[0]}
rr_log "built ${deb##*/}"

[[ $(dpkg-deb -f "$deb" Package) == spintunnel ]] || rr_fail "package name $(dpkg-deb -f "$deb" Package)"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] ||
    rr_fail "package version $(dpkg-deb -f "$deb" Version), expected the project's $version"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || rr_fail "section $(dpkg-deb -f "$deb" Section), expected games"

# Debian's names for freeglut's, GLU's and GL's libraries, in whatever version the build machine
# has: GL either as one library or as the vendor-neutral dispatch libraries.
depends=$(dpkg-deb -f "$deb" Depends)
rr_log "Depends: $depends"
names=$(awk -F '[,|]' '{ for (i = 1; i <= NF; i++) { split($i, word, " "); print word[1] } }' <<<"$depends")
for library in 'libglut[0-9.]+|freeglut3' 'libglu1(-mesa)?' 'libgl1|libopengl0'; do
    grep -qxE -- "$library" <<<"$names" || rr_fail "Depends names no package matching $library: $depends"
done

dpkg-deb -c "$deb" >"$RR_WORK/contents" || rr_fail "dpkg-deb cannot list the package"
# mode path, for each entry, paths without the leading "."
awk '{ print $1, substr($6, 2) }' "$RR_WORK/contents" >"$RR_WORK/modes"
expected=(
    '-rwxr-xr-x /usr/games/spintunnel'
    '-rwxr-xr-x /usr/lib/games/spintunnel/spintunnel'
    '-rw-r--r-- /usr/share/games/spintunnel/texture1.rgb'
    '-rw-r--r-- /usr/share/games/spintunnel/texture2.rgb'
    '-rw-r--r-- /usr/share/applications/spintunnel.desktop'
    '-rw-r--r-- /usr/share/icons/hicolor/256x256/apps/spintunnel.png'
    '-rw-r--r-- /usr/share/metainfo/org.spintunnel.spintunnel.metainfo.xml'
    '-rw-r--r-- /usr/share/man/man6/spintunnel.6.gz'
    '-rw-r--r-- /usr/share/doc/spintunnel/copyright'
    '-rw-r--r-- /usr/share/doc/spintunnel/changelog.gz'
)
for entry in "${expected[@]}"; do
    grep -qxF -- "$entry" "$RR_WORK/modes" ||
        rr_fail "missing '$entry'; the package holds: $(grep -F "${entry#* }" "$RR_WORK/modes" || echo nothing there)"
done
# Nothing more than those files, every folder 0755, everything owned by root.
files=$(grep -vc '^d' "$RR_WORK/modes")
((files == ${#expected[@]})) || rr_fail "the package holds $files files, expected ${#expected[@]}: $(grep -v '^d' "$RR_WORK/modes")"
odd_dirs=$(awk '/^d/ && $1 != "drwxr-xr-x"' "$RR_WORK/modes")
[[ -z $odd_dirs ]] || rr_fail "folders not 0755: $odd_dirs"
odd_owners=$(awk '$2 != "root/root"' "$RR_WORK/contents")
[[ -z $odd_owners ]] || rr_fail "entries not owned by root: $odd_owners"
outside=$(awk '$2 != "/" && $2 !~ /^\/usr\//' "$RR_WORK/modes")
[[ -z $outside ]] || rr_fail "entries outside /usr: $outside"
size=$(awk '$6 ~ /texture1\.rgb$/ { print $3 }' "$RR_WORK/contents")
[[ $size == 49152 ]] || rr_fail "texture1.rgb packed with $size bytes, expected 49152"
rr_log "layout, modes and owners as Debian keeps a game"

dpkg-deb -x "$deb" "$RR_WORK/root" || rr_fail "dpkg-deb cannot unpack the package"
kind=$(file -b "$RR_WORK/root/usr/lib/games/spintunnel/spintunnel")
[[ $kind == *", stripped"* ]] || rr_fail "the packed program is not stripped: $kind"

# Errors and warnings only: the informational and experimental findings are known and listed in
# the README.
lintian --fail-on error,warning "$deb" >"$RR_WORK/lintian.log" 2>&1 ||
    rr_fail "lintian: $(grep -E '^[EW]:' "$RR_WORK/lintian.log" || tail -n 5 "$RR_WORK/lintian.log")"
rr_log "lintian finds no errors or warnings"
rr_pass
