#!/usr/bin/env bash
# Builds the game and plays it: scripts/play.sh [LAUNCH-CODE]
#                           or in a browser: scripts/play.sh --web [LAUNCH-CODE]
#
# Installs the Debian packages that are missing, builds build/korvada, its
# data and build/korvada-setup. Without a code it opens the setup, whose Play
# starts the game; with one it starts the game with that code from
# build/data/ (the game reads its files by bare name).
#
# With no display to show it on, plays a short demo round on a private Xvfb
# display instead ("0TYAY" unless a code is given: 800 × 600, blending, 4
# bottles, sound) and saves screenshots to build/demo/.
#
# --web builds the browser program into build-web/ and serves it on this
# machine only (127.0.0.1) until Ctrl+C, printing the address to open.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

if [ "${1:-}" = --web ]; then
    install_web_packages
    cmake --preset web >/dev/null
    cmake --build --preset web
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    echo "Korvada in the browser: http://127.0.0.1:$port/${2:+?code=$2}"
    echo "(Ctrl+C stops the server)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web
fi

code=${1:-}

install_linux_packages
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target korvada korvada-setup

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    [ -z "$code" ] && exec build/korvada-setup
    cd build/data
    exec ../korvada "$code"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): playing a short demo round on a"
echo "virtual display instead, with screenshots."
code=${code:-0TYAY}
# The screen gets the code's resolution, so the game's full-screen mode fits.
case "${code:0:1}" in
    1) size=640x480 ;; 3) size=1024x768 ;; 4) size=1152x864 ;; 5) size=1280x1024 ;; *) size=800x600 ;;
esac
# The end-to-end tests' helpers: private display, keys, screenshots, cleanup.
# They check their own results, so errexit is off from here.
set +e +o pipefail
source tests/x_harness.sh
e2e_setup "$PWD/build/korvada" "$PWD/build/data" "$size"
start_game "$code" "" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
wait_game_window
shot 1-start
xdotool keydown Right
sleep 0.6
xdotool keyup Right
shot 2-steered-right
xdotool key 2
sleep 0.5
shot 3-camera-2
xdotool key 5
sleep 0.5
shot 4-camera-5
xdotool key Escape
sleep 0.5
shot 5-end-screen
sleep 1.3
xdotool keydown space
wait_exit
xdotool keyup space

rm -rf build/demo
mkdir -p build/demo
for picture in "$WORK"/*.ppm; do
    convert "$picture" "build/demo/$(basename "${picture%.ppm}").png"
done
echo "The demo round ended with exit code $EXIT_CODE. Screenshots:"
ls -1 "$PWD"/build/demo/*.png
