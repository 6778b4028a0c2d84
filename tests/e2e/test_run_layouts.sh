#!/usr/bin/env bash
# The walk keys by place: X keycode 25 (W on a US keyboard) walks on us, fr,
# de and Dvorak, on AZERTY even when its press is lost to a full queue;
# there keycode 52, labelled W, does not.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

start_xvfb
make_gamedir
moved() { screenshot "$E2E_DIR/now.png"; diff_pixels "$E2E_DIR/standing.png" "$E2E_DIR/now.png" 640x380+0+100; }
walked() { [ "$(moved)" -gt 5000 ]; }
for layout in us fr de "us dvorak"; do
    setxkbmap $layout  # layout and variant, split
    start_game
    wait_still "$E2E_DIR/standing.png" 30 640x380+0+100
    if [ "$layout" = fr ]; then
        keydown 52; wait_frames 20; keyup 52; wait_frames 5
        [ "$(moved)" -lt 500 ] || fail "fr: keycode 52, labelled W, walked"
        # Its press lost behind a full queue, as the first walk key: read
        # back from SDL's key state by what the place types on this layout.
        kill -STOP "$GAME_PID"
        _focus_game
        xdotool key --delay 0 $(printf 'x c %.0s' {1..50})
    fi
    keydown 25
    [ "$layout" = fr ] && kill -CONT "$GAME_PID"
    wait_game 1000 walked || fail "$layout: keycode 25 did not walk"; keyup 25
    key Escape
    wait_game_exit 30
done
echo "PASS"
