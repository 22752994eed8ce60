#!/bin/sh
# Counts the #include "folder/..." lines between the program's folders
# (tools/folders.txt; tests, benchmarks and fuzz targets are not counted),
# checks that they point down the groups that file gives, and finds the
# circles among them.
#
#   tools/layers.sh
#
# Prints one line per pair of folders, "from -> to  count", then each group
# of folders that reach one another, then every include that breaks the
# order. Fails when a folder includes one of a higher group, when two
# folders of one group include each other's files (the original windows
# excepted), or when a folder outside the original windows is on a circle.
set -eu
cd "$(dirname "$0")/.."
folders=$(grep -v -e '^#' -e '^$' tools/folders.txt)

tools/folders.sh program | while read -r d; do
    for f in "$d"/*.cpp "$d"/*.h; do
        [ -f "$f" ] || continue
        sed -n 's#^[[:space:]]*\#[[:space:]]*include[[:space:]]*"\([a-z0-9_]*\)/.*#\1#p' "$f" |
            while read -r to; do echo "$d $to $f"; done
    done
done | awk -v folders="$folders" '
    BEGIN {
        lines = split(folders, line, /\n/)
        n = 0
        for (i = 1; i <= lines; i++) {
            if (split(line[i], field, /[ \t]+/) < 2) continue
            name[++n] = field[1]
            known[field[1]] = n
            group[field[1]] = field[2]
            if (!(field[2] in rank)) rank[field[2]] = ++groups
        }
    }
    $1 != $2 && ($2 in known) {
        count[$1 " -> " $2]++
        reach[known[$1], known[$2]] = 1
        from = group[$1]; to = group[$2]
        if (rank[to] > rank[from])
            wrong[++bad] = $3 ": " $1 " (" from ") includes " $2 " (" to ")"
        else if (to == from && from != "windows")
            wrong[++bad] = $3 ": " $1 " includes " $2 ", both " from
    }
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
                    if (group[name[j]] != "windows") status = 1
                }
            }
            print "circle:" circle
        }
        for (i = 1; i <= bad; i++) print "against the order: " wrong[i] | "sort"
        close("sort")
        if (bad) status = 1
        if (status) print "layers: an include points up the groups of tools/folders.txt, joins two folders of one group, or closes a circle outside the original windows"
        exit status
    }'
