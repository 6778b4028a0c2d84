#!/usr/bin/env bash
# Images of the wrong kind: each bitmap replaced by a Targa file and each
# Targa file by a bitmap, then each image given a header that claims
# 65535 x 65535 pixels over a few hundred bytes. The program refuses them
# (texture name 0) without trying to hold such an image, and quits on
# Escape with status 0.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/hostile_common.sh"

start_xvfb

for f in "${BMPS[@]}"; do
    new_case "targa-as-$f"
    cp "$VASKEL_BUILD/textures/crosshair.tga" "$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done
for f in "${TGAS[@]}"; do
    new_case "bitmap-as-$f"
    cp "$VASKEL_BUILD/textures/stone.bmp" "$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done

for f in "${BMPS[@]}"; do
    new_case "huge-$f"
    huge_bmp 65535 65535 >"$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done
for f in "${TGAS[@]}"; do
    new_case "huge-$f"
    huge_tga 65535 65535 >"$GAMEDIR/textures/$f"
    run_case
    assert_image_logs "$f"
done
# All three at once. Left to sdl12-compat, each would cost half a minute
# and 12.5 GB before it was refused; refused up front, the first frame
# comes as soon as ever. The deadline is loose for a loaded machine.
new_case huge-every-bitmap
for f in "${BMPS[@]}"; do huge_bmp 65535 65535 >"$GAMEDIR/textures/$f"; done
started=$SECONDS
start_game
took=$((SECONDS - started))
peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$GAME_PID/status")
note "first frame after ${took} s, peak resident ${peak_kb} kB"
[ "$took" -le 20 ] || case_fail "first frame only after $took s"
[ "$peak_kb" -lt 1048576 ] || case_fail "peak resident memory $peak_kb kB"
assert_drawing 20
escape_exits_zero
for f in "${BMPS[@]}"; do assert_bmp_failed "$f"; done
echo PASS
