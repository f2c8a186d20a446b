#!/usr/bin/env bash
# Builds the game and plays it: scripts/play.sh [LAUNCH-CODE]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_linux_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/korvada ]; then
  echo "Built the game libraries and tools; the Linux program itself is not there yet."
  exit 0
fi
