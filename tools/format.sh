#!/bin/sh
# The format check (make format-check, and CI): clang-format --dry-run
# -Werror, with the checked-in .clang-format, over every C++ file of the
# folders tools/folders.sh lists. A C++ file the repository keeps outside
# those folders fails the check too, so that no folder is left out of it,
# of make lint, or of the build.
set -eu
cd "$(dirname "$0")/.."
dirs=$(tools/folders.sh all)

files=""
for d in $dirs; do
    for f in "$d"/*.cpp "$d"/*.h; do
        [ -f "$f" ] && files="$files $f"
    done
done

status=0
if command -v git >/dev/null 2>&1 && git rev-parse --git-dir >/dev/null 2>&1; then
    for f in $(git ls-files '*.cpp' '*.h'); do
        case " $files " in
            *" $f "*) ;;
            *) echo "$f: not in a folder of tools/folders.txt" >&2; status=1 ;;
        esac
    done
fi

echo "clang-format: $(echo $files | wc -w) files"
# shellcheck disable=SC2086
clang-format --dry-run -Werror $files || status=1
exit "$status"
