#!/usr/bin/env bash
# Clone to installed plug-ins: builds the VST 2 library, the VST3 and LV2 bundles, the
# standalone application and velmora-render, and copies them where Linux hosts look.
#
#   tools/install.sh                     into ~/.vst, ~/.vst3, ~/.lv2 and ~/.local/bin
#   tools/install.sh --prefix /usr/local into /usr/local/lib/{vst,vst3,lv2} and /usr/local/bin
#   tools/install.sh --uninstall [--prefix DIR]   removes what the same call installed
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=""
uninstall=0
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) [ $# -ge 2 ] || { echo "install: --prefix needs a folder" >&2; exit 2; }; prefix="$2"; shift 2 ;;
        --uninstall) uninstall=1; shift ;;
        -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "install: unknown argument $1 (see --help)" >&2; exit 2 ;;
    esac
done

if [ -n "$prefix" ]; then
    vst_dir="$prefix/lib/vst"; vst3_dir="$prefix/lib/vst3"; lv2_dir="$prefix/lib/lv2"; bin_dir="$prefix/bin"
else
    vst_dir="$HOME/.vst"; vst3_dir="$HOME/.vst3"; lv2_dir="$HOME/.lv2"; bin_dir="$HOME/.local/bin"
fi

installed=("$vst_dir/Velmora.so" "$vst3_dir/Velmora.vst3" "$lv2_dir/Velmora.lv2" "$bin_dir/velmora" "$bin_dir/velmora-render")

if [ "$uninstall" -eq 1 ]; then
    for path in "${installed[@]}"; do
        if [ -e "$path" ]; then
            rm -rf "$path"
            echo "removed $path"
        fi
    done
    exit 0
fi

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target Velmora_VST Velmora_VST3 Velmora_LV2 Velmora_Standalone velmora_render

artefacts=build/plugin/Velmora_artefacts/Release
mkdir -p "$vst_dir" "$vst3_dir" "$lv2_dir" "$bin_dir"

# Each item is copied next to its place first and then renamed, so a host scanning
# at the same time never sees half a bundle.
place() {
    local source="$1" target="$2"
    rm -rf "$target.installing"
    cp -R "$source" "$target.installing"
    rm -rf "$target"
    mv "$target.installing" "$target"
    echo "installed $target"
}

place "$artefacts/VST/Velmora.so" "${installed[0]}"
place "$artefacts/VST3/Velmora.vst3" "${installed[1]}"
place "$artefacts/LV2/Velmora.lv2" "${installed[2]}"
place "$artefacts/Standalone/Velmora" "${installed[3]}"
place build/tools/render/velmora-render "${installed[4]}"
