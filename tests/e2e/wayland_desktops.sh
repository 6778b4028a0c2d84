#!/usr/bin/env bash
#   tests/e2e/wayland_desktops.sh           GNOME's mutter, then KDE's KWin
#   VASKEL_COMPOSITOR=kwin tests/e2e/...    one of them
# The test command runs mutter (test_run_wayland.sh); KWin runs by hand.
# VASKEL_SDL=compat picks sdl12-compat, as in the other end-to-end scripts.
#
# Wayland desktops, each as a headless compositor with Xwayland: GNOME's
# mutter (input through its remote-desktop D-Bus interface,
# tests/e2e/mutter_input.py) and KDE's KWin (input through its fake-input
# protocol, tests/e2e/kwin_input.c). The game runs through Xwayland. The
# same checks as under the X11 window managers (test_run_focus.sh):
#   sweep    another window focused, the pointer swept across the game at
#            7 px every 10 ms, both ways, ends where it was sent and the
#            view does not move;
#   away     Alt+Tab switches away on the first press and frees the pointer;
#   back     Alt+Tab back and a move over the game keeps the pointer again;
#   turn     turning at 13 px steps keeps the pointer inside and turns;
#   full     (mutter) F11 covers the screen with the windowed picture
#            scaled; Alt+Tab leaves it and comes back; F11 again brings
#            back 640x480;
#   escape   Escape ends the game with status 0;
#   native   (mutter, sdl12-compat) the game on a window of Wayland's own
#            (SDL_VIDEODRIVER=wayland, which SDL 3 picks by itself): F11
#            leaves it as it is, and Escape ends it.
# Xwayland knows where the pointer is only over its own windows, so two
# other windows stand either side of the game, where the sweeps end.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

# kwin_input_tool: builds the fake-input client once; prints its path.
kwin_input_tool() {
    local xml=/usr/share/plasma-wayland-protocols/fake-input.xml out=$E2E_DIR/kwin
    [ -x "$out/kwin_input" ] && { echo "$out/kwin_input"; return; }
    [ -e "$xml" ] && command -v wayland-scanner >/dev/null || return 1
    mkdir -p "$out"
    wayland-scanner client-header "$xml" "$out/fake-input-client-protocol.h" &&
        wayland-scanner private-code "$xml" "$out/fake-input-protocol.c" &&
        cc -O1 -I"$out" -o "$out/kwin_input" "$_E2E_HERE/kwin_input.c" "$out/fake-input-protocol.c" \
            -lwayland-client >&2 || return 1
    echo "$out/kwin_input"
}

# run_under COMPOSITOR: this script again inside the compositor, which ends
# with it; prints the line of results.
run_under() {
    local result=$E2E_DIR/$1.result log=$E2E_DIR/$1.log
    export XDG_RUNTIME_DIR=$E2E_DIR/run-$1
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    case $1 in
        mutter)
            VASKEL_IN_COMPOSITOR=$result VASKEL_FULL_SCREEN=1 VASKEL_INPUT="/usr/bin/python3 $_E2E_HERE/mutter_input.py" \
                dbus-run-session -- mutter --headless --wayland --virtual-monitor 1024x768 \
                --wayland-display "vaskel-$$" -- bash "$0" >"$log" 2>&1 || true ;;
        kwin)
            # KWin refuses its own platform plugin unless the binary is named
            # kwin_wayland; the copy has no file capability, so no permission
            # checks are needed for fake input either.
            mkdir -p "$E2E_DIR/kwin"
            cp "$(command -v kwin_wayland)" "$E2E_DIR/kwin/kwin_wayland"
            printf '#!/bin/sh\nexec bash "%s"\n' "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")" >"$E2E_DIR/kwin/session"
            chmod +x "$E2E_DIR/kwin/session"
            VASKEL_IN_COMPOSITOR=$result VASKEL_INPUT=$KWIN_INPUT KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
                dbus-run-session -- "$E2E_DIR/kwin/kwin_wayland" --virtual --xwayland --width 1024 --height 768 \
                --socket "vaskel-$$" --exit-with-session "$E2E_DIR/kwin/session" >"$log" 2>&1 || true ;;
    esac
    grep -E '^(e2e|FAIL|SKIP)' "$log" | sed "s/^/$1: /" >&2 || true
    check_line "$1" "$log"
    [ -s "$result" ] || { tail -n 30 "$log" >&2; echo 1 >"$result"; }
}

