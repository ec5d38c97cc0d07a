#!/bin/sh
# Checks the LV2 bundle's description against the LV2 schemas that lv2-dev installs.
# Switches and selectors carry lv2:portProperty (toggled, enumeration) on their
# parameters, which hosts read although the schema declares the property for ports
# only; those errors, which come from the framework's generator, are the only ones
# accepted.
set -u
bundle="$1"
log=$(lv2_validate "$bundle"/*.ttl 2>&1)

echo "$log" | grep -q "^Found [0-9]* error" || { echo "$log"; echo "lv2_validate did not run"; exit 1; }

others=$(echo "$log" | awk '
    /^error:/ { message = $0; getline subject; getline predicate; getline object
                if (message ~ /Subject not in domain <http:\/\/lv2plug.in\/ns\/lv2core#Port>/ && predicate ~ /lv2core#portProperty/)
                    accepted++
                else
                    print message " | " subject " | " predicate " | " object
                next }
    END { printf "accepted: %d portProperty errors\n", accepted > "/dev/stderr" }')

if [ -n "$others" ]; then
    echo "$others"
    exit 1
fi
echo "$log" | tail -n 1
