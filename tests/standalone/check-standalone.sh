#!/usr/bin/env bash
# check-standalone.sh <velmora>: the standalone application run as a process: what it
# answers without opening a window, with and without a display, and whether its window
# on the display (a virtual X server of the test's own) shows the muted-input banner,
# with no audio device and with a device that has inputs.
set -euo pipefail
velmora="$1"

fail() { echo "standalone: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no display to test on"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

echo "== answers without a window"
# display (none, this one or a name) | argument | exit status | stream | its only line
while IFS='|' read -r display argument status stream line; do
    case "$display" in
        none) command=(env -u DISPLAY "$velmora") ;;
        this) command=("$velmora") ;;
        *) command=(env DISPLAY="$display" "$velmora") ;;
    esac
    got=0
    HOME="$root" "${command[@]}" ${argument:+"$argument"} > "$root/out" 2> "$root/err" || got=$?
    echo "$display ${argument:-(none)}: $got, $(head -n 1 "$root/$stream")"
    [ "$got" -eq "$status" ] || fail "exit status $got, not $status"
    if [ "$stream" = err ]; then
        [ "$(cat "$root/err")" = "$line" ] && [ ! -s "$root/out" ] || fail "not this one error line alone: $line"
    else
        [ "$(head -n 1 "$root/out")" = "$line" ] || fail "standard output does not begin: $line"
    fi
done <<'CASES'
none|--help|0|out|Usage: velmora
none|-h|0|out|Usage: velmora
none|--version|0|out|velmora 1.0.0
this|--version|0|out|velmora 1.0.0
none||1|err|velmora: error: no display to open the window on (DISPLAY is not set)
:9999||1|err|velmora: error: cannot open the display :9999
none|--bogus|2|err|velmora: error: unknown argument --bogus (see --help)
CASES

# The height of velmora's window a second after it appears, with HOME set to $1. A
# velmora that ends before then is shown with what it said and started once more:
# a second early end fails the test.
height() { xwininfo -root -tree | sed -n 's/^ *0x[0-9a-f]* "Velmora": .* [0-9]*x\([0-9]*\)+.*/\1/p'; }
window_height() {
    local attempt pid status shown
    for attempt in 1 2; do
        HOME="$1" "$velmora" > "$1/out" 2>&1 &
        pid=$!
        for _ in $(seq 300); do [ -n "$(height)" ] || ! kill -0 "$pid" 2> /dev/null && break; sleep 0.1; done
        sleep 1
        shown=$(height)
        if kill "$pid" 2> /dev/null; then
            wait "$pid" || true
            echo "$shown"
            return
        fi
        status=0
        wait "$pid" || status=$?
        echo "velmora (attempt $attempt) ended by itself with status $status, saying:" >&2
        cat "$1/out" >&2
    done
}

echo "== the muted-input banner"
mkdir -p "$root/none" "$root/input"
# An ALSA device that accepts everything and records silence: an input to mute.
printf 'pcm.velmora_test {\n type null\n hint { show on description "test input" }\n}\n' > "$root/input/.asoundrc"
without=$(window_height "$root/none")
with=$(window_height "$root/input")
echo "window height: ${without:-none} without an audio device, ${with:-none} with an input"
# The banner is 30 pixels high, above the editor.
[ -n "$without" ] && [ "$with" = $((without + 30)) ] || fail "the banner does not show exactly when there is an input"
