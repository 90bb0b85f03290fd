# Writes the site's service worker: every file of the site to keep, and a cache named after a hash
# of them all, so each build that changes any file gets a cache of its own. Run with
# -DSITE=<folder of the site> -DTEMPLATE=<sw.js.in>, after everything else is in the site.
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(fingerprint "")
set(SITE_FILES "")
foreach(file ${files})
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND fingerprint "${file} ${hash}\n")
    string(APPEND SITE_FILES "  '${file}',\n")
endforeach()
string(SHA256 BUILD_HASH "${fingerprint}")
string(SUBSTRING ${BUILD_HASH} 0 16 BUILD_HASH)
string(REGEX REPLACE ",\n$" "" SITE_FILES "${SITE_FILES}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
