#!/bin/sh
# Installs a build into a fresh prefix and checks what a desktop and a user find there: both
# programs, the desktop entry and the AppStream data (validated), the icons, the tip file and
# help page, the manual page.
#
#   tests/install/install-test.sh BUILD_DIR
set -eu

build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kadrel-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
id=io.github.kadrel.Kadrel

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kadrel bin/kadrel-extract \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/256x256/apps/$id.png \
    share/kadrel/TIPOFDAY.TXT share/kadrel/help.htm share/man/man1/kadrel-extract.1; do
    [ -s "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
[ -x "$prefix/bin/kadrel" ] && [ -x "$prefix/bin/kadrel-extract" ]

desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx 'Exec=kadrel %f' "$prefix/share/applications/$id.desktop"
grep -q '^MimeType=.*video/mp4;' "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null

# The PNG's header: 256 x 256.
size=$(od -An -tx1 -j16 -N8 "$prefix/share/icons/hicolor/256x256/apps/$id.png" | tr -d ' \n')
[ "$size" = 0000010000000100 ] || { echo "icon is not 256 x 256: $size" >&2; exit 1; }

# Both programs start from the prefix, away from the build.
cd "$prefix"
QT_QPA_PLATFORM=offscreen bin/kadrel --version | grep -q '^Kadrel 1\.'
bin/kadrel-extract --version | grep -q '^kadrel-extract 1\.'
echo "installed and valid: $prefix"
