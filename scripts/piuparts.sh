#!/usr/bin/env bash
# The Debian package under piuparts: installed with its dependencies into a
# clean Debian 12 chroot made by debootstrap from the package archive, then
# removed and purged; piuparts fails on anything left behind, a maintainer
# script that fails, or a file of another package changed. No earlier
# release's package is kept, so there is no upgrade to test: piuparts'
# upgrade from the archive's own korvada is off (the archive has none).
#
#   scripts/piuparts.sh [DEB]     (build/korvada_*_amd64.deb when not given)
#
# Root only. The chroot's base (debootstrap's minimal Debian 12, about 25 s
# and 100 MB to download) is kept as a tarball in KORVADA_PIUPARTS_CACHE
# (build/piuparts) and made again when missing. The mirror is the first of
# the machine's own Debian sources unless KORVADA_DEBIAN_MIRROR names one.
# The log is in KORVADA_PIUPARTS_CACHE/piuparts.log.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

if [ "$(id -u)" != 0 ]; then
  echo "piuparts needs root (it makes and enters a chroot)" >&2
  exit 2
fi
install_packages piuparts debootstrap
deb=${1:-$(ls build/korvada_*_amd64.deb 2>/dev/null | tail -n1)}
[ -f "$deb" ] || { echo "no package: build it first (cmake --build build --target package)" >&2; exit 2; }
deb=$(realpath "$deb")

# The first Debian archive among the machine's sources (one-line or deb822),
# the security archive aside.
machine_mirror() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -oE '^(deb|URIs:)[[:space:]]+(\[[^]]*\][[:space:]]+)?[a-z]+://[^[:space:]]+' |
    awk '{print $NF}' | grep -v -- '-security' | head -n1 || true
}
mirror=${KORVADA_DEBIAN_MIRROR:-$(machine_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}

cache=${KORVADA_PIUPARTS_CACHE:-build/piuparts}
mkdir -p "$cache"
cache=$(realpath "$cache")
base=$cache/bookworm-base.tar.gz
log=$cache/piuparts.log
if [ -s "$base" ]; then
  chroot_from=(--basetgz "$base")
else
  chroot_from=(--save "$base")
fi
rm -f "$log"

echo "piuparts: $(basename "$deb") on Debian 12 from $mirror" >&2
started=$SECONDS
status=0
piuparts --distribution bookworm --mirror "$mirror main" "${chroot_from[@]}" \
  --no-upgrade-test --warn-on-others --log-file "$log" "$deb" >/dev/null || status=$?
echo "piuparts: $( [ "$status" = 0 ] && echo passed || echo "FAILED (exit $status)" ) in $((SECONDS - started)) s;" \
  "the log is $log" >&2
[ "$status" = 0 ] || grep -E 'ERROR|FAIL' "$log" | tail -n 20 >&2
exit "$status"
