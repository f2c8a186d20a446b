#!/usr/bin/env bash
# scripts/rules_files.sh against small repositories: each fault planted in a
# tree that passes is named, and what is allowed passes.
#   rules_files_test.sh RULES_FILES_SH
set -euo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

put() { mkdir -p "$(dirname "$1")" && printf '%s\n' "$2" >"$1"; }

# A core/ in the game's shape that breaks no rule: the recorder declares its
# records and operations, the rules speak of recordings only in comments, and
# the files that stand on the recorder include it.
clean_tree() {
    rm -rf "$work/tree" && mkdir "$work/tree" && cd "$work/tree" && git init -q
    put core/recording.h $'#pragma once\nstruct Game;\nstruct RoundRecording {\n    int bottles = 0;\n};\nconstexpr int kMaxRecordedKeys = 65536;\nstd::string recordingBytes(const RoundRecording& recording);'
    put core/round_driver.h $'#pragma once\n#include "core/recording.h"\nenum class FrameUpdate { Step, Still };\nstruct RoundDriver {};\nFrameUpdate updateFrame(RoundDriver& driver, Game& game);'
    put core/game.h $'#pragma once\n// A round is recorded by core/round_driver.h: updateFrame hands the seconds on.\nstruct Game {\n    void stepSimulation(float seconds);\n};'
    put core/simulation.cpp $'#include "core/game.h"\nvoid Game::stepSimulation(float seconds) { (void)seconds; }'
    put core/best_catches.cpp $'#include "core/round_driver.h"\nstd::string kept(const RoundRecording& r) { return recordingBytes(r); }'
    git add -A
}

# planted WHAT EXPECTED FILE TEXT: FILE (TEXT) in a clean tree makes the
# check fail, naming EXPECTED and nothing else.
planted() {
    local what=$1 expected=$2 said status=0
    clean_tree
    put "$3" "$4"
    git add -A
    said=$(bash "$check" . 2>&1) || status=$?
    if [ "$status" != 1 ] || ! grep -qF -- "$expected" <<<"$said"; then
        echo "FAIL: $what: exit $status, expected 1 and '$expected' in:"
        echo "$said"
        exit 1
    fi
    [ "$(grep -c '^core/.*:[0-9]*: ' <<<"$said")" = 1 ] || { echo "FAIL: $what: more than one fault named:"; echo "$said"; exit 1; }
    echo "ok: $what"
}

clean_tree
said=$(bash "$check" .) || { echo "FAIL: the clean tree is refused:"; echo "$said"; exit 1; }
grep -qF "name none of its 6 names" <<<"$said" || { echo "FAIL: the recorder's names were not all read: $said"; exit 1; }
echo "ok: the clean tree passes"

planted "a rules file including the file's record" \
    'core/simulation.cpp:1: a rules file includes the recorder: #include "core/recording.h"' \
    core/simulation.cpp $'#include "core/recording.h"\nvoid f() {}'
planted "the game record including the driver" 'core/game.h:2: a rules file includes the recorder' \
    core/game.h $'#pragma once\n#include "core/round_driver.h"\nstruct Game {};'
planted "a rules file calling the recorder" "core/input.cpp:2: a rules file names the recorder's recordingBytes" \
    core/input.cpp $'#include "core/game.h"\nvoid pressKey() { recordingBytes(current); }'
planted "a rules file holding a recorder's record" "core/game.h:3: a rules file names the recorder's RoundDriver" \
    core/game.h $'#pragma once\nstruct Game {\n    RoundDriver driver;\n};'
planted "a rules file naming a recorder's constant" "core/pause.cpp:1: a rules file names the recorder's kMaxRecordedKeys" \
    core/pause.cpp 'int spare = kMaxRecordedKeys;'

clean_tree
rm -rf .git
status=0
said=$(bash "$check" . 2>&1) || status=$?
[ "$status" = 1 ] && grep -qF "no git checkout" <<<"$said" || { echo "FAIL: outside git: exit $status: $said"; exit 1; }
echo "ok: outside a git checkout it fails and says why"
