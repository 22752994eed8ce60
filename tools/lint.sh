#!/bin/sh
# clang-format and clang-tidy over the project's own code (make lint).
#
#   tools/lint.sh BUILD_DIR JOBS [SKIP...]
#
# BUILD_DIR holds the compile_commands.json clang-tidy works from. SKIP
# names files or folders left out, as paths from the repository root
# ("play", "sim/contestantpanel"); everything else of the project's folders
# is checked. Exits non-zero when either tool finds anything.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=$1
jobs=$2
shift 2

# Every folder of the project's own code (tools/folders.txt), and the
# headers .clang-tidy counts for an editor that runs it on its own.
dirs=$(tools/folders.sh all)
for d in $(tools/folders.sh program); do
    grep -q "HeaderFilterRegex:.*[(|]$d[|)]" .clang-tidy ||
        { echo ".clang-tidy: HeaderFilterRegex leaves out $d/" >&2; exit 1; }
done

skipped() {
    for s in $skip; do
        case $1 in "$s"/* | "$s".*) return 0 ;; esac
    done
    return 1
}

skip="$*"
sources=""
headers=""
for d in $dirs; do
    for f in "$d"/*.cpp "$d"/*.h; do
        [ -f "$f" ] || continue
        skipped "$f" && continue
        case $f in
            *.h) headers="$headers $f" ;;
            *) sources="$sources $f" ;;
        esac
    done
done

status=0
echo "clang-format: $(echo $sources $headers | wc -w) files"
# shellcheck disable=SC2086
clang-format --dry-run -Werror $sources $headers || status=1

# Files as run-clang-tidy takes them (regular expressions over the compile
# commands), and the headers whose findings count.
escape() { printf '%s' "$root/$1" | sed 's/[.[\*^$()+?{|]/\\&/g'; }
regexes=""
for f in $sources; do
    regexes="$regexes ^$(escape "$f")\$"
done
header_filter=""
for f in $headers; do
    header_filter="${header_filter:+$header_filter|}$(escape "$f")"
done
echo "clang-tidy: $(echo $sources | wc -w) files, with $build/compile_commands.json"
# shellcheck disable=SC2086
run-clang-tidy -p "$build" -j "$jobs" -quiet -header-filter "^($header_filter)\$" -extra-arg=-fno-color-diagnostics $regexes \
    >"$build/clang-tidy.log" 2>&1 || status=1
# The findings, without the progress lines and the count of suppressed
# warnings from outside the checked files.
grep -v -E '^(\[|clang-tidy(-[0-9]+)? |Running clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated|Suppressed [0-9]+ warnings|Use -header-filter|Enabled checks)' \
    "$build/clang-tidy.log" || true
if [ "$status" -ne 0 ]; then
    echo "make lint: problems found (clang-tidy's whole output: $build/clang-tidy.log)"
fi
exit "$status"
