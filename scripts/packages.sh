# Debian packages the build and the tests need; sourced by test.sh and play.sh.
# Installs only what is missing, so a second run costs a second.

linux_packages=(
  g++ cmake make ccache pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libosmesa6-dev libgl1-mesa-dri
  libegl-mesa0 libgtest-dev libgmock-dev libbenchmark-dev libpng-dev clang libclang-rt-14-dev
  # The PNG writer every build of the game compiles in, the Windows and browser builds too.
  libstb-dev
  xvfb xauth xfonts-base x11-utils x11-xserver-utils xdotool imagemagick openbox
  # The Debian package: built by CPack (dpkg-shlibdeps, file), checked by
  # Debian's checkers, its manual pages rendered; the Windows zip unpacked.
  dpkg-dev file lintian desktop-file-utils appstream man-db groff-base unzip
  # The setup program's dialog.
  libgtk-3-dev
  # A display server that really switches modes, for the display tests.
  xserver-xorg-core xserver-xorg-video-dummy
  # Wayland desktops (GNOME's compositor headless, weston on Xvfb, with Xwayland),
  # and the title bar SDL's windows get there from libdecor's plugin.
  mutter xwayland dbus-x11 weston libdecor-0-plugin-1-cairo
  # An audio server that a test starts and ends during a round (a null sink).
  pulseaudio pulseaudio-utils
  # The board server: its HTTP library (with OpenSSL), its two databases and
  # JSON; its tests' HTTP client, a PostgreSQL server they start and the
  # SQLite shell the page's test plants names with.
  libcpp-httplib-dev libssl-dev libsqlite3-dev libpq-dev nlohmann-json3-dev libcurl4-openssl-dev
  postgresql sqlite3
)

# The Windows program is cross-built as a 64-bit program and run under 64-bit
# Wine (no i386 package anywhere); makensis makes its installer.
windows_packages=(g++-mingw-w64-x86-64 wine wine64 nsis x11-apps locales)

# The browser program is built with Emscripten and tested in Debian's Chromium,
# driven by node packages from npm (tests/web/package-lock.json).
web_packages=(emscripten chromium)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# retry COMMAND...: COMMAND, tried again after 15, 30 and 60 s when it
# fails. A package mirror in the middle of a sync serves a broken index ("File has
# unexpected size") for minutes, and answers the same within seconds.
retry() {
  local pause
  for pause in 15 30 60 0; do
    "$@" && return 0
    [ "$pause" = 0 ] && return 1
    echo "'$*' failed; trying again in $pause s" >&2
    sleep "$pause"
  done
}

# install_packages NAME... : apt-get install of the missing ones; returns
# non-zero, naming what is still missing, when they cannot be had.
install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages (run as root to install them): $missing" >&2
    return 1
  fi
  if [ -z "${KORVADA_APT_UPDATED:-}" ]; then
    # --error-on=any: an index that failed to download is a failure, not a
    # warning under an old index.
    retry apt-get update -qq --error-on=any && KORVADA_APT_UPDATED=1
  fi
  # shellcheck disable=SC2086
  retry env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "These packages could not be installed: $missing" >&2
  return 1
}

install_linux_packages() {
  install_packages "${linux_packages[@]}"
}

install_windows_packages() {
  install_packages "${windows_packages[@]}" && install_czech_locale
}

# Wine takes its language from the system's locale, which must exist for the
# setup's Czech dialog to be tested: made here as root (package locales);
# without root a missing one is only a note.
install_czech_locale() {
  locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8' && return 0
  if [ "$(id -u)" = 0 ]; then
    localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8 && return 0
    echo "The cs_CZ.UTF-8 locale could not be made." >&2
    return 1
  fi
  echo "No cs_CZ.UTF-8 locale: the Czech setup dialog is not tested under Wine." >&2
  return 0
}

install_web_packages() {
  # A node that did not come from Debian brings its own npm.
  local node=()
  command -v npm >/dev/null || node=(nodejs npm)
  install_packages "${web_packages[@]}" "${node[@]}"
}

# The browser tests' node packages, exactly as locked. (The web build itself
# needs node alone.)
install_web_test_packages() {
  (cd tests/web && retry npm ci --no-audit --no-fund --loglevel=error >/dev/null)
}
