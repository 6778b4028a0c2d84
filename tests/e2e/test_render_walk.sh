#!/usr/bin/env bash
# Walking seen from outside: holding w moves the view forward (the far edge
# of the floor comes nearer, so it drops on screen), and walking on past the
# edge leaves a view with no floor in it.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

BELOW_LOGO=640x380+0+100

start_xvfb
make_gamedir
start_game

# The player starts in the air and falls onto the floor: wait for a still view.
wait_still "$E2E_DIR/standing.png" 30 "$BELOW_LOGO"
edge_before=$(far_edge_row "$E2E_DIR/standing.png")
[ "$edge_before" -lt 400 ] || fail "no floor edge in view while standing (row $edge_before)"

# Walk forward until the view shows it, at whatever pace the frames come.
walked() {
    screenshot "$E2E_DIR/walking.png"
    [ "$(diff_pixels "$E2E_DIR/standing.png" "$E2E_DIR/walking.png" "$BELOW_LOGO")" -gt 5000 ]
}
keydown w
wait_game 1000 walked || true
keyup w
wait_still "$E2E_DIR/walked.png" 30 "$BELOW_LOGO"
moved=$(diff_pixels "$E2E_DIR/standing.png" "$E2E_DIR/walked.png" "$BELOW_LOGO")
edge_after=$(far_edge_row "$E2E_DIR/walked.png")
note "floor: $moved pixels changed, far edge row $edge_before -> $edge_after"
[ "$moved" -gt 5000 ] || fail "holding w did not move the view ($moved pixels changed)"
[ "$edge_after" -gt "$edge_before" ] || fail "the far edge did not come nearer ($edge_before -> $edge_after)"

# Walk on until no floor is left in the lower half (below the crosshair): 32 units at 0.25 per
# frame is over 120 frames, so poll rather than guess the frame rate.
floor_gone() {
    game_running || fail "the game ended while walking"
    screenshot "$E2E_DIR/off.png"
    [ "$(region_stddev "$E2E_DIR/off.png" 640x220+0+260)" -le 1 ]
}
keydown w
if ! wait_game 2000 floor_gone; then
    keyup w
    fail "still floor in view after holding w for 2000 frames"
fi
keyup w

# Off the edge nothing catches the player: the view stays empty below the
# horizon, in the sky colour.
wait_frames 30
screenshot "$E2E_DIR/fallen.png"
[ "$(region_stddev "$E2E_DIR/fallen.png" 640x220+0+260)" -le 1 ] || fail "floor back in view after walking off"
assert_color "lower half after walking off" "$(mean_rgb "$E2E_DIR/fallen.png" 640x220+0+260)" "$SKY" 4

key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
