#!/usr/bin/env bash
# Log files that cannot be written: a directory stands where each of
# "SK_ENGINE.txt", "VK_TEXTURE.txt" and "VK_SK_ENGINE.TXT" would go (a
# read-only directory would not stop root). Logging is skipped and the
# program runs as usual: once with all images intact ended by Escape, once
# with a bitmap missing (so the failure log is written to) ended by
# closing the window.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/hostile_common.sh"

start_xvfb

block_logs() {
    local f
    for f in SK_ENGINE.txt VK_TEXTURE.txt VK_SK_ENGINE.TXT; do mkdir "$GAMEDIR/$f"; done
}
assert_logs_blocked() {
    local f
    for f in SK_ENGINE.txt VK_TEXTURE.txt VK_SK_ENGINE.TXT; do
        [ -d "$GAMEDIR/$f" ] || case_fail "$f is no longer a directory"
        [ -z "$(ls -A "$GAMEDIR/$f")" ] || case_fail "something was written into $f/"
    done
    # No other spelling of a log name was created beside the directories.
    local others
    others=$(cd "$GAMEDIR" && ls | grep -ivx -e textures -e stdout.txt -e stderr.txt \
        -e SK_ENGINE.txt -e VK_TEXTURE.txt -e VK_SK_ENGINE.TXT || true)
    [ -z "$others" ] || case_fail "unexpected files: $others"
}

new_case logs-blocked
block_logs
run_case
assert_logs_blocked

new_case logs-blocked-missing-bitmap
block_logs
rm "$GAMEDIR/textures/stone.bmp"
start_game
assert_drawing 20
wm_close
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after closing the window"
assert_logs_blocked
echo PASS
