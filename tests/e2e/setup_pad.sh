#!/usr/bin/env bash
# The GTK settings dialog driven by a pad alone (setup_pad_test.cpp, an SDL
# virtual game controller in the test's own process), and its Watch best
# driven by its own widgets, on a private Xvfb display with openbox.
#   setup_pad.sh TEST_PROGRAM
source "$(dirname "$0")/../x_harness.sh"
[ -x "$1" ] || fail "no test program at $1"
harness_begin
start_display xvfb 1024x768
# SDL's game controllers without a pad of the machine's: only the test's.
SDL_JOYSTICK_DISABLE_UDEV=1 "$1" || fail "the dialog did not play and close with the pad"
note "ok"
