#!/usr/bin/env bash
# A pointer resting in the window's last column when the window opens is
# warped to the left edge by the first frames: the motion event the opening
# makes must survive until the loop's first drain. The game keeps the hidden
# pointer in its window, where SDL moves its own pointer, not the screen's:
# the warp is seen at the call.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

start_xvfb
make_gamedir
so=$(swapcount_so) || skip "cannot build the swap counter"
warps=$E2E_DIR/warps
# Where the window will open on the 1024x768 screen: classic SDL at the
# origin, sdl12-compat centred.
ox=0 oy=0
[ "$SDL_LIB" = compat ] && ox=192 oy=144
xdotool mousemove $((ox + 639)) $((oy + 240))
launch_game LD_PRELOAD="$so" VASKEL_WARPS_FILE="$warps"
wait_window 30
eval "$(xdotool getwindowgeometry --shell "$GAME_WIN")"
assert_eq "$ox,$oy" "$X,$Y" "window position the pointer was placed for"

_warped() { [ -s "$warps" ] || ! game_running; }
wait_until 60 _warped || fail "no warp after 60 s"
game_running || fail "game exited"
grep -q '^Entering gameloop$' "$GAMEDIR/stdout.txt" || fail "warped before the loop started"
read -r frame x y <"$warps"
note "first warp in the drain after $frame frames"
assert_eq "2 240" "$x $y" "the first warp"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
