#!/usr/bin/env bash
# The walk keys by their place on the keyboard, whatever the layout types
# there: X keycode 25, the W place on a US keyboard, walks on us, fr, de and
# Dvorak; on AZERTY the key labelled W (keycode 52, the US Z place) does not.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

BELOW_LOGO=640x380+0+100
W_PLACE=25
Z_PLACE=52

start_xvfb
make_gamedir

# Pixels changed below the logo since the player stood still.
changed() {
    screenshot "$E2E_DIR/now.png"
    diff_pixels "$E2E_DIR/standing.png" "$E2E_DIR/now.png" "$BELOW_LOGO"
}
walked() { [ "$(changed)" -gt 5000 ]; }

for layout in us fr de "us dvorak"; do
    # shellcheck disable=SC2086  # layout and variant
    setxkbmap $layout || fail "setxkbmap $layout"
    start_game
    wait_still "$E2E_DIR/standing.png" 30 "$BELOW_LOGO"
    if [ "$layout" = fr ]; then
        keydown $Z_PLACE
        wait_frames 20
        keyup $Z_PLACE
        wait_frames 5
        [ "$(changed)" -lt 500 ] || fail "$layout: the key labelled W (Z place) walked"
    fi
    keydown $W_PLACE
    wait_game 1000 walked || { keyup $W_PLACE; fail "$layout: the key in the W place did not walk"; }
    keyup $W_PLACE
    note "$layout: the key in the W place walks"
    key Escape
    wait_game_exit 30
    assert_eq 0 "$GAME_STATUS" "$layout: exit status"
done
echo "PASS"
