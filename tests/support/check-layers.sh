#!/bin/sh
# check-layers.sh <with editor> <without editor>...
# The editor's class is in the first binary and in none of the others: what links only
# the processor library carries no editor code.
set -eu
editor=CorvaneAudioProcessorEditor
with=$1
shift

if [ "$(nm -C "$with" | grep -c "$editor")" -eq 0 ]; then
    echo "no $editor symbol in $with, which has the editor: the check sees nothing" >&2
    exit 1
fi

status=0
for binary in "$@"; do
    found=$(nm -C "$binary" | grep -c "$editor" || true)
    if [ "$found" -ne 0 ]; then
        echo "$binary links editor code: $found $editor symbols" >&2
        status=1
    fi
done
exit $status
