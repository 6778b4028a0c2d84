#!/usr/bin/env bash
# Floods of input between two frames. The game is stopped (SIGSTOP) while
# the events are sent and continued afterwards, so the whole flood waits in
# the queue for one pass of event dispatch:
#   - 10,000 mouse motions, across the window's edges (warps included);
#   - 1,000 key events, most of them keys whose SDL codes lie beyond the
#     256-entry key table (function, cursor, keypad and modifier keys);
#   - a window close (WM_DELETE_WINDOW) amid other events: status 0;
#   - Escape amid other events: status 0;
#   - a close request, or a key release, behind a burst of motion that
#     fills SDL's queue: the queue drops it, the game still honours it.
# After each flood the program must still be running and drawing.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/hostile_common.sh"

start_xvfb

pause_game() { kill -STOP "$GAME_PID"; }
resume_game() { kill -CONT "$GAME_PID"; }

# motions N: N pointer moves inside the window, sweeping x over 0..639 so
# that both edge warps fire, in one xdotool call.
motions() {
    local args=() i
    for ((i = 0; i < $1; i++)); do
        args+=(mousemove --window "$GAME_WIN" $(((i * 37) % 640)) $((100 + (i * 13) % 280)))
    done
    xdotool "${args[@]}"
}

# X keysyms whose SDL 1.2 codes are 256..322, plus ordinary keys.
WIDE_KEYS=(F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 Up Down Left Right Insert Home End
    Prior Next Num_Lock Caps_Lock Scroll_Lock Shift_L Shift_R Control_L Control_R
    Alt_L Alt_R Meta_L Super_L Super_R Mode_switch Multi_key Print Menu Undo
    KP_0 KP_5 KP_9 KP_Enter KP_Add KP_Divide)
PLAIN_KEYS=(w a s d space n x 1)

# key_burst N: N key presses, each followed by its release (2N events).
key_burst() {
    local keys=() i all=("${WIDE_KEYS[@]}" "${PLAIN_KEYS[@]}")
    for ((i = 0; i < $1; i++)); do keys+=("${all[i % ${#all[@]}]}"); done
    xdotool key --delay 0 "${keys[@]}"
}

new_case motion-flood
start_game
_focus_game
pause_game
motions 10000
resume_game
assert_drawing 30
escape_exits_zero

new_case key-flood
start_game
_focus_game
pause_game
key_burst 500
resume_game
assert_drawing 30
escape_exits_zero

# SDL 1.2 holds at most 127 events; what arrives while its queue is full is
# dropped. The batches below keep the close and the Escape within the first
# 127 events and flood after them; the burst cases further down put them
# behind the flood.
new_case close-amid-events
start_game
_focus_game
pause_game
xdotool keydown w
motions 60
key_burst 20
wm_close
key_burst 200
motions 500
xdotool keyup w
resume_game
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after the close request"
assert_eq "Engine destroyed. Exiting." "$(tail -n 1 "$GAMEDIR/SK_ENGINE.txt")" "[$CASE] last engine log line"

new_case escape-amid-events
start_game
_focus_game
pause_game
motions 60
key_burst 20
xdotool key --delay 0 Escape
key_burst 200
motions 500
resume_game
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after Escape"

# After a flood that overflowed the queue, a close request in a later frame
# still ends the program.
new_case close-after-flood
start_game
_focus_game
pause_game
motions 10000
key_burst 500
resume_game
assert_drawing 30
wm_close
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after the close request"
# The close arrives while 200 motions fill the queue: the queue drops it.
new_case close-behind-burst
start_game
_focus_game
pause_game
motions 200
wm_close
resume_game
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after the close request"
assert_eq "Engine destroyed. Exiting." "$(tail -n 1 "$GAMEDIR/SK_ENGINE.txt")" "[$CASE] last engine log line"

# w is held, then released behind 200 motions: the queue drops the release,
# and the player must stop all the same. Standing still shows as a picture
# that stops changing with the floor still underfoot; a player walking on
# would keep the picture moving until he had walked off the floor and
# fallen out of its sight.
new_case release-behind-burst
start_game
_focus_game
keydown w
screenshot "$E2E_DIR/walk_a.png"
_walking() { screenshot "$E2E_DIR/walk_b.png"; [ "$(_raw "$E2E_DIR/walk_a.png")" != "$(_raw "$E2E_DIR/walk_b.png")" ]; }
wait_game 300 _walking || case_fail "the picture did not change with w held"
pause_game
motions 200
xdotool keyup w
resume_game
wait_still "$E2E_DIR/settle.png" 40
game_running || case_fail "the game died"
floor=$(region_stddev "$E2E_DIR/settle.png" 640x240+0+240)
[ "$floor" -ge 8 ] || case_fail "no textured floor below the view (stddev $floor): the player walked off"
escape_exits_zero
echo PASS
