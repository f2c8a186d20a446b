#!/usr/bin/env bash
# The packages built from one commit are the same, byte for byte, wherever
# and whenever they are built: the sources as they are now (the commit plus
# any uncommitted change) are checked out again into a fresh folder of
# another name and length, configured, built from nothing and packaged there;
# compared: the Debian package of BUILD and, when a Windows build folder is
# given, its zip and installer, which must be up to date (cpack in their
# build folders).
#   reproducible.sh SOURCE BUILD [WINDOWS_BUILD]
# builds again now, minutes after the packages under test, and compares.
#   reproducible.sh --build-again SOURCE FOLDER [windows]
# only makes the second build, in FOLDER, the way the presets build (the
# Windows one too with "windows"); with
# KORVADA_BUILT_AGAIN=FOLDER the comparison then takes it from there
# (scripts/test.sh makes it beside its own builds, a build's worth of time
# saved in its tests).
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
# cache BUILD NAME: the value BUILD was configured with.
cache() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }

# build_again SOURCE FOLDER BUILD WINDOWS_BUILD: the sources again in FOLDER,
# built into its build/ (and build-win64/, with a WINDOWS_BUILD) with the
# options BUILD (WINDOWS_BUILD) was configured with; "-" for the presets' own.
build_again() {
    local source_dir=$1 again=$2 build=${3#-} windows=$4 copy file
    # Never the caller's time: the packages take theirs from the commit. And
    # never the objects of the first build: a compiler cache (ccache, when
    # the caller compiles through it) of its own, empty, so that the second
    # build compiles everything, by the command lines the first one did
    # (ccache's base_dir rewrites the source paths it gives the compiler, and
    # the debug information names them).
    unset SOURCE_DATE_EPOCH
    export CCACHE_DIR="$again/ccache"
    copy="$again/sources of korvada"
    git clone -q --shared --no-checkout "$source_dir" "$copy"
    git -C "$copy" checkout -q "$(git -C "$source_dir" rev-parse HEAD)"
    while IFS= read -r -d '' file; do
        if [ -e "$source_dir/$file" ]; then
            (cd "$source_dir" && cp --parents -t "$copy" "$file")
        else
            rm -f "$copy/$file"
        fi
    done < <(git -C "$source_dir" ls-files -z -m -o --exclude-standard)
    echo "sources: $(git -C "$copy" log -1 --format='%h of %ci') in $copy"

    local options=(-DKORVADA_TESTS=OFF)
    [ -n "$build" ] && options+=(-DCMAKE_BUILD_TYPE="$(cache "$build" CMAKE_BUILD_TYPE)"
        -DKORVADA_HOMEPAGE="$(cache "$build" KORVADA_HOMEPAGE)" -DKORVADA_MAINTAINER="$(cache "$build" KORVADA_MAINTAINER)")
    (cd "$copy" && cmake --preset linux "${options[@]}") >"$again/configure.log" || fail "configure failed: $again/configure.log"
    cmake --build "$copy/build" -j2 >"$again/build.log" 2>&1 || { tail -20 "$again/build.log"; fail "build failed"; }
    (cd "$copy/build" && cpack -G DEB >"$again/cpack.log") || fail "cpack failed"
    if [ -n "$windows" ]; then
        # The packages hold no test program or tool.
        options=(-DKORVADA_TESTS=OFF)
        [ "$windows" != - ] && options+=(-DKORVADA_HOMEPAGE="$(cache "$windows" KORVADA_HOMEPAGE)"
            -DKORVADA_MAINTAINER="$(cache "$windows" KORVADA_MAINTAINER)")
        (cd "$copy" && cmake --preset win64 "${options[@]}" >"$again/configure-windows.log") ||
            fail "configure of the Windows build failed"
        cmake --build "$copy/build-win64" -j2 >"$again/build-windows.log" 2>&1 ||
            { tail -20 "$again/build-windows.log"; fail "Windows build failed"; }
        (cd "$copy/build-win64" && cpack >"$again/cpack-windows.log") || fail "cpack of the Windows build failed"
    fi
    git -C "$source_dir" rev-parse HEAD >"$again/commit"
}

if [ "$1" = --build-again ]; then
    mkdir -p "$3"
    build_again "$(realpath "$2")" "$(realpath "$3")" - "${4:+-}"
    exit 0
fi

source_dir=$(realpath "$1")
build=$(realpath "$2")
windows=${3:+$(realpath "$3")}
version=$(cache "$build" CMAKE_PROJECT_VERSION)
# Each package under test, and where the second build makes it.
packages=("$build/korvada_${version}_amd64.deb")
rebuilt=(build/korvada_${version}_amd64.deb)
# The board's package, made by the same cpack beside the game's.
if [ -f "$build/korvada-board_${version}_amd64.deb" ]; then
    packages+=("$build/korvada-board_${version}_amd64.deb")
    rebuilt+=(build/korvada-board_${version}_amd64.deb)
fi
if [ -n "$windows" ]; then
    packages+=("$windows/Korvada-$version-win64.zip" "$windows/Korvada-$version-win64-setup.exe")
    rebuilt+=("build-win64/Korvada-$version-win64.zip" "build-win64/Korvada-$version-win64-setup.exe")
fi
for package in "${packages[@]}"; do
    [ -f "$package" ] || fail "no $package: run cpack in its build folder"
done

if [ -n "${KORVADA_BUILT_AGAIN:-}" ]; then
    again=$(realpath "$KORVADA_BUILT_AGAIN")
    [ "$(cat "$again/commit" 2>/dev/null)" = "$(git -C "$source_dir" rev-parse HEAD)" ] ||
        fail "$again holds no second build of this commit"
    [ -z "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ] ||
        fail "the sources have changed since $again was built: unset KORVADA_BUILT_AGAIN to build again now"
    echo "sources: built again beside the first build, in $again"
else
    again=$(mktemp -d "${TMPDIR:-/tmp}/korvada-built-again.XXXXXX")
    trap 'rm -rf "$again"' EXIT
    build_again "$source_dir" "$again" "$build" "$windows"
fi

differ=0
for i in "${!packages[@]}"; do
    package=${packages[$i]} again_built="$again/sources of korvada/${rebuilt[$i]}"
    if cmp -s "$package" "$again_built"; then
        echo "same: $(basename "$package"), $(stat -c %s "$package") bytes, sha256 $(sha256sum <"$package" | cut -c1-16)"
    else
        echo "DIFFERENT: $package and $again_built: $(cmp "$package" "$again_built" 2>&1 | head -1)" >&2
        differ=1
    fi
done
[ "$differ" = 0 ] || { trap - EXIT; fail "rebuilt packages differ; the second build is kept in $again"; }
echo "ok"
