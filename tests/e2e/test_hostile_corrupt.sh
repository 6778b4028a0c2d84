#!/usr/bin/env bash
# Corrupt images: each of the six replaced by random bytes, then each cut
# off in the middle of its pixel data. The program runs on with the
# image's texture name 0 and quits on Escape with status 0.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/hostile_common.sh"

start_xvfb

seed=1
for f in "${BMPS[@]}" "${TGAS[@]}"; do
    new_case "random-$f"
    random_bytes 4096 $((seed++)) >"$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done

for f in "${BMPS[@]}" "${TGAS[@]}"; do
    new_case "truncated-$f"
    size=$(stat -c %s "$GAMEDIR/textures/$f")
    head -c $((size / 2)) "$VASKEL_BUILD/textures/$f" >"$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done
echo PASS
