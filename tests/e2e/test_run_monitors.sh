#!/usr/bin/env bash
# Full screen on a desk of two monitors side by side, 16:9 (1920x1080) and
# 5:4 (1280x1024), under openbox: F11 covers the monitor the window is on, at
# that monitor's size, with the windowed picture at 4:3 in the middle on
# black; F11 again brings back 640x480.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

command -v xrandr >/dev/null || skip "xrandr not installed"
command -v openbox >/dev/null || skip "openbox not installed"
XVFB_SCREEN=3200x1080x24 start_xvfb
xrandr --setmonitor A 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor B 1280/339x1024/271+1920+0 none >/dev/null
start_wm openbox
make_gamedir
start_game
wait_settled "$E2E_DIR/windowed.png"

# covers MONITOR PICTURE BAR: F11 makes the window MONITOR (WxH+X+Y), whose
# PICTURE region shows the windowed picture and BAR region is black.
covers() {
    local size=${1%%+*} at=${1#*+}
    _covers() { window_is "$size" && [ "$(where_game_window)" = "${at/+/,}" ]; }
    key F11
    wait_until 20 _covers || fail "F11 on $1: the window is $(where_game_window) $(xwininfo -id "$GAME_WIN" | awk '/geometry/ {print $2}')"
    GAME_WIN=root wait_still "$E2E_DIR/full.png" 40 "$2"
    convert "$E2E_DIR/full.png" -crop "$2" +repage "$E2E_DIR/picture.png"
    scaled_like "$E2E_DIR/windowed.png" "$E2E_DIR/picture.png" || fail "the picture on $1 differs"
    assert_eq "0 0 0" "$(mean_rgb "$E2E_DIR/full.png" "$3")" "the bars on $1"
    key F11
    wait_until 20 window_is 640x480 || fail "F11 again did not bring back 640x480 from $1"
}
move_game_window 2200 100 || fail "the window stays at $(where_game_window)"
covers 1280x1024+1920+0 1280x960+1920+32 1280x32+1920+0
move_game_window 400 100 || fail "the window stays at $(where_game_window)"
covers 1920x1080+0+0 1440x1080+240+0 240x1080+0+0
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
