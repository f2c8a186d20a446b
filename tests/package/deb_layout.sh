#!/usr/bin/env bash
# What the Debian package holds: Debian's games layout and nothing else, the
# programs stripped, the manual pages compressed as Debian wants, the
# dependencies dpkg-shlibdeps found, and the decoration plugin recommended.
#   deb_layout.sh DEB SETUP_BUILT(0|1)
set -euo pipefail
deb=$1
setup=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb: run 'cpack -G DEB' in the build folder"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvada-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvada ] || fail "package name $(field Package)"
[ "$(field Architecture)" = amd64 ] || fail "architecture $(field Architecture)"
[ "$(basename "$deb")" = "korvada_$(field Version)_amd64.deb" ] || fail "file name $(basename "$deb")"
[ "$(field Section)" = games ] || fail "section $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
for library in libsdl2-2.0-0 libc6 libstdc++6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done
# The title bar of a window on GNOME.
[ "$(field Recommends)" = "libdecor-0-plugin-1-cairo | libdecor-0-plugin-1" ] || fail "Recommends: $(field Recommends)"

# Every file, exactly: the programs, the game's 13 files, and the desktop's.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort >"$work/files"
{
    echo /usr/games/korvada
    for f in air.bmp oblaka.bmp lahev2.bmp flaska.bmp font.bmp tamrisol.bmp \
        tuk01.wav tuk02.wav tuk03.wav tukm01.wav tukm02.wav tukm03.wav zblunk.wav; do
        echo "/usr/share/games/korvada/$f"
    done
    echo /usr/share/applications/korvada.desktop
    echo /usr/share/applications/korvada-watch.desktop
    for n in 16 32 48 64 128 192 256 512; do
        echo "/usr/share/icons/hicolor/${n}x$n/apps/korvada.png"
        echo "/usr/share/icons/hicolor/${n}x$n/mimetypes/application-x-korvada-round.png"
    done
    echo /usr/share/metainfo/korvada.metainfo.xml
    echo /usr/share/mime/packages/korvada-round.xml
    echo /usr/share/man/man6/korvada.6.gz
    echo /usr/share/doc/korvada/copyright
    echo /usr/share/doc/korvada/changelog.gz
    if [ "$setup" = 1 ]; then
        echo /usr/games/korvada-setup
        echo /usr/share/man/man6/korvada-setup.6.gz
    fi
} | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the layout (- expected, + found)"
echo "files: $(wc -l <"$work/files"), as expected"

dpkg-deb -x "$deb" "$work/root"
for program in "$work"/root/usr/games/*; do
    file "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
done
# Icons are the sizes their folders say.
for n in 16 32 48 64 128 192 256 512; do
    size=$(identify -format %wx%h "$work/root/usr/share/icons/hicolor/${n}x$n/apps/korvada.png")
    [ "$size" = "${n}x$n" ] || fail "the ${n}x$n icon is $size"
done
# gzip -9n: best compression, no file name or time stamp in the header.
for page in "$work"/root/usr/share/man/man6/*.gz "$work/root/usr/share/doc/korvada/changelog.gz"; do
    header=$(od -An -tx1 -N10 "$page" | tr -d ' \n')
    [ "${header:6:10}" = 0000000000 ] || fail "$(basename "$page") has a file name or time stamp in its header"
    [ "${header:16:2}" = 02 ] || fail "$(basename "$page") is not compressed at the best level"
done
# The desktop entry finds the icon by name in the icon theme.
grep -qx 'Icon=korvada' "$work/root/usr/share/applications/korvada.desktop" ||
    fail "the desktop entry does not name the icon 'korvada'"
# The newest entries of the changelog and of the release notes are this version's.
version=$(field Version)
newest=$(zcat "$work/root/usr/share/doc/korvada/changelog.gz" | sed -n '1s/^korvada (\([^)]*\)).*/\1/p')
[ "$newest" = "$version" ] || fail "the changelog's newest entry is $newest, the package's version $version"
newest=$(grep -m1 -o '<release version="[^"]*"' "$work/root/usr/share/metainfo/korvada.metainfo.xml" | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the metainfo's newest release is $newest, the package's version $version"
echo "ok"
