#!/usr/bin/env bash
# check-install.sh <source folder> <build folder>: cmake --install below DESTDIR and a
# prefix, tools/install.sh into a home folder and out again, and the bad inputs.
set -euo pipefail
source_dir="$1"
build="$2"

fail() { echo "install check: $*" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

echo "== DESTDIR and --prefix, one component"
DESTDIR="$root/dest" cmake --install "$build" --prefix /opt/velmora --component vst2 > /dev/null
(cd "$root/dest" && find . -type f -printf '%m %p\n')
[ "$(cd "$root/dest" && find . -type f -printf '%m %p\n')" = "644 ./opt/velmora/lib/vst/Velmora.so" ] \
    || fail "the vst2 component is not exactly its library, below DESTDIR and the prefix, not executable"

echo "== tools/install.sh for a user, and --uninstall"
HOME="$root/home" "$source_dir/tools/install.sh" --build "$build"
for item in .vst/Velmora.so .vst3/Velmora.vst3/Contents/x86_64-linux/Velmora.so .lv2/Velmora.lv2/manifest.ttl \
            .local/bin/velmora .local/bin/velmora-render .local/share/man/man1/velmora.1.gz \
            .local/share/man/man1/velmora-render.1.gz .local/share/applications/velmora.desktop \
            .local/share/icons/hicolor/256x256/apps/velmora.png; do
    [ -f "$root/home/$item" ] || fail "the user install lacks ~/$item"
done
[ -z "$(find "$root/home" -name '.velmora-install.*')" ] || fail "the staging folder was left behind"
HOME="$root/home" "$source_dir/tools/install.sh" --uninstall
[ -z "$(find "$root/home" -type f)" ] || fail "--uninstall left files behind"

echo "== bad input"
# Runs a command that must fail with exactly one line on its error output, naming `text`.
one_error_line() {
    local text="$1"
    shift
    if "$@" > /dev/null 2> "$root/error"; then
        fail "$* did not fail"
    fi
    cat "$root/error"
    [ "$(wc -l < "$root/error")" -eq 1 ] || fail "$* gave more than one error line"
    grep -q "$text" "$root/error" || fail "$* did not say: $text"
}
one_error_line "unknown component foo" "$source_dir/tools/install.sh" --build "$build" --component foo
one_error_line "no build folder at $root/none" "$source_dir/tools/install.sh" --build "$root/none"
one_error_line "no build folder at $root/none" "$source_dir/tools/package.sh" --build "$root/none"

# CMake words its own errors over several lines; the component's name is in them.
if cmake --install "$build" --prefix "$root/other" --component foo > /dev/null 2> "$root/error"; then
    fail "cmake --install accepted an unknown component"
fi
grep -q "unknown install component 'foo'" "$root/error" || fail "cmake --install did not name the unknown component"
[ ! -e "$root/other" ] || fail "cmake --install installed something for an unknown component"
echo "cmake --install --component foo: unknown install component 'foo'"
