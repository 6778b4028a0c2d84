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

# sdl12-compat allocates and clears the whole claimed image (12 GB, half a
# minute) before it gives up, so the huge bitmaps run on classic SDL only.
[ "${VASKEL_SDL:-classic}" = compat ] && huge_bmps=() || huge_bmps=("${BMPS[@]}")
for f in "${huge_bmps[@]+"${huge_bmps[@]}"}"; do
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
echo PASS
