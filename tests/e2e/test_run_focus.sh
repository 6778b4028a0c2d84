#!/usr/bin/env bash
# Under a real window manager the kept pointer follows the focus: it is kept
# in the game's window once it moves there, another window taking the focus
# frees it, and coming back keeps it again once it moves over the game;
# Alt+Tab reaches the window manager and switches away; and Escape still
# ends the game with status 0.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
command -v openbox >/dev/null || skip "openbox not installed"
command -v xmessage >/dev/null || skip "xmessage not installed"

start_xvfb
# Alt+Tab switches at the press, not at Alt's release, so that the test does
# not race the window manager's own keyboard grab.
cat >"$E2E_DIR/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard>
    <keybind key="A-Tab"><action name="NextWindow"><interactive>no</interactive><dialog>no</dialog></action></keybind>
  </keyboard>
</openbox_config>
XML
openbox --sm-disable --config-file "$E2E_DIR/rc.xml" >"$E2E_DIR/openbox.log" 2>&1 &
at_exit "kill $! 2>/dev/null"
_wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 30 _wm_up || fail "openbox did not start"

xmessage -geometry 300x100+700+600 "another window" &
at_exit "kill $! 2>/dev/null"
_other_up() { other=$(xdotool search --onlyvisible --classname xmessage 2>/dev/null | head -n 1) && [ -n "$other" ]; }
wait_until 30 _other_up || fail "no second window"

start_game
# pointer_goes X Y: true when a move to those screen coordinates lands there.
pointer_goes() {
    local X Y SCREEN WINDOW
    xdotool mousemove "$1" "$2"
    eval "$(xdotool getmouselocation --shell)"
    [ "$X,$Y" = "$1,$2" ]
}
_kept() { ! pointer_goes 850 650 && pointer_in_window; }
_free() { pointer_goes 850 650; }
_away() { [ "$(xdotool getactivewindow)" != "$GAME_WIN" ] && pointer_goes 850 650; }
# back_over: the focus to the game and the pointer over it, as a player comes back.
back_over() {
    xdotool windowactivate --sync "$GAME_WIN"
    mousemove_window 300 200
    mousemove_window 320 240
}

back_over
wait_until 20 _kept || fail "the focused game let the pointer leave its window"
xdotool keydown alt
wait_until 20 _free || fail "the pointer stayed kept while Alt was held"
xdotool key Tab keyup alt
wait_until 20 _away || fail "Alt+Tab did not switch to the other window"
back_over
wait_until 20 _kept || fail "the pointer was not kept again after Alt+Tab and back"
xdotool windowactivate --sync "$other"
wait_until 20 _free || fail "the pointer stayed kept after another window took the focus"
back_over
wait_until 20 _kept || fail "the pointer was not kept again when the game got the focus back"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
