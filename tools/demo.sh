#!/usr/bin/env bash
# Fresh clone to a heard and seen demo: installs the Debian packages the build needs,
# builds the offline renderer in build/, makes a few seconds of drums, bass and a
# sustained chord, and renders them through three factory programs into out/: one WAV
# and one picture per program. Everything runs from the build folder; nothing is
# installed unless asked:
#
#   tools/demo.sh                         render the demo from build/
#   tools/demo.sh --install               ... and install every format for this user
#   tools/demo.sh --install --prefix DIR  ... and install below DIR (e.g. /usr/local)
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "demo: $*" >&2; exit 2; }

install_args=()
install=0
while [ $# -gt 0 ]; do
    case "$1" in
        --install) install=1; shift ;;
        --prefix) [ $# -ge 2 ] || fail "--prefix needs a folder"; install_args+=(--prefix "$2"); shift 2 ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) fail "unknown argument $1 (see --help)" ;;
    esac
done
[ "$install" -eq 1 ] || [ ${#install_args[@]} -eq 0 ] || fail "--prefix only goes with --install"

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j2 --target velmora_render

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
echo "demo: the renderer is $render (try: $render --help)"

if [ "$install" -eq 1 ]; then
    echo
    tools/install.sh "${install_args[@]}"
else
    echo "demo: to use Velmora in a DAW, install the Debian package:"
    echo "        tools/package.sh && sudo apt-get install ./build/velmora_*.deb"
    echo "      or install for this user only with tools/demo.sh --install (see README.md)"
fi
