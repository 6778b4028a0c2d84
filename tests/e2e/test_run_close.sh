#!/usr/bin/env bash
# Closing the window the way a window manager does (WM_DELETE_WINDOW) takes
# the quit path: exit status 0 and the engine's shutdown lines in its log.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

start_xvfb
make_gamedir
start_game
wm_close
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status after closing the window"

tail_lines=$(tail -n 4 "$GAMEDIR/SK_ENGINE.txt")
assert_eq 'Finished Engine Initialization
Destroying Engine
SDL Subsystem Quitted
Engine destroyed. Exiting.' "$tail_lines" "end of the engine log"
echo "PASS"
