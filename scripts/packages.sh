# Debian packages the build and the tests need; sourced by test.sh and play.sh.
# Installs only what is missing, so a second run costs a second.

linux_packages=(
  g++ cmake make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libosmesa6-dev libgl1-mesa-dri
  libegl-mesa0 libgtest-dev libgmock-dev libbenchmark-dev libpng-dev clang libclang-rt-14-dev
  xvfb xauth xfonts-base x11-utils x11-xserver-utils xdotool imagemagick openbox
  # The Debian package: built by CPack (dpkg-shlibdeps, file), checked by
  # Debian's checkers, its manual pages rendered; the Windows zip unpacked.
  dpkg-dev file lintian desktop-file-utils appstream man-db groff-base unzip
  # The setup program's dialog.
  libgtk-3-dev
  # A display server that really switches modes, for the display tests.
  xserver-xorg-core xserver-xorg-video-dummy
  # Wayland desktops (GNOME's compositor headless, weston on Xvfb, with Xwayland).
  mutter xwayland dbus-x11 weston
)

# The Windows program is cross-built and run under 32-bit Wine; makensis
# makes its installer.
windows_packages=(
  g++-mingw-w64-i686 wine wine32:i386 nsis
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libxxf86vm1:i386 libxrender1:i386
  libxcursor1:i386 libxi6:i386 libxcomposite1:i386 libxinerama1:i386 libxfixes3:i386
  x11-apps locales
)

# The browser program is built with Emscripten and tested in Debian's Chromium,
# driven by node packages from npm (tests/web/package-lock.json).
web_packages=(emscripten chromium)

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
  install_packages "${windows_packages[@]}" && install_czech_locale
}

# Wine takes its language from the system's locale, which must exist for the
# setup's Czech dialog to be tested; a missing one is only a note.
install_czech_locale() {
  locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8' && return 0
  [ "$(id -u)" = 0 ] && localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8 2>/dev/null && return 0
  echo "No cs_CZ.UTF-8 locale: the Czech setup dialog is not tested under Wine." >&2
  return 0
}

install_web_packages() {
  # A node that did not come from Debian brings its own npm.
  local node=()
  command -v npm >/dev/null || node=(nodejs npm)
  install_packages "${web_packages[@]}" "${node[@]}"
}

# The browser tests' node packages, and the web build's (the service
# worker's generator, tools/webapp), exactly as locked.
install_web_test_packages() {
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
}

install_web_build_packages() {
  (cd tools/webapp && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
}
