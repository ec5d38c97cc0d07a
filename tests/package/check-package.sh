#!/usr/bin/env bash
# check-package.sh <velmora.deb> <host_tests>: unpacks the package into a temporary
# folder and checks what it holds; the VST 2 host tests then load the unpacked library.
set -euo pipefail
deb="$1"
host_tests="$2"

fail() { echo "package: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

echo "== files"
(cd "$root" && find . -type f | sort) | tee "$root.files"
diff -u - "$root.files" <<'LIST' || fail "the package does not hold exactly the expected files"
./usr/bin/velmora
./usr/bin/velmora-render
./usr/lib/lv2/Velmora.lv2/dsp.ttl
./usr/lib/lv2/Velmora.lv2/libVelmora.so
./usr/lib/lv2/Velmora.lv2/manifest.ttl
./usr/lib/lv2/Velmora.lv2/ui.ttl
./usr/lib/vst/Velmora.so
./usr/lib/vst3/Velmora.vst3/Contents/x86_64-linux/Velmora.so
./usr/share/applications/velmora.desktop
./usr/share/doc/velmora/changelog.gz
./usr/share/doc/velmora/copyright
./usr/share/icons/hicolor/128x128/apps/velmora.png
./usr/share/icons/hicolor/256x256/apps/velmora.png
./usr/share/icons/hicolor/48x48/apps/velmora.png
./usr/share/man/man1/velmora-render.1.gz
./usr/share/man/man1/velmora.1.gz
LIST
rm -f "$root.files"

echo "== control"
dpkg-deb -f "$deb" Package Version Architecture Depends
[ "$(dpkg-deb -f "$deb" Package)" = velmora ] || fail "package name is not velmora"
[ "$(dpkg-deb -f "$deb" Version)" = 1.0.0 ] || fail "version is not 1.0.0"
# The libraries the programs link come from dpkg-shlibdeps, with their versions.
dpkg-deb -f "$deb" Depends | grep -q "libc6 (>= " || fail "no dependency found by dpkg-shlibdeps"

echo "== programs and manual pages"
"$root/usr/bin/velmora-render" --version
[ "$("$root/usr/bin/velmora-render" --version)" = "velmora-render 1.0.0" ] || fail "velmora-render --version is not 1.0.0"
[ "$(env -u DISPLAY "$root/usr/bin/velmora" --version)" = "velmora 1.0.0" ] || fail "velmora --version is not 1.0.0"
# Made from --help: every option the program knows is in its manual page.
page_text=$(zcat "$root/usr/share/man/man1/velmora-render.1.gz" | sed 's/\\-/-/g')
for option in --program --float --picture --list-programs --demo-material --version -V; do
    grep -q -- "$option" <<<"$page_text" || fail "the manual page of velmora-render lacks $option"
done
for page in velmora velmora-render; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
done

echo "== desktop entry and icons"
desktop-file-validate "$root/usr/share/applications/velmora.desktop" || fail "the desktop entry is not valid"
entry=$(cat "$root/usr/share/applications/velmora.desktop")
for line in Exec=velmora Icon=velmora "Categories=AudioVideo;Audio;"; do
    grep -qxF "$line" <<<"$entry" || fail "the desktop entry lacks $line"
done
# Each icon is a PNG of the size its folder names.
for size in 48 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/velmora.png"
    file "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not a $size x $size PNG"
done

echo "== lintian"
lintian --fail-on error "$deb" || fail "lintian reports errors"

echo "== the unpacked VST 2 library in the host"
VELMORA_VST_LIBRARY="$root/usr/lib/vst/Velmora.so" "$(dirname "$0")/../support/with-display.sh" "$host_tests" --gtest_filter='VstHost.*' --gtest_brief=1
