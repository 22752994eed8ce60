#!/bin/sh
# The folders of tools/folders.txt, from the repository root.
#
#   tools/folders.sh program   the program's own folders
#   tools/folders.sh all       those, their tests, the tests' support, the
#                              benchmarks and the fuzz targets: every folder
#                              of C++ the project keeps
set -eu
cd "$(dirname "$0")/.."
program=$(grep -v -e '^#' -e '^$' tools/folders.txt | awk '{print $1}')
case ${1:-program} in
    program) echo "$program" ;;
    all)
        echo "$program"
        echo tests/support
        for d in $program; do
            [ -d "tests/$d" ] && echo "tests/$d"
        done
        echo bench
        echo fuzz
        ;;
    *) echo "usage: $0 program|all" >&2; exit 2 ;;
esac
