#!/usr/bin/env bash
# Clone to installed plug-ins: builds the VST 2 library, the VST3 and LV2 bundles, the
# standalone application and velmora-render, and installs them through cmake --install
# where Linux hosts look, with the manual pages and the standalone application's desktop
# entry and icons.
#
#   tools/install.sh                     into ~/.vst, ~/.vst3, ~/.lv2, ~/.local/bin and ~/.local/share
#   tools/install.sh --prefix /usr/local into /usr/local/lib/{vst,vst3,lv2}, /usr/local/bin and /usr/local/share
#   tools/install.sh --uninstall [--prefix DIR]   removes what the same call installed
#   --component NAME   only one item: vst2, vst3, lv2, standalone or render (may be repeated)
#   --build DIR        installs from this finished build folder instead of building build/
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "install: $*" >&2; exit 2; }

all_components=(vst2 vst3 lv2 standalone render)
prefix=""
uninstall=0
build=""
components=()
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) [ $# -ge 2 ] || fail "--prefix needs a folder"; prefix="$2"; shift 2 ;;
        --component) [ $# -ge 2 ] || fail "--component needs a name"; components+=("$2"); shift 2 ;;
        --build) [ $# -ge 2 ] || fail "--build needs a folder"; build="$2"; shift 2 ;;
        --uninstall) uninstall=1; shift ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) fail "unknown argument $1 (see --help)" ;;
    esac
done

[ ${#components[@]} -gt 0 ] || components=("${all_components[@]}")
for component in "${components[@]}"; do
    [[ " ${all_components[*]} " == *" $component "* ]] || fail "unknown component $component (one of: ${all_components[*]})"
done
if [ -n "$build" ] && [ ! -f "$build/cmake_install.cmake" ]; then
    fail "no build folder at $build (build it first, or leave out --build)"
fi

if [ -n "$prefix" ]; then
    vst_dir="$prefix/lib/vst"; vst3_dir="$prefix/lib/vst3"; lv2_dir="$prefix/lib/lv2"
    bin_dir="$prefix/bin"; share_dir="$prefix/share"
else
    vst_dir="$HOME/.vst"; vst3_dir="$HOME/.vst3"; lv2_dir="$HOME/.lv2"
    bin_dir="$HOME/.local/bin"; share_dir="$HOME/.local/share"
fi
man_dir="$share_dir/man/man1"

# Each component's items: where cmake --install puts them below a prefix, a tab, and
# where they belong here.
items() {
    case "$1" in
        vst2) printf '%s\t%s\n' lib/vst/Velmora.so "$vst_dir/Velmora.so" ;;
        vst3) printf '%s\t%s\n' lib/vst3/Velmora.vst3 "$vst3_dir/Velmora.vst3" ;;
        lv2) printf '%s\t%s\n' lib/lv2/Velmora.lv2 "$lv2_dir/Velmora.lv2" ;;
        standalone) printf '%s\t%s\n' bin/velmora "$bin_dir/velmora" \
                                      share/man/man1/velmora.1.gz "$man_dir/velmora.1.gz" \
                                      share/applications/velmora.desktop "$share_dir/applications/velmora.desktop"
                    for size in 48 128 256; do
                        icon="share/icons/hicolor/${size}x${size}/apps/velmora.png"
                        printf '%s\t%s\n' "$icon" "$share_dir/${icon#share/}"
                    done ;;
        render) printf '%s\t%s\n' bin/velmora-render "$bin_dir/velmora-render" \
                                  share/man/man1/velmora-render.1.gz "$man_dir/velmora-render.1.gz" ;;
    esac
}

if [ "$uninstall" -eq 1 ]; then
    for component in "${components[@]}"; do
        while IFS=$'\t' read -r _ target; do
            if [ -e "$target" ]; then
                rm -rf "$target"
                echo "removed $target"
            fi
        done < <(items "$component")
    done
    exit 0
fi

if [ -z "$build" ]; then
    build=build
    tools/setup.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j2 --target velmora_installable
fi

# cmake --install fills a staging folder next to the targets; every item is then renamed
# into its place, so a host scanning at the same time never sees half a bundle.
stage_parent="${prefix:-$HOME}"
mkdir -p "$stage_parent"
stage=$(mktemp -d "$stage_parent/.velmora-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT

for component in "${components[@]}"; do
    cmake --install "$build" --prefix "$stage" --component "$component" --strip > /dev/null
    while IFS=$'\t' read -r source target; do
        mkdir -p "$(dirname "$target")"
        rm -rf "$target"
        mv "$stage/$source" "$target"
        echo "installed $target"
    done < <(items "$component")
done

# The programs are only found by name where the folder is on the search path.
if [[ " ${components[*]} " == *" standalone "* || " ${components[*]} " == *" render "* ]] \
    && [[ ":$PATH:" != *":$bin_dir:"* ]]; then
    echo "install: $bin_dir is not on PATH; run the programs as $bin_dir/velmora and $bin_dir/velmora-render, or add it to PATH"
fi
