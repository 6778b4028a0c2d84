#!/usr/bin/env bash
# Records the real program's GL calls with apitrace over start-up and a few
# frames (the first without input, then 'w' held), and checks every call
# against what trace_check.py computes from the rules.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

command -v apitrace >/dev/null || skip "apitrace not installed"
command -v python3 >/dev/null || skip "python3 not installed"

start_xvfb
# The pointer stays off the window, so no motion event turns the camera.
xdotool mousemove 1023 767
make_gamedir
trace=$E2E_DIR/vaskel.trace
start_game apitrace trace --api gl -o "$trace"

# Every frame moves the view (falling from the start height, then walking),
# so a new picture means a new frame. Few frames keep the dump small.
wait_pictures 1
keydown w
wait_pictures 3
# Escape with w still held: the last traced frame walks too.
key Escape
wait_game_exit 120
assert_eq 0 "$GAME_STATUS" "exit status under apitrace"

args=("$GAMEDIR/textures" --summary "$E2E_DIR/summary.txt")
[ "$SDL_LIB" = compat ] && args+=(--compat)
if ! apitrace dump --arg-names=no --multiline=no "$trace" |
        python3 "$VASKEL_SOURCE/tests/e2e/trace_check.py" "${args[@]}"; then
    fail "the GL calls differ from the rules (see above)"
fi
