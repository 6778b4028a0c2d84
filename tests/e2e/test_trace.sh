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

shot=$E2E_DIR/shot.png
_signature() { screenshot "$shot"; convert "$shot" -format '%#' info:; }
_first_frame_shown() {
    screenshot "$shot"
    [ "$(convert "$shot" -format '%k' info:)" -gt 1 ]
}
wait_until 120 _first_frame_shown || fail "no frame on screen"

# Every frame moves the view (falling from the start height, then walking),
# so each new picture is a new frame: wait for four after pressing w.
keydown w
last=$(_signature)
seen=0
deadline=$((SECONDS + 120))
while [ "$seen" -lt 4 ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the picture stopped changing with w held"
    sig=$(_signature)
    if [ "$sig" != "$last" ]; then
        seen=$((seen + 1))
        last=$sig
    fi
done
key Escape
keyup w
wait_game_exit 120
assert_eq 0 "$GAME_STATUS" "exit status under apitrace"

args=("$GAMEDIR/textures" --summary "$E2E_DIR/summary.txt")
[ "${VASKEL_SDL:-classic}" = compat ] && args+=(--compat)
if ! apitrace dump --arg-names=no --multiline=no "$trace" |
        python3 "$VASKEL_SOURCE/tests/e2e/trace_check.py" "${args[@]}"; then
    fail "the GL calls differ from the rules (see above)"
fi
