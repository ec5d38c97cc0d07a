#!/usr/bin/env bash
# with-display.sh COMMAND...: runs the command on a virtual X server of its own, a
# true-colour screen that holds the editor at twice its size. The server picks a free
# display number itself and names it on a pipe, so tests started at the same moment
# never race for one number, as xvfb-run -a can.
set -euo pipefail
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$dir/display" 2> "$dir/log" &
server=$!
trap 'kill "$server" 2> /dev/null || true; wait "$server" 2> /dev/null || true; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
    [ -s "$dir/display" ] || ! kill -0 "$server" 2> /dev/null && break
    sleep 0.05
done
if [ ! -s "$dir/display" ]; then
    echo "with-display: the virtual X server did not start:" >&2
    cat "$dir/log" >&2
    exit 1
fi
DISPLAY=":$(cat "$dir/display")" "$@"