if [ -z "${VASKEL_IN_COMPOSITOR:-}" ]; then
    for tool in Xwayland dbus-run-session xmessage; do
        command -v "$tool" >/dev/null || skip "$tool not installed"
    done
    ran=0 failed=()
    for compositor in ${VASKEL_COMPOSITOR:-mutter kwin}; do
        case $compositor in
            mutter)
                command -v mutter >/dev/null && /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null ||
                    { echo "mutter: skipped, needs mutter and python3-gi"; continue; } ;;
            kwin)
                command -v kwin_wayland >/dev/null && KWIN_INPUT=$(kwin_input_tool) ||
                    { echo "kwin: skipped, needs kwin-wayland, libwayland-dev and plasma-wayland-protocols"; continue; } ;;
            *) fail "unknown compositor $compositor" ;;
        esac
        run_under "$compositor"
        ran=$((ran + 1))
        [ "$(cat "$E2E_DIR/$compositor.result")" = 0 ] || failed+=("$compositor")
    done
    [ "$ran" -gt 0 ] || skip "no Wayland compositor to run"
    [ ${#failed[@]} -eq 0 ] || fail "under ${failed[*]}"
    echo "PASS"
    exit 0
fi

result_file=$VASKEL_IN_COMPOSITOR
INPUT=$VASKEL_INPUT
exec 1>&2  # KWin passes on only its session's standard error
at_exit 'echo "$status" >"$result_file"'
export LIBGL_ALWAYS_SOFTWARE=1
_x_up() { xdpyinfo >/dev/null 2>&1; }
wait_until 30 _x_up || fail "no Xwayland display"
# One input client for the whole run, as one mouse and one keyboard are
# there for a whole session; input STEP... waits until it has sent them.
coproc INPUT_CLIENT { $INPUT; }
at_exit "kill $INPUT_CLIENT_PID 2>/dev/null"
input() {
    local reply=
    echo "$*" >&"${INPUT_CLIENT[1]}"
    read -r -t 60 reply <&"${INPUT_CLIENT[0]}" || true
    [ "$reply" = done ] || fail "the input client did not send $*"
}

# Screen places of the three windows: the game between the other two.
xmessage -geometry 150x100+10+334 "left" >/dev/null 2>&1 &
at_exit "kill $! 2>/dev/null"
xmessage -geometry 150x100+864+334 "right" >/dev/null 2>&1 &
at_exit "kill $! 2>/dev/null"
start_game
move_game_window 192 144 || note "the game's window stays at $(where_game_window)"
_others_up() { [ "$(xdotool search --onlyvisible --classname xmessage 2>/dev/null | wc -l)" -ge 2 ]; }
wait_until 30 _others_up || fail "no other windows"
right=$(for w in $(xdotool search --onlyvisible --classname xmessage); do
    xwininfo -id "$w" | awk -v w="$w" '/Absolute upper-left X/ && $NF > 800 {print w}'
done)
[ -n "$right" ] || fail "the right-hand window is not where it was put"

# pointer_at X Y: the pointer moved there, from the screen's top left corner.
pointer_at() { input move:-4000:-4000 "move:$1:$2"; }
# pointer_is X Y: within a pixel of there (KWin's top left corner is 1,1).
pointer_is() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ $(((X - $1) * (X - $1) + (Y - $2) * (Y - $2))) -le 2 ]
}
click() { input move:-4000:-4000 "move:$1:$2" click; }
# kept: the game active, and the pointer, sent from the game's middle 400 px
# to the right (onto the right-hand window were it free), still in the game.
_kept() { _active "$GAME_WIN" && pointer_at 512 384 && input move:400:0 && pointer_in_window; }
alt_tab() { input key:Alt_L:1 sleep:0.1 key:Tab:1 key:Tab:0 sleep:0.1 key:Alt_L:0; }

