#!/usr/bin/env bash
# Builds the artwork generator and rewrites the PNG files in resources/.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake -S tools/artwork -B build-artwork -DCMAKE_BUILD_TYPE=Release
cmake --build build-artwork -j2
build-artwork/velmora_artwork_artefacts/Release/velmora_artwork resources
