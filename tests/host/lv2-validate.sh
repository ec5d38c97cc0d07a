#!/bin/sh
# Checks the LV2 bundle's description against the LV2 schemas that lv2-dev installs:
# any error fails.
set -u
bundle="$1"
log=$(lv2_validate "$bundle"/*.ttl 2>&1)

echo "$log" | grep -q "^Found [0-9]* error" || { echo "$log"; echo "lv2_validate did not run"; exit 1; }

if echo "$log" | grep -q -e "^error:" -e "^Found [1-9][0-9]* error"; then
    echo "$log"
    exit 1
fi
echo "$log" | tail -n 1
