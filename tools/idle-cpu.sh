#!/usr/bin/env bash
# idle-cpu.sh [velmora]: what the standalone costs while it idles with its window open
# and no audio device, on a virtual display: the process's clock ticks (user and
# system, 100 a second on one core) over 20 seconds, after 5 seconds to settle.
set -euo pipefail
cd "$(dirname "$0")/.."
velmora=$(realpath "${1:-build/plugin/Velmora_artefacts/Release/Standalone/Velmora}")

if [ -z "${VELMORA_IDLE_DISPLAY:-}" ]; then
    VELMORA_IDLE_DISPLAY=1 exec xvfb-run -a "$0" "$velmora"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" "$velmora" > /dev/null 2>&1 &
pid=$!
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
sleep 5
before=$(ticks)
sleep 20
after=$(ticks)
kill "$pid"
wait "$pid" || true
awk -v t=$((after - before)) 'BEGIN { printf "%d ticks in 20 s: %.2f %% of a core\n", t, t / 20 }'
