#!/usr/bin/env bash
# On a scaled Wayland desktop (weston at scale 2: 2560x1600 pixels, 1280x800
# of the desktop's units), as the game and its setup choose their driver:
# - korvada --window 0TYAY: a window of 800x600 units whose picture fills
#   its 1600x1200 pixels, drawn at them (sharp: neighbouring pixels differ as
#   much at odd places as at even ones), not 800x600 scaled up, which the
#   same measure tells when SDL is told to leave high DPI alone;
# - full screen, 0TYAY and 5TYAY cover the output;
# - the setup asks the game's question: a saved 5TYAY is still offered.
# With KORVADA_SETUP_SHOTS set, the setup's dialog at scale 2 is saved there.
#   hidpi.sh KORVADA DATA_DIR
source "$(dirname "$0")/../x_harness.sh"
KORVADA=$1
DATA=$2
[ -x "$KORVADA" ] || fail "no program at $KORVADA"
harness_begin
start_display weston 2560x1600 2
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
x_desktop_drawn() { weston_shot desktop && [ "$(image stats "$WORK/desktop.ppm" | awk '{print ($4 > 0.9)}')" = 1 ]; }
wait_until "$X_WAIT" x_desktop_drawn || fail "weston's desktop is not drawn"

# view_of TITLE: "X Y W H", in the desktop's units, of the top-level window
# TITLE as weston's scene graph places it (its content, without the frame).
view_of() {
    timeout 30 weston-debug scene-graph 2>/dev/null | awk -v title="top-level window '$1'" '
        index($0, title) { found = 1; next }
        found && /position:/ { gsub(/[(),>-]/, " "); print $2, $3, $4 - $2, $5 - $3; exit }'
}

# A window's picture: where it is, lit, and how sharp (SHARP: across, down).
x_window_drawn() {
    VIEW=$(view_of Korvada)
    [ -n "$VIEW" ] || return 1
    read -r vx vy vw vh <<<"$VIEW"
    BOX="$((2 * vx)) $((2 * vy)) $((2 * vw)) $((2 * vh))"
    weston_shot window 100%
    # shellcheck disable=SC2086
    LIT=$(image stats "$WORK/window.ppm" $BOX | awk '{print $4}')
    above "$LIT" 0.9
}
window_picture() {
    start_game "--window 0TYAY" "" SDL_AUDIODRIVER=dummy "$@"
    wait_until "$X_WAIT" x_window_drawn || fail "no window's picture (view '$VIEW', lit $LIT)"
    # shellcheck disable=SC2086
    SHARP=$(image sharpness "$WORK/window.ppm" $BOX)
    kill -TERM "$GAME_PID"
    wait_exit
    [ "$EXIT_CODE" = 0 ] || fail "--window 0TYAY: exit code $EXIT_CODE after SIGTERM"
}

window_picture
note "--window 0TYAY: $VIEW in the desktop's units, its pixels $BOX lit $LIT, sharpness $SHARP"
[ "${VIEW#* * }" = "800 600" ] || fail "the window is ${VIEW#* * } units, not 800 600"
read -r across down <<<"$SHARP"
above "$across" 0.9 && above "$down" 0.9 || fail "the picture is not drawn at the window's pixels: $SHARP"
grep -q "No plugins found" "$WORK/stderr" && fail "no decoration plugin: $(cat "$WORK/stderr")"

window_picture SDL_VIDEO_HIGHDPI_DISABLED=1
note "the same with SDL's high DPI off, scaled up by weston: sharpness $SHARP"
read -r across down <<<"$SHARP"
above 0.85 "$across" && above 0.85 "$down" || fail "the measure does not tell a picture scaled up: $SHARP"

for code in 0TYAY 5TYAY; do
    start_game "$code" "" SDL_AUDIODRIVER=dummy
    wait_weston_covered "full-$code"
    kill -TERM "$GAME_PID"
    wait_exit
    [ "$EXIT_CODE" = 0 ] || fail "$code: exit code $EXIT_CODE after SIGTERM, expected 0"
    note "$code covers the output"
done

# The setup asks what the game asks: 5TYAY plays full screen, so a saved
# 5TYAY is what its dialog opens with (Xwayland's modes end at 1280x800).
SETUP=$(dirname "$KORVADA")/korvada-setup
mkdir -p "$XDG_CONFIG_HOME/korvada"
echo 5TYAY >"$XDG_CONFIG_HOME/korvada/launch-code"
printed=$("$SETUP" --print 2>"$WORK/setup-stderr") || fail "korvada-setup --print failed"
[ "$printed" = 5TYAY ] || fail "the setup offers '$printed' for a saved 5TYAY"
[ ! -s "$WORK/setup-stderr" ] || fail "korvada-setup said: $(cat "$WORK/setup-stderr")"
note "a saved 5TYAY is offered as it is"

if [ -n "${KORVADA_SETUP_SHOTS:-}" ]; then
    printf 'korvada best catches\n4 23 2026-12-09\n' | install -D /dev/stdin "$XDG_DATA_HOME/korvada/best-catches"
    start_program "$WORK" env LANGUAGE=cs "$SETUP"
    x_dialog_view() { VIEW=$(view_of "Korvada – nastavení"); [ -n "$VIEW" ]; }
    wait_until "$X_WAIT" x_dialog_view || fail "no dialog"
    sleep 1
    weston_shot dialog 100%
    mkdir -p "$KORVADA_SETUP_SHOTS"
    convert "$WORK/dialog.ppm" "$KORVADA_SETUP_SHOTS/dialog-scale2.png"
    note "the dialog at $VIEW, saved in $KORVADA_SETUP_SHOTS/dialog-scale2.png"
fi
note "ok"
