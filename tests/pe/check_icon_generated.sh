#!/usr/bin/env bash
# Draws the icon and its preview afresh, twice, and compares both runs with
# the committed files, byte for byte.
set -euo pipefail
source=${1:?source directory}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for run in 1 2; do
    /usr/bin/python3 "$source/res/draw_icon.py" "$scratch/$run.ico" "$scratch/$run.png"
    cmp "$scratch/$run.ico" "$source/res/HvLaunch.ico" || status=1
    cmp "$scratch/$run.png" "$source/docs/icon-preview.png" || status=1
done
[ $status = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
