#!/usr/bin/env bash
# check-standalone.sh <velmora>: the standalone application run as a process: what it
# answers without opening a window, with and without a display, and whether its window
# on the display (a virtual X server of the test's own) shows the banner without an
# audio device and with a muted input, but not with an input heard, and gives docks
# its class and icon; and that it runs on a JACK server when one is running.
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
none|-V|0|out|velmora 1.0.0
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
        # What docks read: the class the desktop entry names, and an icon.
        window=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Velmora": .*/\1/p' | head -n 1)
        [ -z "$window" ] || xprop -id "$window" WM_CLASS _NET_WM_ICON | grep -E '^(WM_CLASS|_NET_WM_ICON)|Icon \(' > "$1/properties" || true
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

echo "== the banner: no audio device, a muted input"
mkdir -p "$root/none" "$root/input" "$root/unmuted/.config"
# An ALSA device that accepts everything and records silence: an input to mute.
printf 'pcm.velmora_test {\n type null\n hint { show on description "test input" }\n}\n' > "$root/input/.asoundrc"
cp "$root/input/.asoundrc" "$root/unmuted/"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES>\n  <VALUE name="shouldMuteInput" val="0"/>\n</PROPERTIES>\n' \
    > "$root/unmuted/.config/Velmora.settings"
without=$(window_height "$root/none")
muted=$(window_height "$root/input")
unmuted=$(window_height "$root/unmuted")
echo "window height: ${without:-none} without an audio device, ${muted:-none} with a muted input, ${unmuted:-none} with an input heard"
# The banner is 30 pixels high, above the editor.
[ -n "$unmuted" ] && [ "$without" = $((unmuted + 30)) ] && [ "$muted" = $((unmuted + 30)) ] \
    || fail "the banner does not show exactly without a device and with a muted input"

echo "== the window's class and icon"
class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../packaging/velmora.desktop")
cat "$root/none/properties"
grep -q "^WM_CLASS(STRING) = \"$class\", \"$class\"$" "$root/none/properties" || fail "the window's class is not $class, which the desktop entry names"
grep -q "Icon (128 x 128):" "$root/none/properties" || fail "the window sets no icon"

echo "== on a JACK server of the test's own"
command -v jackd > /dev/null || fail "jackd is not installed (tools/setup.sh installs jackd2)"
export JACK_DEFAULT_SERVER="velmora-test-$$"
mkdir -p "$root/jack"
jackd -r -d dummy -r 48000 -p 256 > "$root/jackd.log" 2>&1 &
server=$!
for _ in $(seq 100); do jack_lsp > /dev/null 2>&1 && break; sleep 0.1; done
HOME="$root/jack" "$velmora" > "$root/jack/out" 2>&1 &
pid=$!
for _ in $(seq 100); do jack_lsp 2> /dev/null | grep -q '^Velmora:' && break; sleep 0.1; done
sleep 3
ports=$(jack_lsp 2> /dev/null | grep -c '^Velmora:' || true)
running=yes
kill "$pid" 2> /dev/null || running=no
wait "$pid" || true
kill "$server"
wait "$server" || true
unset JACK_DEFAULT_SERVER
echo "velmora's JACK ports after 3 s: $ports, still running: $running"
[ "$running" = yes ] && [ "$ports" -ge 4 ] || { cat "$root/jack/out" "$root/jackd.log" >&2; fail "velmora does not run on the JACK server"; }
grep -q 'JACK' "$root/jack/.config/Velmora.settings" || fail "the settings do not keep the JACK device"
