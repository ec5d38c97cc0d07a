#!/usr/bin/env bash
# Fresh clone to a heard and seen demo: installs the packages, builds and installs the
# plug-ins, makes a few seconds of drums, bass and a sustained chord, and renders them
# through three factory programs into out/: one WAV and one picture per program.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install.sh "$@"

render=build/tools/render/velmora-render
mkdir -p out
"$render" --demo-material out/demo-input.wav

for program in "Mastering: Loud" "Drum Bus: Squashed" "Drum Bus: Pumping"; do
    name=$(echo "$program" | tr 'A-Z' 'a-z' | tr -cs 'a-z0-9' '-' | sed 's/-$//')
    echo
    "$render" --program "$program" --picture "out/$name.png" out/demo-input.wav "out/$name.wav"
done

echo
echo "demo: listen to out/*.wav, look at out/*.png"
