#!/usr/bin/env bash
# scripts/floors.sh against small repositories, each with one fault planted
# in a tree that passes: every kind of fault is named, and nothing else.
#   floors_test.sh FLOORS_SH
set -euo pipefail
floors=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# put FILE TEXT: a file of the tree.
put() { mkdir -p "$(dirname "$1")" && printf '%s\n' "$2" >"$1"; }

# A tree in the game's shape that breaks no rule.
clean_tree() {
    rm -rf "$work/tree" && mkdir "$work/tree" && cd "$work/tree" && git init -q
    put core/game.h '#include <cstdint>'
    put render/scene.cpp $'#include <GL/gl.h>\n#include <stb_image_write.h>\n#include "core/game.h"'
    put shell/frame.h '#include "render/scene.h"'
    put shell/sdl/sdl_main.cpp $'#include <SDL.h>\n#include <unistd.h>\n#include "shell/frame.h"\n#include "shell/sdl/sdl_shell.h"'
    put shell/sdl/CMakeLists.txt 'add_executable(korvada sdl_main.cpp)'
    put shell/web/CMakeLists.txt 'add_library(korvada_web_keys STATIC web_keys.cpp)'
    put setup/CMakeLists.txt 'add_library(korvada_setup_settings STATIC setup_texts.cpp)'
    put fuzz/CMakeLists.txt $'project(Fuzz)\nset(root ${CMAKE_CURRENT_SOURCE_DIR}/..)\nadd_executable(f f.cpp ${root}/assets/bmp_reader.cpp)'
}

# planted WHAT EXPECTED FILE TEXT: FILE (TEXT) planted in a clean tree makes
# floors.sh fail, naming EXPECTED.
planted() {
    local what=$1 expected=$2 said status=0
    clean_tree
    put "$3" "$4"
    git add -A
    said=$(bash "$floors" . 2>&1) || status=$?
    if [ "$status" != 1 ] || ! grep -qF -- "$expected" <<<"$said"; then
        echo "FAIL: $what: exit $status, expected 1 and '$expected' in:"
        echo "$said"
        exit 1
    fi
    [ "$(grep -c '^[a-z].*:[0-9]*: ' <<<"$said")" = 1 ] || { echo "FAIL: $what: more than one fault named:"; echo "$said"; exit 1; }
    echo "ok: $what"
}

clean_tree
git add -A
bash "$floors" . >/dev/null || { echo "FAIL: the clean tree is refused:"; bash "$floors" .; exit 1; }
echo "ok: the clean tree passes"

# unseen WHAT EXPECTED DIR: floors.sh cannot see the sources of DIR and says
# so, with exit 2, naming EXPECTED: a check that sees nothing must not pass.
unseen() {
    local said status=0
    said=$(bash "$floors" "$3" 2>&1) || status=$?
    if [ "$status" != 2 ] || ! grep -qF -- "cannot check the floors: $2" <<<"$said"; then
        echo "FAIL: $1: exit $status, expected 2 and 'cannot check the floors: $2' in:"
        echo "$said"
        exit 1
    fi
    echo "ok: $1"
}
unseen "a folder below the checkout's top" "$work/tree/core is not the top of its git checkout" core
mkdir "$work/copy" && cp -r core render shell "$work/copy/"
# A temporary folder inside someone's checkout would be below its top.
if git -C "$work/copy" rev-parse 2>/dev/null; then
    unseen "a copy of the tree without git" "$work/copy is not the top" "$work/copy"
else
    unseen "a copy of the tree without git" "$work/copy is not in a git checkout" "$work/copy"
fi
clean_tree
unseen "a checkout whose sources git does not list" "git lists no sources" .

planted "an include up a floor" "core/ (floor 1) includes shell/ (floor 4)" core/round.cpp '#include "shell/frame.h"'
planted "an include from one shell to another" "shell/sdl/ includes another platform's shell/win32/" \
    shell/sdl/sdl_keys.cpp '#include "shell/win32/win32_shell.h"'
planted "the shells' shared part including a shell" "shell/ includes another platform's shell/sdl/" \
    shell/frame.cpp '#include "shell/sdl/sdl_shell.h"'
planted "a dialog including the other's" "setup/gtk/ includes another platform's setup/win32/" \
    setup/gtk/setup_dialog.cpp '#include "setup/win32/setup_resources.h"'
for header in '<X11/Xlib.h>' '<unistd.h>' '<sys/mman.h>' '<emscripten/html5.h>' '<windows.h>' '<SDL.h>' '<malloc.h>'; do
    planted "$header in core/" "core/ is portable and includes a platform or system header: #include $header" \
        core/random.cpp "#include $header"
done
planted "a platform header in the shells' shared part" "shell/ is portable and includes a platform or system header" \
    shell/shell_keys.cpp '#include <poll.h>'
planted "the web shell compiling the setup's sources" "shell/web/ compiles setup/setup_texts.cpp by path" \
    shell/web/CMakeLists.txt 'add_executable(korvada web_main.cpp ${PROJECT_SOURCE_DIR}/setup/setup_texts.cpp)'
planted "the tests compiling a shell's source" "tests/ compiles shell/web/web_keys.cpp by path" \
    tests/CMakeLists.txt $'add_executable(k web/web_keys_test.cpp\n  ${PROJECT_SOURCE_DIR}/shell/web/web_keys.cpp)'
planted "a relative path into a sibling shell" "shell/sdl/ compiles shell/win32/win32_pads.cpp by path" \
    shell/sdl/CMakeLists.txt 'add_library(p STATIC ../win32/win32_pads.cpp)'
planted "a project of its own compiling from above its floor" "tools/ (floor 5) compiles tests/x.cpp" \
    tools/datagen/CMakeLists.txt $'project(Datagen)\nadd_executable(g main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/../../tests/x.cpp)'
