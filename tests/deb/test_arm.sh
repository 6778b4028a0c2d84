#!/usr/bin/env bash
# An ARM package's game under qemu-user does, step by step, what this
# machine's game does: the same output, logs, frame 3 and landed view; w
# walks it forward, the mouse turns it, Escape ends it with status 0. armhf
# draws with softpipe: Debian 12's llvmpipe there lights the floor darker.
#   tests/deb/test_arm.sh NATIVE_DEB ARM_DEB [--sdl compat]
set -euo pipefail
[ "${3:-}" != --sdl ] || export VASKEL_SDL=$4
case ${arch:=$(dpkg-deb -f "$2" Architecture)} in
    arm64) qemu=qemu-aarch64 cc=aarch64-linux-gnu-gcc ;;
    armhf) qemu=qemu-arm cc=arm-linux-gnueabihf-gcc && export GALLIUM_DRIVER=softpipe ;;
esac
. "$(dirname "$0")/../e2e/lib.sh"
BELOW_LOGO=640x380+0+100
export VASKEL_CAPTURE_FRAMES=3
start_xvfb

# play NAME DEB: the package's game through the steps, in E2E_DIR/NAME.
play() {
    local play_dir=$E2E_DIR/$1 edge kind=classic
    mkdir -p "$play_dir/root" && dpkg-deb -x "$2" "$play_dir/root"
    VASKEL_BIN=$play_dir/root/usr/lib/games/vaskel/vaskel VASKEL_BUILD=$play_dir/root/usr/share/games/vaskel
    SDL_COMPAT_DIR=/usr/lib/$VASKEL_MULTIARCH/sdl12-compat
    make_gamedir "$play_dir/game" && export VASKEL_CAPTURE_DIR=$GAMEDIR
    rm -f "$E2E_DIR/swapcount.so" && xdotool mousemove 320 240  # the window's middle: no turn yet
    start_game
    ! grep -qa SDL12COMPAT "$(grep -om1 '/[^ ]*/libSDL-1\.2\.so[^ ]*' "/proc/$GAME_PID/maps")" || kind=compat
    assert_eq "$SDL_LIB" "$kind" "$1: the SDL 1.2 loaded"
    wait_still "$play_dir/landed.png" 40 "$BELOW_LOGO"
    edge=$(far_edge_row "$play_dir/landed.png")
    _walked() { screenshot "$play_dir/now.png" && [ "$(far_edge_row "$play_dir/now.png")" -ge $((edge + 3)) ]; }
    keydown w
    wait_game 100 _walked || fail "$1: holding w did not bring the far edge nearer (row $edge)"
    keyup w
    wait_still "$play_dir/walked.png" 40 "$BELOW_LOGO"
    # A move per two frames: the move that starts the keep turns nothing.
    _turned() {
        xdotool mousemove_relative -- 30 0 && wait_frames 2 && screenshot "$play_dir/now.png" &&
            [ "$(diff_pixels "$play_dir/walked.png" "$play_dir/now.png" "$BELOW_LOGO")" -gt 1000 ]
    }
    wait_game 100 _turned || fail "$1: moving the mouse did not turn the view"
    key Escape && wait_game_exit 60
    assert_eq 0 "$GAME_STATUS" "$1: exit status after Escape"
}

play native "$1"
VASKEL_RUNNER=$(command -v "$qemu-static" "$qemu" | head -n1) VASKEL_CC=$cc t0=$SECONDS
VASKEL_MULTIARCH=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
[ "${VASKEL_SDL:-}" = compat ] || SDL_LIB=$(sdl_system_kind)
play "$arch" "$2"
note "$arch on ${SDL_LIB/compat/sdl12-compat}: played in $((SECONDS - t0)) s"
for f in stdout.txt SK_ENGINE.txt VK_TEXTURE.txt; do
    cmp "$E2E_DIR/native/game/$f" "$E2E_DIR/$arch/game/$f" || fail "$arch: $f is not the native game's"
done
same_picture "$E2E_DIR/native/game/frame-3.ppm" "$E2E_DIR/$arch/game/frame-3.ppm" || fail "$arch: frame 3 differs"
same_picture "$E2E_DIR/native/landed.png" "$E2E_DIR/$arch/landed.png" "$BELOW_LOGO" || fail "$arch: the landed view differs"
echo "PASS"
