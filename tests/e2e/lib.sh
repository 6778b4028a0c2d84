# shellcheck shell=bash disable=SC2034,SC2120
# (variables and optional arguments here are for the scripts that source this)
# Helpers for the end-to-end tests of the real program. Source it from a bash
# script running under `set -euo pipefail`:
#
#   . "$(dirname "$0")/lib.sh"
#   start_xvfb; make_gamedir; start_game
#   key Escape; wait_game_exit 20; assert_eq 0 "$GAME_STATUS" "exit status"
#
# Environment: VASKEL_BIN (the game; default $VASKEL_BUILD/vaskel),
# VASKEL_BUILD (build dir holding textures/), VASKEL_SOURCE (source dir).
# VASKEL_SDL=compat runs the game on sdl12-compat instead of the system's
# SDL 1.2; SDL_LIB says which library the game gets (classic or compat).
# VASKEL_RUNNER runs the game (an ARM one: qemu-aarch64), VASKEL_CC builds
# its frame counter, VASKEL_MULTIARCH names its libraries' folder.
# VASKEL_SKIP_LOG, when set, gets one line per skipped script and why.
# VASKEL_KEEP=1 keeps the scratch dir (its path is printed at exit).
# Exit status 77 means skipped.
#
# Everything that waits polls a condition with a deadline: a software-rendered
# frame takes 30-45 ms here and start-up builds 4096 cubes, so fixed short
# sleeps would make the tests flaky.

