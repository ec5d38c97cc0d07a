#!/usr/bin/env bash
# Clone to an installed plug-in: builds Velmora.so and copies it where Linux hosts look.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target Velmora_VST -j2
mkdir -p "$HOME/.vst"
cp build/plugin/Velmora_artefacts/Release/VST/Velmora.so "$HOME/.vst/Velmora.so"
echo "installed $HOME/.vst/Velmora.so"
