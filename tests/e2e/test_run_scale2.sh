#!/usr/bin/env bash
# A desktop that asks for a scale of 2 (Xft.dpi 192, as GNOME and KDE set
# it) gets a 1280x960 window showing the 640x480 picture scaled, each pixel
# a 2x2 block; one whose work area is lower keeps 640x480, on any desktop.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

XVFB_SCREEN=2560x1600x24 start_xvfb
make_gamedir
start_game
wait_settled "$E2E_DIR/one.png"
key Escape
wait_game_exit 30
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t192\n')"
GAME_SIZE=1280x960 start_game
wait_settled "$E2E_DIR/two.png"
scaled_like "$E2E_DIR/one.png" "$E2E_DIR/two.png" || fail "the scale-2 picture differs"
# Each pixel of the frame repeated exactly: every 2x2 block one colour.
convert "$E2E_DIR/two.png" -sample 50% -sample 200% "$E2E_DIR/blocks.png"
read -r _ _ off < <(picture_difference "$E2E_DIR/two.png" "$E2E_DIR/blocks.png" 0)
assert_eq 0 "$off" "pixels unlike their 2x2 block"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
# Panels leave 1000 rows of the screen: 960 and a title bar do not fit.
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,40,2560,1000
GAME_SIZE=640x480 start_game
key Escape
wait_game_exit 30
# The same area for all three desktops, the third current: read as the
# current one's, not past the property's end (an X error).
xprop -root -f _NET_CURRENT_DESKTOP 32c -set _NET_CURRENT_DESKTOP 2
GAME_SIZE=640x480 start_game
key Escape
wait_game_exit 30
echo "PASS"
