#!/usr/bin/env bash
# Under the window managers of real desktops (openbox; metacity, GNOME
# Flashback's; xfwm4, Xfce's), each with its Alt+Tab as shipped, the pointer
# and the keyboard are the player's whenever the game is not being played:
#   sweep    another window focused (under i3 by a click in it), the
#            pointer swept across the game at 7 px every 10 ms, both ways,
#            ends where it was sent and the view does not move;
#   away     Alt+Tab, typed as a person types it, switches away on the
#            first press and frees the pointer;
#   back     Alt+Tab back and a move over the game keeps the pointer again;
#   turn     turning at 13 px steps keeps the pointer inside;
#   full     (openbox) F11 covers the screen with the windowed picture
#            scaled; Alt+Tab leaves it and comes back; F11 again brings
#            back 640x480;
#   escape   Escape ends the game with status 0.
# i3, as shipped, gives the focus to the window under the pointer and has no
# Alt+Tab: there the sweep also gives the game the focus on its way, and
# in place of away and back:
#   click    over the game, which the pointer's arrival made active, a
#            click keeps the pointer.
# VASKEL_WM picks one window manager; without it each installed one runs
# in turn on its own display, and a line per window manager gives each
# check's result.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
command -v xmessage >/dev/null || skip "xmessage not installed"

CHECKS="sweep away back turn escape"
[ "${VASKEL_WM:-}" = openbox ] && CHECKS="sweep away back turn full escape"
[ "${VASKEL_WM:-}" = i3 ] && CHECKS="sweep click turn escape"

if [ -z "${VASKEL_WM:-}" ]; then
    failed=() ran=0
    for wm in openbox metacity xfwm4 i3; do
        if ! command -v "$wm" >/dev/null; then
            echo "$wm: skipped, not installed"
            continue
        fi
        status=0
        VASKEL_WM=$wm bash "$0" >"$E2E_DIR/$wm.log" 2>&1 || status=$?
        check_line "$wm" "$E2E_DIR/$wm.log"
        if [ "$status" -ne 0 ]; then
            grep -v '^check ' "$E2E_DIR/$wm.log" | tail -n 20 | sed 's/^/    /'
            failed+=("$wm")
        fi
        ran=$((ran + 1))
    done
    [ "$ran" -gt 0 ] || skip "no window manager installed"
    [ ${#failed[@]} -eq 0 ] || fail "under ${failed[*]}"
    echo "PASS"
    exit 0
fi

start_xvfb
case $VASKEL_WM in
    openbox) start_wm openbox --sm-disable ;;
    metacity) start_wm dbus-run-session -- metacity --sm-disable --compositor=none ;;
    xfwm4) start_wm dbus-run-session -- xfwm4 --compositor=off --sm-client-disable ;;
    # As shipped, after the first start's wizard, which holds the keyboard until answered.
    i3) sed '/i3-config-wizard/d' /etc/i3/config >"$E2E_DIR/i3.config"
        start_wm i3 -c "$E2E_DIR/i3.config" ;;
    *) fail "unknown window manager $VASKEL_WM" ;;
esac

start_game
# Off the screen's edges, so that the sweep crosses the whole window.
move_game_window 192 144 || note "the game's window stays at $(where_game_window)"
xmessage -geometry 300x100+700+640 "another window" >/dev/null 2>&1 &
at_exit "kill $! 2>/dev/null"
_other_up() { other=$(xdotool search --onlyvisible --classname xmessage 2>/dev/null | head -n 1) && [ -n "$other" ]; }
wait_until 30 _other_up || fail "no second window"

# pointer_goes X Y: true when a move to those screen coordinates lands there.
pointer_goes() {
    local X Y SCREEN WINDOW
    xdotool mousemove "$1" "$2"
    eval "$(xdotool getmouselocation --shell)"
    [ "$X,$Y" = "$1,$2" ]
}
_kept() { _active "$GAME_WIN" && ! pointer_goes 850 700 && pointer_in_window; }
_free() { pointer_goes 850 700; }
_away() { ! _active "$GAME_WIN" && pointer_goes 850 700; }
# back_over: the pointer over the game, as a player comes back to it.
back_over() {
    mousemove_window 300 200
    mousemove_window 320 240
}
# alt_tab: Alt down, Tab about 100 ms later, Alt up after that.
alt_tab() {
    xdotool keydown alt
    sleep 0.1
    xdotool key Tab
    sleep 0.1
    xdotool keyup alt
}

