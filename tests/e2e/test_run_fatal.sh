#!/usr/bin/env bash
# With no reachable X display the engine cannot open its window. SDL_Init
# fails first (both SDL 1.2 and sdl12-compat refuse the video subsystem), the
# engine logs that and goes on; SDL_GetVideoInfo then has no video to report,
# and that failure ends the process with status -1 before any progress line.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

# A display number nobody serves, here or in another sandbox.
unreachable=""
for n in $(seq 32760 -1 32700); do
    if ! display_in_use "$n" && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        unreachable=":$n"
        break
    fi
done
[ -n "$unreachable" ] || skip "no free display number to point at"

make_gamedir
# x11 forced: without a display SDL 1.2 would otherwise fall back to a
# text-mode driver that takes over the terminal.
launch_game SDL_VIDEODRIVER=x11 DISPLAY="$unreachable"
wait_game_exit 30
assert_eq 255 "$GAME_STATUS" "exit status without a display"

assert_file_eq "$GAMEDIR/SK_ENGINE.txt" 'Log Cleared
===========

Entering Engine Initialization
Initializing SDL Video, Audio and Timer functions.
Error while trying to initialize SDL (SDL_Init).Using default OpenGL setup.
==========================
Width = 640, Height = 480, BPP = System Current
Error trying to get current video information (SDL_GetVideoInfo failed)
' "engine log"
assert_file_eq "$GAMEDIR/stdout.txt" "" "standard output"
[ ! -e "$GAMEDIR/VK_TEXTURE.txt" ] || fail "textures were loaded without a window"
echo "PASS"
