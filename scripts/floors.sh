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
#      board/                        the board server, beside the shells: core/ and setup/'s texts
#   5  tools/                        the data generator, replay and screenshot
#   6  tests/ bench/ fuzz/
#
# Besides:
# - the platforms of shell/ and setup/ (their sub-folders: sdl/, win32/,
#   web/, headless/, gtk/) stand side by side: none includes another's files,
#   and the shared files above them include none;
# - timing/, core/, assets/, render/ and shell/'s shared files include no
#   platform or system header: the C++ standard library's, OpenGL's
#   (<GL/gl.h>, <GL/glu.h>) and those of the portable libraries named in
#   standard_header below (stb's) alone;
# - a CMake file compiles only its own folder's sources: another folder's
#   code comes through that folder's library. A project of its own (fuzz/,
#   built apart with its own compiler and instrumentation) may compile
#   another folder's sources by path, from a floor below its own.
#
# Checks every #include "FOLDER/..." and #include <...> of the sources git
# knows of, and the sources named in its CMake files; prints the folders'
# include graph, each arrow with its number of includes (and sources
# compiled by path), and exits 1 naming every fault; 2 when it cannot see
# the sources (SOURCE not the top of a git checkout).
#   scripts/floors.sh [SOURCE]
set -euo pipefail
source_dir=${1:-$(dirname "$0")/..}
cd "$source_dir"

# The sources are the files git lists: outside a checkout (a copy of the
# tree, an unpacked archive), or in a folder below its top, there would be
# none or only some of them to check, and a check that sees nothing passes.
cannot_check() {
    echo "FAIL: cannot check the floors: $*" >&2
    exit 2
}
command -v git >/dev/null || cannot_check "git is needed to list the sources"
top=$(git rev-parse --show-toplevel 2>/dev/null) || cannot_check "$PWD is not in a git checkout"
[ "$top" -ef . ] || cannot_check "$PWD is not the top of its git checkout ($top)"
[ -n "$(git ls-files -- '*.cpp' '*.h' | head -n1)" ] || cannot_check "git lists no sources in $PWD"

declare -A floor=([timing]=0 [core]=1 [assets]=2 [render]=2 [linux]=2 [win32]=2 [setup]=3 [shell]=4 [board]=4 [tools]=5
    [tests]=6 [bench]=6 [fuzz]=6)
portable='^(timing|core|assets|render)/|^shell/[^/]+$'
standard_header='^<([a-z_0-9]+|GL/glu?\.h|stb_[a-z_]+\.h)>$'

# The folder a path belongs to: its top folder, or for a platform of shell/
# or setup/ that sub-folder ("shell/sdl").
unit_of() {
    local top=${1%%/*} rest=${1#*/}
    if [[ "$top" =~ ^(shell|setup)$ && "$rest" == */* ]]; then
        echo "$top/${rest%%/*}"
    else
        echo "$top"
    fi
}

wrong=0
declare -A arrows=()

# --- Includes -------------------------------------------------------------
while IFS= read -r -d '' file; do
    from=${file%%/*}
    [ "$from" != "$file" ] || continue  # the top folder's own files
    from_unit=$(unit_of "$file")
    lineno=0
    while IFS= read -r line; do
        lineno=$((lineno + 1))
        if [[ "$file" =~ $portable && "$line" =~ ^#[[:space:]]*include[[:space:]]*(\<[^\>]*\>) ]] &&
            ! [[ "${BASH_REMATCH[1]}" =~ $standard_header ]]; then
            echo "$file:$lineno: $from_unit/ is portable and includes a platform or system header: $line"
            wrong=1
        fi
        [[ "$line" =~ ^#[[:space:]]*include[[:space:]]*\"(([a-z0-9_]+)/[^\"]*)\" ]] || continue
        to=${BASH_REMATCH[2]}
        to_unit=$(unit_of "${BASH_REMATCH[1]}")
        if [ "$to" = "$from" ]; then
            if [ "$to_unit" != "$from_unit" ] && [[ "$to_unit" == */* ]]; then
                echo "$file:$lineno: $from_unit/ includes another platform's $to_unit/: $line"
                wrong=1
            fi
            continue
        fi
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

# --- Sources compiled by path -------------------------------------------------
# The paths a CMake file names its sources by: the source folder's variables
# and the file's own one-word set(NAME VALUE); a path through any other
# variable is not followed.
while IFS= read -r -d '' cmake_file; do
    dir=$(dirname "$cmake_file")
    [ "$dir" != . ] || continue  # the top CMakeLists.txt compiles nothing
    from=${cmake_file%%/*}
    from_unit=$(unit_of "$cmake_file")
    own_project=0
    grep -Eq '^[[:space:]]*project[[:space:]]*\(' "$cmake_file" && own_project=1
    declare -A value=([CMAKE_CURRENT_SOURCE_DIR]=$dir [CMAKE_CURRENT_LIST_DIR]=$dir)
    if [ "$own_project" = 1 ]; then
        value[PROJECT_SOURCE_DIR]=$dir value[CMAKE_SOURCE_DIR]=$dir
    else
        value[PROJECT_SOURCE_DIR]=. value[CMAKE_SOURCE_DIR]=.
    fi
    while read -r name text; do
        value[$name]=$text
    done < <(sed -nE 's/^[[:space:]]*set\(([A-Za-z_0-9]+)[[:space:]]+([^[:space:]()"]+)\)[[:space:]]*$/\1 \2/p' "$cmake_file")
    while IFS=: read -r lineno source; do
        while [[ "$source" =~ \$\{([A-Za-z_0-9]+)\} && -n "${value[${BASH_REMATCH[1]}]:-}" ]]; do
            source=${source//"${BASH_REMATCH[0]}"/"${value[${BASH_REMATCH[1]}]}"}
        done
        [[ "$source" != *'${'* ]] || continue
        [[ "$source" == ./* || "$source" == "$dir"/* ]] || source=$dir/$source
        source=$(realpath -m --relative-to=. "$source")
        [[ "$source" != ../* ]] || continue
        to=${source%%/*}
        [ "$(unit_of "$source")" != "$from_unit" ] || continue
        if [ "$own_project" = 0 ]; then
            echo "$cmake_file:$lineno: $from_unit/ compiles $source by path: link its folder's library"
            wrong=1
        elif [ "$to" != "$from" ] && [ "${floor[$to]:-99}" -ge "${floor[$from]:-0}" ]; then
            echo "$cmake_file:$lineno: $from/ (floor ${floor[$from]:-?}) compiles $source (floor ${floor[$to]:-?})"
            wrong=1
        fi
        [ "$to" = "$from" ] || arrows[$from $to]=$((${arrows[$from $to]:-0} + 1))
    done < <(sed 's/^[[:space:]]*#.*//' "$cmake_file" | grep -noE '[^[:space:]()"]+\.(c|cc|cpp)\b' || true)
    unset value
done < <(git ls-files -z -- '*CMakeLists.txt' '*.cmake')

echo "includes between folders (from -> to: count), by floor:"
for arrow in "${!arrows[@]}"; do
    set -- $arrow
    echo "  $1 (${floor[$1]:-?}) -> $2 (${floor[$2]:-?}): ${arrows[$arrow]}"
done | sort -t '(' -k2,2n -k1,1 -k3,3n
if [ "$wrong" != 0 ]; then
    echo "FAIL: the faults above break the folders' floors"
    exit 1
fi
echo "ok: no include runs back up a floor or across platforms, no platform header in a portable folder, no source compiled by path"
