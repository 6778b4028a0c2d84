# Shared steps of the hostile-input end-to-end tests (test_hostile_*.sh).
# Source after lib.sh. Each case runs the real program in a fresh working
# directory; the program must reach its frame loop, keep drawing, and end
# with status 0 on Escape: bad images leave texture name 0 and log lines,
# never a crash or an early exit.

BMPS=(stone.bmp ob_tile.bmp dirt.bmp)
TGAS=(wireframe.tga crosshair.tga vaskellogo.tga)
CASE=""

# new_case NAME: a fresh working dir with the built textures.
new_case() {
    CASE=$1
    note "case: $CASE"
    make_gamedir "$E2E_DIR/case-$CASE"
}

case_fail() { fail "[$CASE] $*"; }

# The RGB bytes of a screenshot, for comparing two of them.
_raw() { convert "$1" rgb:- | md5sum; }

# assert_drawing [STALL_S]: the window's picture changes while the view is
# nudged up and down (pitch) by a mouse's relative motion, so frames are
# still being drawn and events still processed. Twenty nudges, each drawn,
# that change nothing fail, as does STALL_S seconds with no new frame. The
# game is given the focus first, as a window manager would on map: with
# none, a window mapped under the pointer may never hear that it has it,
# and rightly ignores the mouse. (Pointer jumps to a place, which X's test
# extension sends as an absolute device's, turn nothing on sdl12-compat
# over SDL 2.32: its relative mode reads only relative motion.)
assert_drawing() {
    local nudges=0 dy=50
    local a="$E2E_DIR/draw_a.png" b="$E2E_DIR/draw_b.png"
    _focus_game
    mousemove_window 320 240
    screenshot "$a"
    local first
    first=$(_raw "$a")
    while :; do
        game_running || case_fail "the game died while running (see stderr above)"
        dy=$((-dy))
        xdotool mousemove_relative -- 0 "$dy"
        wait_frames 2 "${1:-20}"  # the move is drawn before the next one cancels it
        screenshot "$b"
        [ "$(_raw "$b")" = "$first" ] || return 0
        nudges=$((nudges + 1))
        [ "$nudges" -lt 20 ] || case_fail "the picture did not change over $nudges nudges, each drawn"
    done
}

# escape_exits_zero: Escape ends the program at once with status 0.
escape_exits_zero() {
    key Escape
    wait_game_exit 20
    assert_eq 0 "$GAME_STATUS" "[$CASE] exit status after Escape"
}

# run_case: start, reach the loop, keep drawing, end with Escape -> 0.
run_case() {
    start_game
    game_running || case_fail "exited during start-up"
    assert_drawing 20
    escape_exits_zero
    grep -qx 'Entering gameloop' "$GAMEDIR/stdout.txt" || case_fail "no 'Entering gameloop' line"
}

# assert_bmp_failed FILE: every load of ./textures/FILE was logged as an
# attempt in the texture log, never followed by "OK.", and as a failure in
# VK_SK_ENGINE.TXT.
assert_bmp_failed() {
    local name="./textures/$1"
    local fails attempts
    fails=$(grep -cxF "VK_TEXTURE: Couldn't load texture $name" "$GAMEDIR/VK_SK_ENGINE.TXT" 2>/dev/null || true)
    attempts=$(grep -cF "VK_TEXTURE: Attempting to load Texture $name" "$GAMEDIR/VK_TEXTURE.txt" 2>/dev/null || true)
    [ "${attempts:-0}" -ge 1 ] || case_fail "no load attempt of $name in VK_TEXTURE.txt"
    assert_eq "$attempts" "${fails:-0}" "[$CASE] failure lines for $name in VK_SK_ENGINE.TXT"
    # A failed load writes no "OK.": the line after its attempt line does
    # not start with it.
    if awk -v f="VK_TEXTURE: Attempting to load Texture $name" \
        'prev && index($0, "VK_TEXTURE: OK.") == 1 { bad = 1 } { prev = (index($0, f) > 0) } END { exit !bad }' \
        "$GAMEDIR/VK_TEXTURE.txt"; then
        case_fail "$name was logged as loaded (OK.)"
    fi
}

# assert_loaded_ok FILE: the other bitmaps still load.
assert_bmp_loaded() {
    local name="./textures/$1"
    if grep -qF "Couldn't load texture $name" "$GAMEDIR/VK_SK_ENGINE.TXT" 2>/dev/null; then
        case_fail "$name failed although it is intact"
    fi
}

# After a case where FILE (one of the six) was spoiled: the bitmap log lines
# say which bitmap failed and no other; Targa failures log nothing.
assert_image_logs() {
    local bad=$1 f
    for f in "${BMPS[@]}"; do
        if [ "$f" = "$bad" ]; then assert_bmp_failed "$f"; else assert_bmp_loaded "$f"; fi
    done
    case $bad in
        *.tga)
            if [ -e "$GAMEDIR/VK_SK_ENGINE.TXT" ]; then
                case_fail "a Targa failure wrote VK_SK_ENGINE.TXT: $(cat "$GAMEDIR/VK_SK_ENGINE.TXT")"
            fi
            ;;
    esac
}

# Deterministic pseudo-random bytes: random_bytes COUNT SEED > FILE
random_bytes() {
    LC_ALL=C awk -v n="$1" -v seed="$2" 'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}

# A bitmap header claiming WxH at 24 bits, followed by 300 bytes of pixels.
huge_bmp() {
    local w=$1 h=$2
    le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
    printf 'BM'; le32 354; le32 0; le32 54
    le32 40; le32 "$w"; le32 "$h"; printf '\x01\x00\x18\x00'; le32 0; le32 300; le32 2835; le32 2835; le32 0; le32 0
    head -c 300 /dev/zero | tr '\0' '\125'
}

# A Targa header claiming WxH at 24 bits, followed by 300 bytes of pixels.
huge_tga() {
    local w=$1 h=$2
    printf '\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf "\\x$(printf %02x $((w & 255)))\\x$(printf %02x $((w >> 8)))\\x$(printf %02x $((h & 255)))\\x$(printf %02x $((h >> 8)))\\x18\\x00"
    head -c 300 /dev/zero | tr '\0' '\125'
}
