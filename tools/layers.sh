#!/bin/sh
# Counts the #include "folder/..." lines between the program's folders
# (tools/folders.txt; tests, benchmarks and fuzz targets are not counted)
# and finds the circles among them.
#
#   tools/layers.sh
#
# Prints one line per pair of folders, "from -> to  count", then each group
# of folders that reach one another. Fails when a folder outside the
# original windows (play, menu, options, setup, title) is on a circle, or
# when any folder includes shell/, which sits on top of everything.
set -eu
cd "$(dirname "$0")/.."
folders=$(tools/folders.sh program)
windows="play menu options setup title"

for d in $folders; do
    for f in "$d"/*.cpp "$d"/*.h; do
        [ -f "$f" ] || continue
        sed -n 's#^[[:space:]]*\#[[:space:]]*include[[:space:]]*"\([a-z0-9_]*\)/.*#\1#p' "$f" |
            while read -r to; do echo "$d $to"; done
    done
done | awk -v folders="$folders" -v windows="$windows" '
    BEGIN {
        n = split(folders, name, /[ \n]+/)
        for (i = 1; i <= n; i++) known[name[i]] = i
        split(windows, w, / /)
        for (i in w) window[w[i]] = 1
    }
    $1 != $2 && ($2 in known) { count[$1 " -> " $2]++; reach[known[$1], known[$2]] = 1 }
    END {
        for (e in count) printf "%-22s %d\n", e, count[e] | "sort"
        close("sort")
        # Which folders reach which, through any number of includes.
        for (k = 1; k <= n; k++)
            for (i = 1; i <= n; i++)
                if (reach[i, k])
                    for (j = 1; j <= n; j++)
                        if (reach[k, j]) reach[i, j] = 1
        status = 0
        for (i = 1; i <= n; i++) {
            if (done[i] || !reach[i, i]) continue
            circle = ""
            for (j = 1; j <= n; j++) {
                if (reach[i, j] && reach[j, i]) {
                    done[j] = 1
                    circle = circle " " name[j]
                    if (!(name[j] in window)) status = 1
                }
            }
            print "circle:" circle
        }
        for (i = 1; i <= n; i++) {
            if (i != known["shell"] && reach[i, known["shell"]]) {
                print "includes shell/: " name[i]
                status = 1
            }
        }
        if (status) print "layers: a folder outside the original windows is on a circle, or reaches shell/"
        exit status
    }'