VASKEL_BUILD=${VASKEL_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../build" 2>/dev/null && pwd || echo build)}
VASKEL_BIN=${VASKEL_BIN:-$VASKEL_BUILD/vaskel}
VASKEL_SOURCE=${VASKEL_SOURCE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# This machine's libraries' folder (x86_64-linux-gnu, aarch64-linux-gnu...),
# where the C library is when dpkg-dev is not installed.
host_multiarch() {
    dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null ||
        ldd /bin/sh | sed -nE 's#.*=> /(usr/)?lib/([^/]+)/libc\.so.*#\2#p'
}
VASKEL_MULTIARCH=${VASKEL_MULTIARCH:-$(host_multiarch)}
SDL_COMPAT_DIR=/usr/lib/$VASKEL_MULTIARCH/sdl12-compat

# sdl_system_kind: which SDL 1.2 the system gives a program, "classic"
# (Debian 12) or "compat" (sdl12-compat, the only one from Debian 13 on, and
# on Ubuntu, Fedora and Arch). Only sdl12-compat names its own SDL12COMPAT_
# settings.
sdl_system_kind() {
    local lib=/usr/lib/$VASKEL_MULTIARCH/libSDL-1.2.so.0
    if [ -e "$lib" ] && grep -qa SDL12COMPAT "$(readlink -f "$lib")"; then echo compat; else echo classic; fi
}
if [ "${VASKEL_SDL:-}" = compat ]; then SDL_LIB=compat; else SDL_LIB=$(sdl_system_kind); fi
_E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SKY="76 128 178"  # the clear colour (0.3, 0.5, 0.7)

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vaskel-e2e.XXXXXX")
GAMEDIR=""      # working dir of the game (make_gamedir)
GAME_PID=""     # the running game (launch_game / start_game)
FRAMES_FILE=""  # its frame counter's file (start_game)
FRAMES_PID=""   # the game that counter counts
GAME_WIN=""     # its top-level window (start_game / wait_window)
GAME_STATUS=""  # exit status after wait_game_exit
XVFB_PID=""
_E2E_AT_EXIT=()

note() { echo "e2e: $*" >&2; }

# Runs a command when the script ends, before the game and Xvfb are stopped.
at_exit() { _E2E_AT_EXIT+=("$*"); }

_e2e_cleanup() {
    local status=$?
    local cmd
    for cmd in "${_E2E_AT_EXIT[@]+"${_E2E_AT_EXIT[@]}"}"; do eval "$cmd" || true; done
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && [ -n "$GAMEDIR" ]; then
        local f
        for f in stdout.txt stderr.txt SK_ENGINE.txt VK_SK_ENGINE.TXT; do
            [ -f "$GAMEDIR/$f" ] || continue
            echo "---- $f (last lines)" >&2
            tail -n 20 "$GAMEDIR/$f" >&2 || true
        done
    fi
    stop_game
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [ "${VASKEL_KEEP:-0}" = 1 ]; then
        note "kept $E2E_DIR"
    else
        rm -rf "$E2E_DIR"
    fi
    exit "$status"
}
trap _e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() {
    echo "SKIP: $*" >&2
    [ -z "${VASKEL_SKIP_LOG:-}" ] ||
        echo "${VASKEL_TEST_NAME:-$(basename "$0" .sh)} on ${SDL_LIB/compat/sdl12-compat}: $*" >>"$VASKEL_SKIP_LOG"
    exit 77
}

# assert_eq EXPECTED ACTUAL [WHAT]
assert_eq() {
    [ "$1" = "$2" ] || fail "${3:-value}: expected [$1], got [$2]"
}

# assert_file_eq FILE EXPECTED_CONTENT [WHAT]: whole-file comparison, shows a diff.
assert_file_eq() {
    local d
    if ! d=$(diff <(printf '%s' "$2") "$1"); then
        fail "${3:-$1} differs (< expected, > actual):"$'\n'"$d"
    fi
}

# wait_until TIMEOUT_S CMD...: polls CMD every 0.1 s; non-zero on timeout.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# True when display N is taken: a lock file here, or a listening socket in
# this network namespace. Other sandboxes may share the network namespace but
# not /tmp, and X clients try the abstract socket first, so a display whose
# lock file is free can still belong to someone else's server.
display_in_use() {
    [ -e "/tmp/.X$1-lock" ] ||
        awk -v a="@/tmp/.X11-unix/X$1" -v p="/tmp/.X11-unix/X$1" \
            '$8 == a || $8 == p { found = 1 } END { exit !found }' /proc/net/unix
}

# True when every socket listening for display N belongs to process PID.
_owns_display() {
    local inodes mine i
    inodes=$(awk -v a="@/tmp/.X11-unix/X$1" -v p="/tmp/.X11-unix/X$1" \
        '$8 == a || $8 == p { print $7 }' /proc/net/unix)
    [ -n "$inodes" ] || return 1
    mine=$(ls -l "/proc/$2/fd" 2>/dev/null | sed -n 's/.*socket:\[\([0-9]*\)\].*/\1/p')
    for i in $inodes; do
        grep -qx "$i" <<<"$mine" || return 1
    done
}

# Starts a private X server on a free display and exports DISPLAY. The
# number is random and checked after start, so parallel tests (here or in
# other sandboxes on the same network namespace) never share a server.
start_xvfb() {
    command -v Xvfb >/dev/null || skip "Xvfb not installed"
    command -v xdotool >/dev/null || skip "xdotool not installed"
    local fdfile="$E2E_DIR/xvfb.display" n
    _xvfb_settled() { grep -q '^[0-9]' "$fdfile" || ! kill -0 "$XVFB_PID" 2>/dev/null; }
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        n=$((200 + RANDOM % 30000))
        display_in_use "$n" && continue
        : >"$fdfile"
        # -displayfd reports the number once the server accepts clients.
        # -noreset: by default the server resets when its last client leaves,
        # and a game connecting during that reset (while a probe such as
        # xwininfo disconnects) is refused. -r: no key auto-repeat, whose
        # synthetic release/press pairs can leave a held key's final
        # release looking like part of a repeat.
        Xvfb ":$n" -displayfd 5 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset -r \
            5>"$fdfile" >"$E2E_DIR/xvfb.log" 2>&1 &
        XVFB_PID=$!
        wait_until 20 _xvfb_settled || true
        # The number can come before the server takes clients: wait until one gets in.
        _xvfb_takes_clients() { xdpyinfo -display ":$n" >/dev/null 2>&1 || ! kill -0 "$XVFB_PID" 2>/dev/null; }
        grep -q '^[0-9]' "$fdfile" && wait_until 20 _xvfb_takes_clients
        if grep -q '^[0-9]' "$fdfile" && kill -0 "$XVFB_PID" 2>/dev/null && _owns_display "$n" "$XVFB_PID"; then
            export DISPLAY=":$n"
            export LIBGL_ALWAYS_SOFTWARE=1
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
    fail "Xvfb did not start: $(cat "$E2E_DIR/xvfb.log")"
}

# start_wm COMMAND...: a window manager on the display until the script ends;
# waits until it has taken the screen.
start_wm() {
    "$@" >"$E2E_DIR/wm.log" 2>&1 &
    at_exit "kill $! 2>/dev/null"
    _wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_until 30 _wm_up || fail "$* did not start: $(tail -n 5 "$E2E_DIR/wm.log")"
}

# Named checks of a desktop run: `check NAME CMD...` runs CMD and prints
# "check NAME pass" or "check NAME FAIL", keeping the failed names in
# CHECKS_FAILED; `check_line TITLE LOG` sums a run's log up in one line.
CHECKS_FAILED=()
check() {
    local name=$1
    shift
    if "$@"; then echo "check $name pass"; else echo "check $name FAIL"; CHECKS_FAILED+=("$name"); fi
}
# skip_check NAME WHY: a check that is not run here, named in the line.
skip_check() { echo "check $1 skipped"; note "$1 skipped: $2"; }
check_line() { grep '^check ' "$2" | awk -v t="$1" '{ line = line " " $2 "=" $3 } END { print t ":" line }'; }

# True while window $1 is the active one.
_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# make_gamedir [DIR]: a working dir with a copy of the built textures; sets GAMEDIR.
make_gamedir() {
    GAMEDIR=${1:-$E2E_DIR/game}
    mkdir -p "$GAMEDIR"
    [ -x "$VASKEL_BIN" ] || fail "no game binary at $VASKEL_BIN"
    [ -d "$VASKEL_BUILD/textures" ] || fail "no textures in $VASKEL_BUILD/textures"
    cp -r "$VASKEL_BUILD/textures" "$GAMEDIR/"
}

# launch_game [VAR=value...]: starts the game in GAMEDIR in the background,
# stdout and stderr to GAMEDIR/stdout.txt and stderr.txt; sets GAME_PID.
launch_game() {
    [ -n "$GAMEDIR" ] || make_gamedir
    local env_args=()
    if [ "${VASKEL_SDL:-}" = compat ]; then
        [ -e "$SDL_COMPAT_DIR/libSDL-1.2.so.0" ] || skip "sdl12-compat not installed"
        env_args+=("LD_LIBRARY_PATH=$SDL_COMPAT_DIR${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")
    fi
    GAME_STATUS=""
    GAME_WIN=""
    (cd "$GAMEDIR" && exec env "${env_args[@]+"${env_args[@]}"}" "$@" ${VASKEL_RUNNER:-} "$VASKEL_BIN" \
        >"$GAMEDIR/stdout.txt" 2>"$GAMEDIR/stderr.txt" </dev/null) &
    GAME_PID=$!
}

# True while the game process exists and is not a zombie.
game_running() {
    [ -n "$GAME_PID" ] || return 1
    local state
    state=$(awk '{print $3}' "/proc/$GAME_PID/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_window [TIMEOUT_S]: waits until the game has a mapped top-level
# window of GAME_SIZE (default 640x480); sets GAME_WIN. SDL 1.2 sets no
# caption, so windows are matched by the client's pid where the library sets
# _NET_WM_PID, else by being the only viewable child of the root of that
# size (the X server is private).
wait_window() {
    local deadline=$((SECONDS + ${1:-30}))
    local w
    while :; do
        game_running || fail "game exited before its window appeared"
        for w in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null) \
                 $(xwininfo -root -children 2>/dev/null | awk -v s=" ${GAME_SIZE:-640x480}+" 'index($0, s) {print $1}'); do
            if xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' &&
               [ "$(xwininfo -id "$w" | awk '/Width:/ {w = $2} /Height:/ {print w "x" $2}')" = "${GAME_SIZE:-640x480}" ]; then
                GAME_WIN=$((w))
                return 0
            fi
        done
        [ "$SECONDS" -lt "$deadline" ] || fail "no game window after ${1:-30} s"
        sleep 0.2
    done
}

# start_game [VAR=value...]: launch_game, then wait for the window (30 s),
# and, while the game works, for the start-up lines to finish and for the
# first frame to be on screen (the window is mapped, and black, before the
# loop draws into it). Given
# no arguments, a native game runs with the frame counter preloaded.
start_game() {
    local so frames=""
    if [ $# -eq 0 ] && [ "$(head -c 4 "$VASKEL_BIN" 2>/dev/null)" = $'\x7fELF' ] && so=$(swapcount_so); then
        frames=$E2E_DIR/frames.$RANDOM
        set -- LD_PRELOAD="$so" VASKEL_FRAMES_FILE="$frames"
    fi
    launch_game "$@"
    FRAMES_FILE=$frames FRAMES_PID=$GAME_PID
    wait_window 30
    _game_looping() { grep -q '^Entering gameloop$' "$GAMEDIR/stdout.txt" || ! game_running; }
    wait_working 60 _game_looping || fail "game did not reach its frame loop, idle for 60 s"
    game_running || fail "game exited during start-up"
    _game_drawn() {
        game_running || return 0
        screenshot "$E2E_DIR/first_frame.png"
        [ "$(mean_rgb "$E2E_DIR/first_frame.png" 640x480+0+0)" != "0 0 0" ]
    }
    wait_working 60 _game_drawn || fail "no frame drawn, the game idle for 60 s"
    game_running || fail "game exited during its first frame"
}

# wait_game_exit TIMEOUT_S: waits for the game to end; sets GAME_STATUS.
# Fails (and kills the game) on timeout.
wait_game_exit() {
    _game_gone() { ! game_running; }
    wait_until "$1" _game_gone || fail "game still running after $1 s"
    GAME_STATUS=0
    wait "$GAME_PID" || GAME_STATUS=$?
    GAME_PID=""
}

# Stops the game if it still runs (TERM, then KILL after 5 s).
stop_game() {
    [ -n "$GAME_PID" ] || return 0
    if game_running; then
        kill "$GAME_PID" 2>/dev/null || true
        _game_gone() { ! game_running; }
        wait_until 5 _game_gone || kill -9 "$GAME_PID" 2>/dev/null || true
    fi
    wait "$GAME_PID" 2>/dev/null || true
    GAME_PID=""
}

# Input goes through XTEST to the focused game window, as a real keyboard
# would; the pointer is parked inside the window first so that focus stays
# there without a window manager. Key names are X keysym names (w, space, Escape).
_focus_game() {
    [ -n "$GAME_WIN" ] || fail "no game window"
    timeout 10 xdotool windowfocus --sync "$GAME_WIN" 2>/dev/null ||
        fail "cannot focus the game window"
}
key()     { _focus_game; xdotool key --delay 60 "$@"; }
keydown() { _focus_game; xdotool keydown "$@"; }
keyup()   { _focus_game; xdotool keyup "$@"; }

# move_game_window X Y: asks for the game's window there and waits up to
# 20 s for it to move; false where the window manager leaves it in place
# (mutter 48 does, after centring it, and xdotool's --sync alone would wait
# for ever).
move_game_window() {
    timeout 20 xdotool windowmove --sync "$GAME_WIN" "$1" "$2" 2>/dev/null
}
where_game_window() { xwininfo -id "$GAME_WIN" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x "," y}'; }

# mousemove_window X Y: moves the pointer to window coordinates.
mousemove_window() { xdotool mousemove --window "$GAME_WIN" "$1" "$2"; }

# wm_close: asks the game window to close as a window manager would
# (WM_DELETE_WINDOW). Uses the helper the build makes, else compiles it.
wm_close() {
    local helper="$VASKEL_BUILD/tests/wmclose"
    if [ ! -x "$helper" ]; then
        helper="$E2E_DIR/wmclose"
        cc -o "$helper" "$VASKEL_SOURCE/tests/e2e/wmclose.c" -lX11 ||
            skip "cannot build the wmclose helper"
    fi
    "$helper" "$GAME_WIN" || fail "wmclose failed"
}

# screenshot FILE: the game window's contents (640x480) as an image file.
screenshot() {
    grab "$E2E_DIR/screenshot.ppm"
    convert "$E2E_DIR/screenshot.ppm" -quality 10 "$1" || fail "screenshot failed"  # zlib's fastest
}

# grab FILE [PREV THRESHOLD [WxH+X+Y]]: the game window's contents as a PPM,
# quickly (tests/e2e/xgrab.c); given an earlier grab, prints how many pixels
# of the region differ from it by more than THRESHOLD levels in a channel.
# For looks taken over and over; screenshot's PNG for what is kept.
grab() {
    [ -n "$GAME_WIN" ] || fail "no game window"
    local helper="$VASKEL_BUILD/tests/xgrab" mean share count
    if [ ! -x "$helper" ]; then
        helper="$E2E_DIR/xgrab"
        [ -x "$helper" ] || cc -O2 -o "$helper" "$VASKEL_SOURCE/tests/e2e/xgrab.c" -lX11 2>/dev/null || helper=""
    fi
    if [ -n "$helper" ]; then
        timeout 20 "$helper" "$GAME_WIN" "$@" || fail "grab failed"
        return
    fi
    # No compiler (a bare system with the package only): ImageMagick, slower.
    # import waits forever for a window that has gone away.
    timeout 20 import -window "$GAME_WIN" "$1" 2>/dev/null || fail "grab failed"
    [ $# -lt 3 ] || { read -r mean share count < <(picture_difference "$2" "$1" "$3" "${4:-}"); echo "$count"; }
}

# pixel FILE X Y -> "r g b" (0..255)
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+.5)] %[fx:int(255*p{$2,$3}.g+.5)] %[fx:int(255*p{$2,$3}.b+.5)]\n" info:
}

# mean_rgb FILE WxH+X+Y -> mean "r g b" (0..255) of that region
mean_rgb() {
    convert "$1" -crop "$2" +repage -format \
        '%[fx:int(255*mean.r+.5)] %[fx:int(255*mean.g+.5)] %[fx:int(255*mean.b+.5)]\n' info:
}

# region_stddev FILE WxH+X+Y -> standard deviation of the region (0..255):
# near 0 for a flat colour, large for a textured floor.
region_stddev() {
    convert "$1" -crop "$2" +repage -format '%[fx:int(255*standard_deviation+.5)]\n' info:
}

# dump_rgb FILE WxH+X+Y -> one line "x y r g b" per pixel, in window coordinates.
dump_rgb() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | awk -v geom="$2" '
        BEGIN { split(geom, g, /[x+]/); ox = g[3]; oy = g[4] }
        NR > 1 { gsub(/[(),:]/, " "); print $1 + ox, $2 + oy, $3, $4, $5 }'
}

# window_is WxH: the game's window has that size.
window_is() { [ "$(xwininfo -id "$GAME_WIN" | awk '/Width:/ {w = $2} /Height:/ {print w "x" $2}')" = "$1" ]; }
# scaled_like SMALL BIG: BIG scaled down to SMALL's size shows SMALL's picture.
scaled_like() {
    convert "$2" -resize "$(identify -format %wx%h "$1")!" "$2.small.png"
    same_picture "$1" "$2.small.png"
}
# same_picture A B [WxH+X+Y]: A and B show one picture, drawn by two paths: a
# mean of 6 levels apart at most, and 3 % of pixels off by more than 48.
same_picture() {
    read -r mean share _ < <(picture_difference "$1" "$2" 48 "${3:-}")
    note "$(basename "$2") against $(basename "$1"): mean $mean levels, $share of pixels off by more than 48"
    awk -v m="$mean" -v s="$share" 'BEGIN { exit !(m <= 6 && s <= 0.03) }'
}
# picture_difference A B [THRESHOLD [WxH+X+Y]] -> "MEAN SHARE COUNT" (picdiff).
picture_difference() { "$_E2E_HERE/picdiff" "$@"; }

# diff_pixels A B [WxH+X+Y] -> number of pixels of the region that differ by
# more than 2 % (5 levels) in some channel between two screenshots.
diff_pixels() {
    local mean share count
    read -r mean share count < <(picture_difference "$1" "$2" 5 "${3:-640x480+0+0}")
    echo "$count"
}

# color_near "R G B" "R G B" TOL: true when every channel differs by at most TOL.
color_near() {
    local a b
    read -r -a a <<<"$1"
    read -r -a b <<<"$2"
    local i d
    for i in 0 1 2; do
        d=$((a[i] - b[i]))
        [ "${d#-}" -le "$3" ] || return 1
    done
}

# assert_color WHAT "R G B" EXPECTED_RGB TOL
assert_color() {
    color_near "$2" "$3" "$4" || fail "$1: colour [$2] is not within $4 of [$3]"
}

# swapcount_so: builds tools/swapcount.c once per test, for LD_PRELOAD;
# prints its path.
swapcount_so() {
    [ -e "$E2E_DIR/swapcount.so" ] ||
        "${VASKEL_CC:-cc}" -O1 -shared -fPIC "$VASKEL_SOURCE/tools/swapcount.c" -o "$E2E_DIR/swapcount.so" -ldl -lGL >&2 ||
        return 1
    echo "$E2E_DIR/swapcount.so"
}

# frames_shown: the frames the game has presented so far, from the counter
# start_game preloads; empty when it runs without one (Wine, a wrapper).
# A counter belongs to one run: a game started otherwise never reads a
# finished run's count as its own.
frames_shown() {
    [ "$FRAMES_PID" = "$GAME_PID" ] && [ -e "$FRAMES_FILE" ] || return 0
    local n="" tries=0
    while [ -z "$n" ] && [ "$tries" -lt 50 ]; do  # the counter rewrites the file each frame
        n=$(cut -d' ' -f1 "$FRAMES_FILE" 2>/dev/null) || true
        tries=$((tries + 1))
    done
    echo "$n"
}

# True once the game has presented frame N, or has ended.
frames_past() {
    local n
    n=$(frames_shown)
    [ -n "$n" ] && [ "$n" -ge "$1" ] || ! game_running
}

# wait_frames N [STALL_S]: until the game has presented N more frames (or
# has ended); fails once STALL_S seconds (default 60) pass with no new frame,
# so a slow machine waits as long as frames still come. Without a frame
# counter it fails: a guessed time would hold only at some machine's pace.
wait_frames() {
    local at
    at=$(frames_shown)
    [ -n "$at" ] || fail "wait_frames: the game runs without a frame counter"
    local last=$at now since=$SECONDS
    until frames_past $((at + $1)); do
        now=$(frames_shown)
        [ "$now" = "$last" ] || { last=$now; since=$SECONDS; }
        [ $((SECONDS - since)) -lt "${2:-60}" ] || fail "no new frame in ${2:-60} s ($1 wanted, $((last - at)) came)"
        sleep 0.05
    done
}

_processor_time() { awk '{print $14 + $15}' "/proc/$GAME_PID/stat" 2>/dev/null; }
# wait_working STALL_S CMD...: polls CMD until it holds or the game ends, as
# long as the game works: false once STALL_S seconds pass in which it used
# no processor time. A machine that emulates another (an ARM root under
# qemu-user) draws a first frame in minutes, not seconds.
wait_working() {
    local stall=$1 used last="" since=$SECONDS
    shift
    until "$@"; do
        game_running || return 0
        used=$(_processor_time) || return 0
        [ "$used" = "$last" ] || { last=$used; since=$SECONDS; }
        [ $((SECONDS - since)) -lt "$stall" ] || return 1
        sleep 0.1
    done
}

# wait_game N CMD...: polls CMD until it holds, as long as the game plays:
# false once the game has presented N frames (its own time, 30 ms each)
# without CMD holding, or after a minute with no new frame at all. Without
# a frame counter, N frames' time on the clock, at least 20 s.
wait_game() {
    local n=$1 at last now since=$SECONDS deadline
    shift
    at=$(frames_shown)
    last=$at
    deadline=$((SECONDS + n * 30 / 1000 + 20))
    until "$@"; do
        if [ -n "$at" ]; then
            now=$(frames_shown)
            [ "${now:-$at}" -lt $((at + n)) ] || return 1
            [ "$now" = "$last" ] || { last=$now; since=$SECONDS; }
            [ $((SECONDS - since)) -lt 60 ] || return 1
        else
            [ "$SECONDS" -lt "$deadline" ] || return 1
        fi
        sleep 0.1
    done
}

# picture: a digest of what the window shows; a new one means a new frame
# where every frame moves the view.
picture() { grab "$E2E_DIR/picture.ppm" && md5sum <"$E2E_DIR/picture.ppm"; }

# wait_pictures N: until the window has shown N new pictures; fails when a
# minute passes with none: a minute of the game's own time (2000 frames)
# where it has a frame counter, so that an emulated machine's slow frames
# count as they come, and a minute with no frame at all.
wait_pictures() {
    local last sig seen=0 since=$SECONDS from frame at=$SECONDS stalled
    last=$(picture)
    from=$(frames_shown) && frame=$from
    while [ "$seen" -lt "$1" ]; do
        if [ -n "$from" ]; then
            [ "$(frames_shown)" = "$frame" ] || { frame=$(frames_shown); at=$SECONDS; }
            stalled=$((${frame:-0} - from >= 2000 || SECONDS - at >= 60))
        else
            stalled=$((SECONDS - since >= 60))
        fi
        if [ "$stalled" = 1 ]; then
            game_running || fail "the game ended unexpectedly"
            fail "the picture stopped changing"
        fi
        sleep 0.02  # the game needs the core more than this loop does
        sig=$(picture)
        if [ "$sig" != "$last" ]; then
            seen=$((seen + 1))
            last=$sig
            since=$SECONDS
            from=$(frames_shown)
        fi
    done
}

# A walk of many steps gives up only when nothing has changed for a while,
# never on a budget for the whole walk:
#   progress_start; until DONE; do STEP; progress "$(WHAT)" || fail ...; done
# progress VALUE [STALL_S]: false once VALUE has stayed the same for STALL_S
# seconds (default 60). One walk at a time: the helpers here do not use it.
progress_start() { _PROGRESS_AT=$SECONDS; _PROGRESS_LAST=""; }
progress() {
    if [ "$1" != "$_PROGRESS_LAST" ]; then
        _PROGRESS_LAST=$1
        _PROGRESS_AT=$SECONDS
    fi
    [ $((SECONDS - _PROGRESS_AT)) -lt "${2:-60}" ]
}

# wait_still [FILE [TIMEOUT [REGION]]]: the view at rest, kept in FILE:
# two captures at least three frames apart that are equal (in REGION). The
# browser test's Browser.still is the same rule. A view still moving after
# TIMEOUT seconds of the game's own time (its 30 ms frames; default 40) never
# comes to rest; a game that stops presenting frames fails wait_frames.
# Without a frame counter the captures are 0.2 s apart, TIMEOUT of the clock.
wait_still() {
    local file=${1:-$E2E_DIR/still.png} deadline=$((SECONDS + ${2:-40})) at start
    grab "$E2E_DIR/still.ppm"
    at=$(frames_shown)
    start=$at
    while :; do
        if [ -n "$at" ]; then
            wait_frames 3
        else
            sleep 0.2
        fi
        [ "$(grab "$E2E_DIR/still_next.ppm" "$E2E_DIR/still.ppm" 5 "${3:-640x480+0+0}")" -eq 0 ] && break
        at=$(frames_shown)
        mv "$E2E_DIR/still_next.ppm" "$E2E_DIR/still.ppm"
        if [ -n "$at" ]; then
            [ $((at - start)) -lt $((${2:-40} * 1000 / 30)) ] || fail "the view did not come to rest in ${2:-40} s of game time"
        else
            [ "$SECONDS" -lt "$deadline" ] || fail "the view did not come to rest in ${2:-40} s"
        fi
    done
    convert "$E2E_DIR/still_next.ppm" -quality 10 "$file"
}

# wait_settled FILE: the view at rest once the logo has gone (the player
# has landed by then), kept in FILE. Where the logo was must show the sky:
# a window not yet drawn is flat too, and black.
wait_settled() {
    _logo_gone() {
        screenshot "$1"
        [ "$(region_stddev "$1" 256x64+0+0)" -le 1 ] && color_near "$(mean_rgb "$1" 256x64+0+0)" "$SKY" 4
    }
    wait_game 2000 _logo_gone "$1" || fail "the logo is still on screen after 2000 frames"
    wait_still "$1"
}

# far_edge_row FILE: the first row, from y = 100 down, in column 100 that is
# not sky: the far edge of the floor, which walking forward brings down.
far_edge_row() {
    dump_rgb "$1" 1x380+100+100 | awk -v sky="$SKY" '
        BEGIN { split(sky, s, " ") }
        { d = 0; for (i = 1; i <= 3; i++) { v = $(i + 2) - s[i]; d += v < 0 ? -v : v }
          if (d > 12 && !found) { row = $2; found = 1 } }
        END { print found ? row : 480 }'
}

# True while the pointer is inside the game window. The window's place is
# xwininfo's: xdotool counts a window manager's frame in twice.
pointer_in_window() {
    local X Y SCREEN WINDOW wx wy
    eval "$(xdotool getmouselocation --shell)"
    IFS=, read -r wx wy <<<"$(where_game_window)"
    [ "$X" -ge "$wx" ] && [ "$X" -lt $((wx + 640)) ] && [ "$Y" -ge "$wy" ] && [ "$Y" -lt $((wy + 480)) ]
}

# turn_sweep: the pointer pushed from the window's centre to the right, then
# to the left, in steps of 3, 5, 7, 13 and 29 px, 10 ms apart, as a mouse
# turned at 300 to 2900 px/s reports, for about 1000 px each way: past the
# warp columns at least once. After every 10 steps the pointer must still be
# in the window and the view must have turned since the last look (from a
# still view at the start: any change is the steps' doing). A pointer that
# escapes stops the turning within two stretches, as its turn speed decays.
# The window is first moved away from the screen's edges.
# VASKEL_SWEEP_STEPS picks other step sizes.
turn_sweep() {
    local step dir stretch stretches i moves
    # Off the screen's edges, where the screen would hold the pointer in.
    move_game_window 192 144 || note "the game's window stays at $(where_game_window)"
    for step in ${VASKEL_SWEEP_STEPS:-3 5 7 13 29}; do
        for dir in 1 -1; do
            mousemove_window 320 240
            wait_still
            cp "$E2E_DIR/still.ppm" "$E2E_DIR/sweep_last.ppm"
            moves=()
            for i in 1 2 3 4 5 6 7 8 9 10; do
                moves+=(mousemove_relative -- $((dir * step)) 0 sleep 0.01)
            done
            stretches=$(((1000 / step + 9) / 10))
            for ((stretch = 1; stretch <= stretches; stretch++)); do
                xdotool "${moves[@]}"
                pointer_in_window || fail "steps of $step px, direction $dir: the pointer left the window in stretch $stretch of $stretches ($(xdotool getmouselocation))"
                _sweep_turned() { [ "$(grab "$E2E_DIR/sweep_now.ppm" "$E2E_DIR/sweep_last.ppm" 5)" -gt 100 ]; }
                wait_game 300 _sweep_turned ||
                    fail "steps of $step px, direction $dir: the view stopped turning in stretch $stretch of $stretches"
                mv "$E2E_DIR/sweep_now.ppm" "$E2E_DIR/sweep_last.ppm"
            done
            note "steps of $step px, direction $dir: $stretches stretches, turning throughout"
        done
    done
}
