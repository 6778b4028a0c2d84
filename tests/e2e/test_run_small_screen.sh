#!/usr/bin/env bash
# A screen lower than the frame (1024x400, a netbook's or a phone's on its
# side) gets neither the scale its desktop asks for nor full screen: the
# window stays 640x480 and keeps playing.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

XVFB_SCREEN=1024x400x24 start_xvfb
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t192\n')"
make_gamedir
start_game
window_is 640x480 || fail "the window opened at $(xwininfo -id "$GAME_WIN" | awk '/geometry/ {print $2}')"
key F11
wait_frames 10
window_is 640x480 || fail "F11 resized the window on a screen lower than the frame"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
