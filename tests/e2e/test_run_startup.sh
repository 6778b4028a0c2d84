#!/usr/bin/env bash
# A normal run ended with Escape: exact progress lines, exact engine log,
# texture log lines, no BMP failure log; a second run starts the engine log
# afresh, whatever else lies beside it, while the texture log keeps growing.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

start_xvfb
make_gamedir

progress='Engine initialized
Started Game and initialized world
Input initialized
Fog activated
Lighting activated
Entities loaded
Timer Initialized
Keystep entered
Entering gameloop
'
engine_log='Log Cleared
===========

Entering Engine Initialization
Initializing SDL Video, Audio and Timer functions.
Using default OpenGL setup.
==========================
Width = 640, Height = 480, BPP = System Current
Initializing OpenGL attributes
Finished Engine Initialization
Destroying Engine
SDL Subsystem Quitted
Engine destroyed. Exiting.
'
# Bitmap loads of one run: the stone texture of the entry, the floor pair of
# the block grid and again of the model grid, then the dirt. "OK." has no
# line end, so each next message continues its line.
one_run=''
for f in stone stone ob_tile stone ob_tile dirt; do
    one_run+="VK_TEXTURE: Attempting to load Texture ./textures/$f.bmp"$'\n'"VK_TEXTURE: OK."
done

run_and_escape() {
    start_game
    key Escape
    wait_game_exit 30
    assert_eq 0 "$GAME_STATUS" "exit status after Escape"
}

run_and_escape
assert_file_eq "$GAMEDIR/stdout.txt" "$progress" "standard output"
assert_file_eq "$GAMEDIR/SK_ENGINE.txt" "$engine_log" "engine log"
assert_file_eq "$GAMEDIR/VK_TEXTURE.txt" "$one_run" "texture log"
[ ! -e "$GAMEDIR/VK_SK_ENGINE.TXT" ] || fail "VK_SK_ENGINE.TXT written although every image loads"
[ ! -e "$GAMEDIR/SK_ENGINE.TXT" ] || fail "the engine log was split into two files"

# A stale upper-case spelling beside the log takes no line and is left alone.
printf 'stale\n' >"$GAMEDIR/SK_ENGINE.TXT"
run_and_escape
assert_file_eq "$GAMEDIR/SK_ENGINE.txt" "$engine_log" "engine log of the second run"
assert_file_eq "$GAMEDIR/SK_ENGINE.TXT" $'stale\n' "stale upper-case engine log"
assert_file_eq "$GAMEDIR/VK_TEXTURE.txt" "$one_run$one_run" "texture log after two runs"
echo "PASS"
