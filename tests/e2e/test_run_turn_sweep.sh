#!/usr/bin/env bash
# Turning never runs out at any mouse speed: the pointer, pushed past the
# warp columns in steps of every size, stays in the window and the view keeps
# turning both ways.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

start_xvfb
start_game
turn_sweep
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status"
echo "PASS"
