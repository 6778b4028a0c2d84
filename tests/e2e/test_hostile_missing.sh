#!/usr/bin/env bash
# Missing images: no textures directory at all, then each of the six images
# missing, then each replaced by an empty file. The program runs on with
# the image's texture name 0, logs the bitmap failures, and quits on Escape
# with status 0.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/hostile_common.sh"

start_xvfb

new_case no-textures-dir
rm -rf "$GAMEDIR/textures"
run_case
for f in "${BMPS[@]}"; do assert_bmp_failed "$f"; done

for f in "${BMPS[@]}" "${TGAS[@]}"; do
    new_case "missing-$f"
    rm "$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done

for f in "${BMPS[@]}" "${TGAS[@]}"; do
    new_case "empty-$f"
    : >"$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done
echo PASS
