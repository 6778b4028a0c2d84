#!/usr/bin/env bash
# Run by hand (not part of the test command): VASKEL_SDL=compat picks
# sdl12-compat, as in the other end-to-end scripts.
#
# GNOME on Wayland: mutter as a headless compositor with Xwayland, the game
# through Xwayland, input through mutter's remote-desktop interface as a
# person's mouse and keyboard reach it. The same checks as under the X11
# window managers (test_run_focus.sh):
#   sweep    another window focused, the pointer swept across the game at
#            7 px every 10 ms, both ways, ends where it was sent and the
#            view does not move;
#   away     Alt+Tab switches away on the first press and frees the pointer;
#   back     Alt+Tab back and a move over the game keeps the pointer again;
#   turn     turning at 13 px steps keeps the pointer inside and turns;
#   escape   Escape ends the game with status 0.
# Xwayland knows where the pointer is only over its own windows, so two
# other windows stand either side of the game, where the sweeps end.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

INPUT="/usr/bin/python3 $_E2E_HERE/mutter_input.py"
if [ -z "${VASKEL_IN_MUTTER:-}" ]; then
    for tool in mutter Xwayland dbus-run-session xmessage; do
        command -v "$tool" >/dev/null || skip "$tool not installed"
    done
    /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || skip "python3-gi not installed"
    export XDG_RUNTIME_DIR=$E2E_DIR/run
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # mutter runs the script on its own displays and ends with it.
    VASKEL_IN_MUTTER=$E2E_DIR/result dbus-run-session -- \
        mutter --headless --wayland --virtual-monitor 1024x768 --wayland-display "vaskel-$$" \
        -- bash "$0" >"$E2E_DIR/inner.log" 2>&1 || true
    grep -v '^check ' "$E2E_DIR/inner.log" | grep -E '^(e2e|FAIL|SKIP)' >&2 || true
    grep '^check ' "$E2E_DIR/inner.log" | awk '{ line = line " " $2 "=" $3 } END { print "mutter:" line }'
    [ -s "$E2E_DIR/result" ] || { tail -n 30 "$E2E_DIR/inner.log" >&2; fail "the run under mutter did not finish"; }
    status=$(cat "$E2E_DIR/result")
    [ "$status" = 77 ] && skip "$(grep -m1 '^SKIP' "$E2E_DIR/inner.log")"
    [ "$status" = 0 ] || fail "under mutter (status $status)"
    echo "PASS"
    exit 0
fi

result_file=$VASKEL_IN_MUTTER
at_exit 'echo "$status" >"$result_file"'
export LIBGL_ALWAYS_SOFTWARE=1
_x_up() { xdpyinfo >/dev/null 2>&1; }
wait_until 30 _x_up || fail "no Xwayland display"

# Screen places of the three windows: the game between the other two.
xmessage -geometry 150x100+10+334 "left" >/dev/null 2>&1 &
at_exit "kill $! 2>/dev/null"
xmessage -geometry 150x100+864+334 "right" >/dev/null 2>&1 &
at_exit "kill $! 2>/dev/null"
start_game
xdotool windowmove --sync "$GAME_WIN" 192 144 2>/dev/null || xdotool windowmove "$GAME_WIN" 192 144
_others_up() { [ "$(xdotool search --onlyvisible --classname xmessage 2>/dev/null | wc -l)" -ge 2 ]; }
wait_until 30 _others_up || fail "no other windows"
right=$(for w in $(xdotool search --onlyvisible --classname xmessage); do
    xwininfo -id "$w" | awk -v w="$w" '/Absolute upper-left X/ && $NF > 800 {print w}'
done)
[ -n "$right" ] || fail "the right-hand window is not where it was put"

# pointer_at X Y: the pointer moved there, from the screen's top left corner.
pointer_at() { $INPUT move:-4000:-4000 "move:$1:$2"; }
pointer_is() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ "$X,$Y" = "$1,$2" ]
}
click() { $INPUT move:-4000:-4000 "move:$1:$2" click; }
_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# kept: the game active, and a push of 400 px to the right leaves the pointer inside.
_kept() { _active "$GAME_WIN" && $INPUT move:400:0 && pointer_in_window; }
alt_tab() { $INPUT key:Alt_L:1 sleep:0.1 key:Tab:1 key:Tab:0 sleep:0.1 key:Alt_L:0; }
failed=()
check() {
    local name=$1
    shift
    if "$@"; then echo "check $name pass"; else echo "check $name FAIL"; failed+=("$name"); fi
}

sweep_unmoved() {
    click 935 384
    wait_until 20 _active "$right" || { note "the right-hand window did not take the focus"; return 1; }
    wait_settled "$E2E_DIR/before_sweep.png"
    pointer_at 100 384
    $INPUT sweep:7:114:0.01
    pointer_is 898 384 || { note "swept right to 898,384: $(xdotool getmouselocation)"; return 1; }
    $INPUT sweep:-7:114:0.01
    pointer_is 100 384 || { note "swept left to 100,384: $(xdotool getmouselocation)"; return 1; }
    wait_still "$E2E_DIR/after_sweep.png"
    local changed
    changed=$(diff_pixels "$E2E_DIR/before_sweep.png" "$E2E_DIR/after_sweep.png")
    [ "$changed" -eq 0 ] || { note "the unfocused game's view moved: $changed pixels"; return 1; }
}
away_first_press() {
    click 512 384
    wait_until 20 _kept || { note "the focused game did not keep the pointer"; return 1; }
    alt_tab
    wait_until 20 eval '! _active "$GAME_WIN"' || { note "one Alt+Tab left the game active"; return 1; }
    $INPUT move:-4000:0 move:100:0
    pointer_is 100 "$(xdotool getmouselocation --shell | awk -F= '/^Y=/ {print $2}')" &&
        ! pointer_in_window || { note "the pointer stayed kept after Alt+Tab"; return 1; }
}
back_kept() {
    alt_tab
    wait_until 20 _active "$GAME_WIN" || { note "Alt+Tab did not come back to the game"; return 1; }
    $INPUT move:400:0
    wait_until 20 _kept || { note "the pointer was not kept again"; return 1; }
}
turn_kept() {
    local dir stretch
    for dir in 13 -13; do
        wait_still "$E2E_DIR/turn_last.png"
        for stretch in 1 2 3 4 5 6 7 8; do
            $INPUT "sweep:$dir:10:0.01"
            pointer_in_window || { note "steps of $dir px: the pointer left in stretch $stretch"; return 1; }
            _turned() {
                screenshot "$E2E_DIR/turn_now.png"
                [ "$(diff_pixels "$E2E_DIR/turn_last.png" "$E2E_DIR/turn_now.png")" -gt 100 ]
            }
            wait_until 10 _turned || { note "steps of $dir px: no turn in stretch $stretch"; return 1; }
            mv "$E2E_DIR/turn_now.png" "$E2E_DIR/turn_last.png"
        done
    done
}

check sweep sweep_unmoved
check away away_first_press
check back back_kept
check turn turn_kept
_active "$GAME_WIN" || click 512 384
$INPUT key:Escape:1 key:Escape:0
wait_game_exit 30
check escape [ "$GAME_STATUS" = 0 ]
[ ${#failed[@]} -eq 0 ] || fail "${failed[*]}"
echo "PASS"
