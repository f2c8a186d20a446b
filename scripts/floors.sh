#!/usr/bin/env bash
# The source folders stand on floors, and a file includes only from its own
# folder or from a floor below it:
#
#   0  timing/                       the frame clock, on the readings it is handed
#   1  core/                         the game record and its rules
#   2  assets/ render/ linux/ win32/ pictures, drawing; what both programs of a
#                                    desktop platform share
#   3  setup/                        the settings program's shared part and its dialogs
#   4  shell/                        the game's platforms, the frame they share,
#                                    the recording platform (its web form uses setup/'s texts)
#   5  tools/                        the data generator, replay and screenshot
#   6  tests/ bench/ fuzz/
#
# and timing/, core/, assets/ and render/ include no platform header (SDL,
# Windows, Emscripten, GTK). Checks every #include "FOLDER/..." of the
# sources git knows of; prints the folders' include graph, each arrow with
# its number of includes, and exits 1 naming every include that runs back up.
#   scripts/floors.sh [SOURCE]
set -euo pipefail
source_dir=${1:-$(dirname "$0")/..}
cd "$source_dir"

declare -A floor=([timing]=0 [core]=1 [assets]=2 [render]=2 [linux]=2 [win32]=2 [setup]=3 [shell]=4 [tools]=5
    [tests]=6 [bench]=6 [fuzz]=6)
portable='^(timing|core|assets|render)/'
platform_header='^#[[:space:]]*include[[:space:]]*<(windows\.h|SDL[^>]*|emscripten[^>]*|gtk/[^>]*)>'

wrong=0
declare -A arrows=()
while IFS= read -r -d '' file; do
    from=${file%%/*}
    [ "$from" != "$file" ] || continue  # the top folder's own files
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        if [[ "$file" =~ $portable && "$line" =~ $platform_header ]]; then
            echo "$file:$lineno: $from/ includes a platform header: $line"
            wrong=1
        fi
        [[ "$line" =~ ^#[[:space:]]*include[[:space:]]*\"([a-z0-9_]+)/ ]] || continue
        to=${BASH_REMATCH[1]}
        [ "$to" != "$from" ] || continue
        if [ -z "${floor[$from]:-}" ] || [ -z "${floor[$to]:-}" ]; then
            echo "$file:$lineno: no floor for $from/ or $to/: place the folder in scripts/floors.sh"
            wrong=1
        elif [ "${floor[$to]}" -ge "${floor[$from]}" ]; then
            echo "$file:$lineno: $from/ (floor ${floor[$from]}) includes $to/ (floor ${floor[$to]}): $line"
            wrong=1
        fi
        arrows[$from $to]=$((${arrows[$from $to]:-0} + 1))
    done <"$file"
done < <(git ls-files -z -- '*.cpp' '*.h' '*.rc' '*.rc.in')

echo "includes between folders (from -> to: count), by floor:"
for arrow in "${!arrows[@]}"; do
    set -- $arrow
    echo "  $1 (${floor[$1]:-?}) -> $2 (${floor[$2]:-?}): ${arrows[$arrow]}"
done | sort -t '(' -k2,2n -k1,1 -k3,3n
if [ "$wrong" != 0 ]; then
    echo "FAIL: includes above run back up a floor"
    exit 1
fi
echo "ok: no include runs back up a floor"
