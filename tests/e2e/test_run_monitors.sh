#!/usr/bin/env bash
# Full screen on a desk of two monitors side by side, 16:9 (1920x1080) and
# 5:4 (1280x1024), under openbox: F11 covers the monitor the window is on, at
# its size, with the windowed picture at 4:3 in the middle on black; F11
# again brings back 640x480. A monitor whose size changes while the game
# covers it is covered at its new size. A monitor lower than the frame gets
# no full screen.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

command -v xrandr >/dev/null || skip "xrandr not installed"
XVFB_SCREEN=3200x1080x24 start_xvfb
xrandr --setmonitor A 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor B 1280/339x1024/271+1920+0 none >/dev/null
start_wm openbox
make_gamedir
start_game
wait_settled "$E2E_DIR/windowed.png"

# B's resolution changed while the game covers it (B replaced by C: RandR
# cannot resize a monitor in place), before the pointer first crosses the game:
# the window manager's resize moves a kept pointer, which reads as a turn.
move_game_window 2200 100 && key F11 && wait_until 20 window_is 1280x1024 || fail "F11 on B"
xrandr --setmonitor C 1024/271x768/203+1920+0 none >/dev/null && xrandr --delmonitor B
_fills() {
    GAME_WIN=root screenshot "$E2E_DIR/full.png" && convert "$E2E_DIR/full.png" -crop 1024x768+1920+0 +repage \
        "$E2E_DIR/c.png" && scaled_like "$E2E_DIR/windowed.png" "$E2E_DIR/c.png"
}
wait_until 20 _fills || fail "B changed to 1024x768 was not covered again"
key F11 && wait_until 20 window_is 640x480 || fail "F11 again did not bring back 640x480 from C"
xrandr --setmonitor B 1280/339x1024/271+1920+0 none >/dev/null && xrandr --delmonitor C

# covers X MONITOR PICTURE BAR AWAY: with the window moved to X,100, F11 makes
# it MONITOR (WxH+X+Y), with the windowed picture in PICTURE and black in BAR;
# F11 again brings it back where it was. The pointer waits at AWAY, where the
# window never comes, grown or full: a window moved under the pointer brings
# the game a motion, and the window manager's later moves read as turns.
covers() {
    local size=${2%%+*} at=${2#*+} framed
    _covers() { window_is "$size" && [ "$(where_game_window)" = "${at/+/,}" ]; }
    _back() { window_is 640x480 && [ "$(where_game_window)" = "$framed" ]; }
    xdotool mousemove "${5%,*}" "${5#*,}"
    move_game_window "$1" 100 || fail "the window stays at $(where_game_window)"
    framed=$(where_game_window)
    key F11
    wait_until 20 _covers || fail "F11 on $2: the window is at $(where_game_window)"
    GAME_WIN=root wait_still "$E2E_DIR/full.png" 40 "$3"
    convert "$E2E_DIR/full.png" -crop "$3" +repage "$E2E_DIR/picture.png"
    scaled_like "$E2E_DIR/windowed.png" "$E2E_DIR/picture.png" || fail "the picture on $2 differs"
    assert_eq "0 0 0" "$(mean_rgb "$E2E_DIR/full.png" "$4")" "the bars on $2"
    key F11
    wait_until 20 _back || fail "F11 again left the window at $(where_game_window), not $framed, from $2"
}
covers 2200 1280x1024+1920+0 1280x960+1920+32 1280x32+1920+0 2100,1060
covers 400 1920x1080+0+0 1440x1080+240+0 240x1080+0+0 3150,1060
covers 1202 1920x1080+0+0 1440x1080+240+0 240x1080+0+0 3150,1060  # its middle 398 px from the first's right edge
xrandr --setmonitor C 1280/339x400/106+1920+0 none >/dev/null && xrandr --delmonitor B
move_game_window 2200 100 && key F11 && wait_frames 10
window_is 640x480 || fail "F11 resized the window on a monitor lower than the frame"
key Escape
wait_game_exit 30
echo "PASS"