# sweep_from X0 X1: steps of 7 px at y 384 from X0 to X1, 10 ms apart.
sweep_from() {
    local x=$1 step=7 moves=() X Y SCREEN WINDOW
    [ "$2" -lt "$1" ] && step=-7
    xdotool mousemove "$1" 384
    while [ $(((x - $2) * step)) -lt 0 ]; do
        moves+=(mousemove_relative -- "$step" 0 sleep 0.01)
        x=$((x + step))
    done
    xdotool "${moves[@]}"
    eval "$(xdotool getmouselocation --shell)"
    [ "$X,$Y" = "$x,384" ] || { note "swept to $x,384, the pointer is at $X,$Y"; return 1; }
}
# Under i3 the other window is focused as a player focuses it there: a click at its far end.
focus_other() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$other")"
    [ "$VASKEL_WM" != i3 ] || { xdotool mousemove $((X + WIDTH - 5)) $((Y + HEIGHT / 2)) click 1; return; }
    timeout 20 xdotool windowactivate --sync "$other" 2>/dev/null || true
}
sweep_unmoved() {
    focus_other
    wait_until 20 _active "$other" || { note "the other window did not take the focus"; return 1; }
    wait_settled "$E2E_DIR/before_sweep.png"
    sweep_from 150 878 && sweep_from 878 150 || return 1
    wait_still "$E2E_DIR/after_sweep.png"
    local changed
    changed=$(diff_pixels "$E2E_DIR/before_sweep.png" "$E2E_DIR/after_sweep.png")
    [ "$changed" -eq 0 ] || { note "the unfocused game's view moved: $changed pixels"; return 1; }
}
away_first_press() {
    timeout 20 xdotool windowactivate --sync "$GAME_WIN" 2>/dev/null || true
    back_over
    wait_until 20 _kept || { note "the focused game did not keep the pointer"; return 1; }
    alt_tab
    wait_until 20 _away || { note "one Alt+Tab left the game active or the pointer kept"; return 1; }
}
back_kept() {
    alt_tab
    wait_until 20 _active "$GAME_WIN" || { note "Alt+Tab did not come back to the game"; return 1; }
    back_over
    wait_until 20 _kept || { note "the pointer was not kept again"; return 1; }
}
# The game has drained the click once it has shown two more frames.
click_keeps() {
    back_over
    wait_until 20 _active "$GAME_WIN" || { note "the pointer's arrival did not make the game active"; return 1; }
    xdotool click 1
    wait_frames 2
    _kept || { note "a click did not keep the pointer"; return 1; }
}
turn_kept() {
    ( VASKEL_SWEEP_STEPS=13 turn_sweep )
}
_away_full() { ! _active "$GAME_WIN"; }
_walked_full() { GAME_WIN=root screenshot "$E2E_DIR/now.png"; [ "$(diff_pixels "$E2E_DIR/full.png" "$E2E_DIR/now.png")" -gt 5000 ]; }
# The screen is 4:3, so the scaled picture fills it.
full_screen() {
    wait_settled "$E2E_DIR/windowed.png"
    key F11
    wait_until 20 window_is 1024x768 || { note "F11 did not cover the screen"; return 1; }
    GAME_WIN=root wait_still "$E2E_DIR/full.png"  # what the screen shows
    scaled_like "$E2E_DIR/windowed.png" "$E2E_DIR/full.png" || { note "the full-screen picture differs"; return 1; }
    alt_tab
    wait_until 20 _away_full || { note "one Alt+Tab left the full-screen game active"; return 1; }
    alt_tab
    wait_until 20 _active "$GAME_WIN" || { note "Alt+Tab did not come back to the full-screen game"; return 1; }
    keydown w
    wait_game 1000 _walked_full || { keyup w; note "the game did not play on in full screen"; return 1; }
    keyup w
    key F11
    wait_until 20 window_is 640x480 || { note "F11 again did not bring back 640x480"; return 1; }
}

check sweep sweep_unmoved
if [ "$VASKEL_WM" = i3 ]; then
    check click click_keeps
else
    check away away_first_press
    check back back_kept
fi
check turn turn_kept
[ "$VASKEL_WM" = openbox ] && check full full_screen
timeout 20 xdotool windowactivate --sync "$GAME_WIN" 2>/dev/null || true
key Escape
wait_game_exit 30
check escape [ "$GAME_STATUS" = 0 ]
[ ${#CHECKS_FAILED[@]} -eq 0 ] || fail "${CHECKS_FAILED[*]}"
echo "PASS"
