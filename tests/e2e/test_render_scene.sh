#!/usr/bin/env bash
# What the real program puts on screen: sky, the checkerboard floor, the
# crosshair in the middle and the logo in the top-left corner, which is gone
# once its fade has run. Colours are probed with a tolerance, never compared
# exactly.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

TOL=4

start_xvfb
make_gamedir
start_game
shot="$E2E_DIR/first.png"
screenshot "$shot"

# Sky: the top of the screen right of the logo is the clear colour.
assert_color "sky at the top" "$(mean_rgb "$shot" 200x40+420+8)" "$SKY" "$TOL"
[ "$(region_stddev "$shot" 200x40+420+8)" -le 1 ] || fail "the sky is not a flat colour"

# Floor: along a row near the bottom, light stone and dark tile alternate.
read -r light dark changes < <(dump_rgb "$shot" 640x1+0+465 | awk '
    { g = 0.299 * $3 + 0.587 * $4 + 0.114 * $5
      c = g > 70 ? "L" : g < 35 ? "D" : ""
      if (c == "L") light++
      if (c == "D") dark++
      if (c != "" && prev != "" && c != prev) changes++
      if (c != "") prev = c }
    END { print light + 0, dark + 0, changes + 0 }')
note "floor row: $light light, $dark dark pixels, $changes changes"
[ "$light" -ge 120 ] || fail "too little light (stone) floor along the bottom row: $light"
[ "$dark" -ge 120 ] || fail "too little dark (tile) floor along the bottom row: $dark"
[ "$changes" -ge 6 ] || fail "the floor textures do not alternate: $changes changes"

# Crosshair: its white pixels fill a box centred in the window, with a dark
# rim, and the rest of its 16x16 square is see-through.
read -r x0 x1 y0 y1 < <(dump_rgb "$shot" 40x40+300+220 | awk '
    $3 > 235 && $4 > 235 && $5 > 235 {
        if (n++ == 0) { x0 = x1 = $1; y0 = y1 = $2 }
        if ($1 < x0) x0 = $1; if ($1 > x1) x1 = $1
        if ($2 < y0) y0 = $2; if ($2 > y1) y1 = $2 }
    END { print x0 + 0, x1 + 0, y0 + 0, y1 + 0 }')
note "crosshair white box: x $x0..$x1, y $y0..$y1"
[ $((x0 + x1)) -ge 637 ] && [ $((x0 + x1)) -le 641 ] || fail "crosshair not centred in x: $x0..$x1"
[ $((y0 + y1)) -ge 477 ] && [ $((y0 + y1)) -le 481 ] || fail "crosshair not centred in y: $y0..$y1"
[ "$x0" -ge 312 ] && [ "$x1" -le 327 ] && [ "$y0" -ge 232 ] && [ "$y1" -le 247 ] ||
    fail "crosshair outside its 16x16 square"
assert_color "crosshair rim" "$(pixel "$shot" 318 234)" "24 32 38" 30
assert_color "crosshair corner (transparent)" "$(pixel "$shot" 312 232)" "$SKY" "$TOL"

# Logo, upright: the top of the V's left stroke is gold, below the V's point
# is sky (an upside-down logo would swap the two).
gold=$(pixel "$shot" 25 20)
read -r r _ b <<<"$gold"
[ "$r" -gt 200 ] && [ "$b" -lt 150 ] || fail "no gold logo stroke at (25, 20): $gold"
assert_color "beside the logo's V" "$(pixel "$shot" 25 50)" "$SKY" "$TOL"

# After its 60 frames and 25 fading frames the logo is gone for good.
wait_settled "$E2E_DIR/later.png"
assert_color "where the logo was" "$(mean_rgb "$E2E_DIR/later.png" 256x64+0+0)" "$SKY" "$TOL"
assert_color "crosshair still drawn" "$(pixel "$E2E_DIR/later.png" 319 239)" "255 255 255" 20

key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
