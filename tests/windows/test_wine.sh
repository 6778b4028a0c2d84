#!/usr/bin/env bash
# The Windows build under Wine on a private Xvfb, against the Linux build:
#   tests/windows/test_wine.sh ZIP
# The zip's contents are unpacked alone into fresh directories and played
# for real. Checked: stdout.txt (the nine start-up lines) and the three log
# files hold what the Linux build writes, with CRLF line ends; the settled
# view matches the Linux build's; on a French X layout, which Wine follows,
# the key in the W place (there z) walks; the mouse turns, and keeps turning
# at every mouse speed with the pointer kept in the window; F11 shows the
# same picture over the whole screen, and F11 again the window; Escape and a
# window close each end the game with status 0; without textures/ it still
# runs and logs the failures; a stale SK_ENGINE.TXT is the engine log itself
# (one file by the file system), cleared at start; both .exe and .dll keep
# ASLR and DEP. One Wine prefix serves
# every run.
set -euo pipefail
zip=$(realpath "$1")
. "$(dirname "$0")/../e2e/lib.sh"
command -v wine >/dev/null || skip "wine not installed"

# ASLR (high-entropy) and DEP stay on for the game and SDL.
mkdir -p "$E2E_DIR/pe" && unzip -q "$zip" -d "$E2E_DIR/pe"
for f in vaskel.exe SDL.dll; do
    pe=$(x86_64-w64-mingw32-objdump -p "$E2E_DIR/pe/vaskel/$f" | sed -n '/^DllCharacteristics/,/^[A-Z]/p')
    for c in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do grep -qw "$c" <<<"$pe" || fail "$f lacks $c"; done
done

export WINEPREFIX=$E2E_DIR/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
at_exit 'wineserver -k 2>/dev/null'
start_xvfb
wineboot -i >/dev/null 2>&1 || fail "cannot make a Wine prefix"
wineserver -w

# unpack DIR: the zip alone, into DIR; sets GAMEDIR to the game's folder.
unpack() {
    mkdir -p "$1"
    unzip -q "$zip" -d "$1"
    GAMEDIR=$1/vaskel
}

# The top-level window Wine makes for the game: class vaskel.exe, 640x480.
wine_window() {
    local w
    for w in $(xdotool search --class vaskel.exe 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        [ "$(xwininfo -id "$w" | awk '/Width:/ {print $2}')" = 640 ] || continue
        GAME_WIN=$w
        return 0
    done
    return 1
}

# start_wine: starts vaskel.exe in GAMEDIR and waits for its first frame.
start_wine() {
    GAME_STATUS="" GAME_WIN=""
    local started=$SECONDS
    (cd "$GAMEDIR" && exec wine vaskel.exe >/dev/null 2>&1 </dev/null) &
    GAME_PID=$!
    _up() { wine_window || ! game_running; }
    wait_until 60 _up || fail "no game window under Wine after 60 s"
    game_running || fail "the game exited during start-up"
    _looping() { grep -q '^Entering gameloop' "$GAMEDIR/stdout.txt" 2>/dev/null || ! game_running; }
    wait_until 60 _looping || fail "no 'Entering gameloop' in stdout.txt after 60 s"
    note "first frame under Wine $((SECONDS - started)) s after start"
}

# lf FILE: the file with CRLF ends made LF; fails on a bare LF.
lf() {
    python3 - "$1" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
if data.replace(b'\r\n', b'').count(b'\n') or data.replace(b'\r\n', b'').count(b'\r'):
    sys.exit('bare line end in ' + sys.argv[1])
sys.stdout.write(data.replace(b'\r\n', b'\n').decode())
EOF
}

# same_logs WINDIR LINUXDIR NAME...: each file is the Linux one with CRLF ends.
same_logs() {
    local win=$1 linux=$2 f
    shift 2
    for f in "$@"; do
        [ -f "$win/$f" ] || fail "no $f under Wine"
        cmp -s <(lf "$win/$f") "$linux/$f" || fail "$f under Wine differs from the Linux build's:
$(diff <(lf "$win/$f") "$linux/$f" | head -n 20)"
    done
}

# ---- the Linux build, for reference: with images, then without
linux=$E2E_DIR/linux
make_gamedir "$linux/full"
start_game
wait_settled "$E2E_DIR/linux.png"
key Escape
wait_game_exit 30
GAMEDIR=$linux/bare
mkdir -p "$GAMEDIR"
start_game
key Escape
wait_game_exit 30

# ---- a fresh unzip under Wine, on AZERTY: keycode 25 types z there
unpack "$E2E_DIR/win1"
setxkbmap fr
start_wine
wait_settled "$E2E_DIR/wine.png"
read -r mean share _ < <(picture_difference "$E2E_DIR/linux.png" "$E2E_DIR/wine.png" 48)
far=$(awk -v s="$share" 'BEGIN { printf "%.2f", 100 * s }')
note "Wine against Linux: mean difference $mean levels, $far % of pixels off by more than 48"
python3 -c "import sys; sys.exit(not ($mean <= 8 and $far <= 5))" ||
    fail "the Wine view differs from the Linux one: mean $mean levels, $far % off by more than 48"

cp "$E2E_DIR/wine.png" "$E2E_DIR/before.png"
changed() { screenshot "$E2E_DIR/now.png"; [ "$(diff_pixels "$E2E_DIR/before.png" "$E2E_DIR/now.png")" -gt 1000 ]; }
keydown 25
wait_until 20 changed || fail "holding the key in the W place did not move the view under Wine"
keyup 25
wait_still "$E2E_DIR/before.png"
mousemove_window 320 240
mousemove_window 420 240
wait_until 20 changed || fail "moving the mouse did not turn the view under Wine"
turn_sweep
# F11: the frameless window over the 4:3 screen, the same picture; and back.
wait_still "$E2E_DIR/before.png"
key F11
wait_until 20 window_is 1024x768 || fail "F11 did not cover the screen under Wine"
GAME_WIN=root wait_still "$E2E_DIR/full.png"
scaled_like "$E2E_DIR/before.png" "$E2E_DIR/full.png" || fail "the full-screen picture under Wine differs"
key F11
wait_until 20 window_is 640x480 || fail "F11 again did not bring back 640x480 under Wine"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status after Escape under Wine"
wineserver -w
same_logs "$GAMEDIR" "$linux/full" stdout.txt SK_ENGINE.txt VK_TEXTURE.txt
[ ! -e "$GAMEDIR/VK_SK_ENGINE.TXT" ] || fail "VK_SK_ENGINE.TXT written with every image present"

# ---- no textures/, a stale SK_ENGINE.TXT, and a window close
unpack "$E2E_DIR/win2"
rm -r "$GAMEDIR/textures"
printf 'stale line\r\n' >"$GAMEDIR/SK_ENGINE.TXT"
start_wine
screenshot "$E2E_DIR/bare.png"
wm_close
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status after closing the window under Wine"
wineserver -w
logs=$(cd "$GAMEDIR" && ls | grep -i '^sk_engine\.txt$')
assert_eq SK_ENGINE.TXT "$logs" "the engine log's one file (the stale one's spelling)"
cmp -s <(lf "$GAMEDIR/SK_ENGINE.TXT") "$linux/bare/SK_ENGINE.txt" ||
    fail "the engine log under Wine differs from the Linux build's:
$(diff <(lf "$GAMEDIR/SK_ENGINE.TXT") "$linux/bare/SK_ENGINE.txt" | head -n 20)"
same_logs "$GAMEDIR" "$linux/bare" stdout.txt VK_TEXTURE.txt VK_SK_ENGINE.TXT
echo "PASS"
