# Debian packages the build and the tests need; sourced by test.sh and play.sh.
# Installs only what is missing, so a second run costs a second.

linux_packages=(
  g++ cmake make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libosmesa6-dev libgl1-mesa-dri
  libegl-mesa0 libgtest-dev libgmock-dev libbenchmark-dev libpng-dev clang libclang-rt-14-dev
  xvfb xauth xfonts-base x11-utils x11-xserver-utils xdotool imagemagick openbox
  xserver-xorg-core xserver-xorg-video-dummy
)

# The Windows program is cross-built and run under 32-bit Wine.
windows_packages=(
  g++-mingw-w64-i686 wine wine32:i386
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libxxf86vm1:i386 libxrender1:i386
  libxcursor1:i386 libxi6:i386 libxcomposite1:i386 libxinerama1:i386 libxfixes3:i386
  x11-apps
)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# install_packages NAME... : apt-get install of the missing ones; returns non-zero on failure.
install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages (run as root to install them): $missing" >&2
    return 1
  fi
  if [ -z "${KORVADA_APT_UPDATED:-}" ]; then
    apt-get update -qq && KORVADA_APT_UPDATED=1
  fi
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

install_linux_packages() {
  install_packages "${linux_packages[@]}"
}

install_windows_packages() {
  if ! dpkg --print-foreign-architectures | grep -q '^i386$'; then
    [ "$(id -u)" = 0 ] || return 1
    dpkg --add-architecture i386
    KORVADA_APT_UPDATED=
  fi
  install_packages "${windows_packages[@]}"
}
