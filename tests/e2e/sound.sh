#!/usr/bin/env bash
# The cues reach the sound device: with SDL's disk driver the device's output
# lands in a file in real time, silence while idle. The round's first knock
# between two of the other bottles (they steer together after about 5 s) or
# a caught bubble puts samples there.
#   sound.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
e2e_setup "$1" "$2"
out="$WORK/sound.raw"

start_game 0TYAY "" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out"
wait_game_window

# First sample that is not silence (signed 16-bit), as seconds of output.
first_sound() {
    "$X_PYTHON" - "$out" <<'PY'
import sys
try:
    data = open(sys.argv[1], "rb").read()
except FileNotFoundError:  # SDL opens the device a moment after the window shows
    data = b""
for i in range(0, len(data) - 1, 2):
    if data[i] or data[i + 1]:
        print("%.2f %d" % (i / (44100 * 4), len(data) // (44100 * 4)))
        sys.exit(0)
print("none %d" % (len(data) // (44100 * 4)))
PY
}
found=none
sounded() {
    game_running || fail "the game ended"
    read -r found seconds <<<"$(first_sound)"
    [ "$found" != none ]
}
wait_until "$X_WAIT" sounded
[ "$found" != none ] || fail "no sound in $seconds s of the device's output"
note "first cue at $found s of the device's output"
awk -v f="$found" 'BEGIN {exit !(f > 0.5)}' || fail "the output was not silent before the first cue"

end_game space
note "ok"