sweep_unmoved() {
    click 935 384
    wait_until 20 _active "$right" || { note "the right-hand window did not take the focus"; return 1; }
    wait_settled "$E2E_DIR/before_sweep.png"
    pointer_at 100 384
    input sweep:7:114:0.01
    pointer_is 898 384 || { note "swept right to 898,384: $(xdotool getmouselocation)"; return 1; }
    input sweep:-7:114:0.01
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
    _other_active() { local a; a=$(xdotool getactivewindow 2>/dev/null) && [ -n "$a" ] && [ "$a" != "$GAME_WIN" ]; }
    wait_until 20 _other_active || { note "one Alt+Tab activated no other window"; return 1; }
    # Over one of its own windows Xwayland knows where the pointer is; the
    # game lets go at its next frame.
    _reaches_left() { pointer_at 85 384 && pointer_is 85 384; }
    wait_until 20 _reaches_left || { note "the pointer stayed kept after Alt+Tab"; return 1; }
}
back_kept() {
    alt_tab
    wait_until 20 _active "$GAME_WIN" || { note "Alt+Tab did not come back to the game"; return 1; }
    pointer_at 512 384
    wait_until 20 _kept || { note "the pointer was not kept again"; return 1; }
}
turn_kept() {
    local dir stretch
    for dir in 13 -13; do
        wait_still "$E2E_DIR/turn_last.png"
        for stretch in 1 2 3 4 5 6 7 8; do
            input "sweep:$dir:10:0.01"
            pointer_in_window || { note "steps of $dir px: the pointer left in stretch $stretch, to $(xdotool getmouselocation)"; return 1; }
            _turned() {
                screenshot "$E2E_DIR/turn_now.png"
                [ "$(diff_pixels "$E2E_DIR/turn_last.png" "$E2E_DIR/turn_now.png")" -gt 100 ]
            }
            wait_until 10 _turned || { note "steps of $dir px: no turn in stretch $stretch"; return 1; }
            mv "$E2E_DIR/turn_now.png" "$E2E_DIR/turn_last.png"
        done
    done
}

full_screen() {
    _active "$GAME_WIN" || click 512 384
    wait_settled "$E2E_DIR/windowed.png"
    input key:F11:1 key:F11:0
    wait_until 20 window_is 1024x768 || { note "F11 did not cover the screen"; return 1; }
    wait_still "$E2E_DIR/full.png"  # Xwayland shows no root window; sdl12-compat's is the one
    scaled_like "$E2E_DIR/windowed.png" "$E2E_DIR/full.png" || { note "the full-screen picture differs"; return 1; }
    alt_tab
    _left() { ! _active "$GAME_WIN"; }
    wait_until 20 _left || { note "one Alt+Tab left the full-screen game active"; return 1; }
    alt_tab
    wait_until 20 _active "$GAME_WIN" || { note "Alt+Tab did not come back to the full-screen game"; return 1; }
    input key:F11:1 key:F11:0
    wait_until 20 window_is 640x480 || { note "F11 again did not bring back 640x480"; return 1; }
}

check sweep sweep_unmoved
check away away_first_press
check back back_kept
if [ "$SDL_LIB" = classic ] && [ -z "${VASKEL_CLASSIC_TURN:-}" ]; then
    # Not yet understood: on a quiet machine classic SDL's kept pointer
    # leaves the window or stops turning under Xwayland; on a busy one it
    # passes. VASKEL_CLASSIC_TURN=1 runs the check anyway.
    skip_check turn "classic SDL under Xwayland"
else
    check turn turn_kept
fi
[ -n "${VASKEL_FULL_SCREEN:-}" ] && check full full_screen
_active "$GAME_WIN" || click 512 384
input key:Escape:1 key:Escape:0
wait_game_exit 30
check escape [ "$GAME_STATUS" = 0 ]

# Wayland's own window is no X window: its size is what SDL says, at each
# frame (the frame counter's third field).
native_f11_leaves_it() {
    launch_game LD_PRELOAD="$(swapcount_so)" VASKEL_FRAMES_FILE="$E2E_DIR/frames.native" SDL_VIDEODRIVER=wayland
    FRAMES_FILE=$E2E_DIR/frames.native FRAMES_PID=$GAME_PID
    wait_working 60 frames_past 10 && game_running || { note "no game on a window of Wayland's own"; return 1; }
    input key:F11:1 key:F11:0 && wait_frames 20
    local size && size=$(cut -d' ' -f3 "$FRAMES_FILE")
    [ "$size" = 640x480 ] || { note "F11 made Wayland's own window $size"; return 1; }
    input key:Escape:1 key:Escape:0 && wait_game_exit 30 && [ "$GAME_STATUS" = 0 ]
}
[ -n "${VASKEL_FULL_SCREEN:-}" ] && [ "$SDL_LIB" = compat ] && check native native_f11_leaves_it
[ ${#CHECKS_FAILED[@]} -eq 0 ] || fail "${CHECKS_FAILED[*]}"
echo "PASS"
