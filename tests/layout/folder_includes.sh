#!/usr/bin/env bash
# The game's folders stand on one another without loops: the shell on everything, the scene (with
# the game-wide state) under everything, and no folder below the shell reaching up into it. A header
# included the wrong way would tie a lower folder to the shell's windows and callbacks.
#
# usage: folder_includes.sh SOURCE_DIR
set -euo pipefail
src=${1:?usage: $0 SOURCE_DIR}/src
[[ -d $src/shell && -d $src/scene ]] || { echo "FAIL: no game sources in $src" >&2; exit 1; }

# "FOLDER INCLUDED_FOLDER" for every project include that crosses folders.
edges=$(cd "$src" && grep -rHoE '^#include "[a-z]+/' -- * |
    sed -E 's#^([a-z]+)/[^:]*:\#include "([a-z]+)/$#\1 \2#' | awk '$1 != $2' | sort -u)
[[ -n $edges ]] || { echo "FAIL: found no includes across folders, which cannot be right" >&2; exit 1; }
echo "folders and the folders they include:"
awk '{ a[$1] = a[$1] " " $2 } END { for (f in a) print "  " f ":" a[f] }' <<<"$edges" | sort

status=0
below_shell=$(awk '$2 == "shell" && $1 != "web"' <<<"$edges")
if [[ -n $below_shell ]]; then
    echo "FAIL: folders below the shell include its headers:" >&2
    (cd "$src" && for folder in $(awk '{ print $1 }' <<<"$below_shell"); do
        grep -rn '^#include "shell/' -- "$folder"
    done) >&2
    status=1
fi
if ! tsort <<<"$edges" >/dev/null 2>"${TMPDIR:-/tmp}/folder_includes.$$"; then
    echo "FAIL: folders include each other in a loop:" >&2
    cat "${TMPDIR:-/tmp}/folder_includes.$$" >&2
    status=1
fi
rm -f "${TMPDIR:-/tmp}/folder_includes.$$"
((status == 0)) && echo "ok: no folder reaches up, and the folders have no loop"
exit $status
