#!/usr/bin/env bash
# An ARM package's game played under qemu-user on Xvfb, after this machine's
# game of the same sources: the same console lines and logs byte for byte,
# the same picture at frame 3 and once landed, a held walk key that brings
# the floor's far edge nearer, a mouse move that turns the view, and Escape
# that ends it with status 0. Both games run the same steps; frames, not
# times, say when.
#   tests/deb/test_arm.sh NATIVE_DEB ARM_DEB [--sdl compat]
# armhf draws with softpipe: Mesa's llvmpipe there lights the floor some 6
# levels darker than it does on amd64, where softpipe draws it the same.
set -euo pipefail
native_deb=$(realpath "$1")
deb=$(realpath "$2")
[ "${3:-}" != --sdl ] || export VASKEL_SDL=$4
arch=$(dpkg-deb -f "$deb" Architecture)
case $arch in
    arm64) runner=qemu-aarch64-static cc=aarch64-linux-gnu-gcc ;;
    armhf) runner=qemu-arm-static cc=arm-linux-gnueabihf-gcc gl=softpipe ;;
    *) echo "test_arm: $arch is not an ARM architecture" >&2; exit 2 ;;
esac
multiarch=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
. "$(dirname "$0")/../e2e/lib.sh"
command -v "$runner" >/dev/null || fail "$runner is not installed (tools/install-deps $arch)"

BELOW_LOGO=640x380+0+100
start_xvfb
export VASKEL_CAPTURE_FRAMES=3

# play NAME DEB: the package's game through the steps, its files kept in
# E2E_DIR/NAME.
play() {
    local name=$1 root=$E2E_DIR/$1/root edge_before edge_after
    mkdir -p "$root"
    dpkg-deb -x "$2" "$root"
    SDL_COMPAT_DIR=/usr/lib/${VASKEL_MULTIARCH:-x86_64-linux-gnu}/sdl12-compat
    VASKEL_BIN=$root/usr/lib/games/vaskel/vaskel
    VASKEL_BUILD=$root/usr/share/games/vaskel
    make_gamedir "$E2E_DIR/$name/game"
    export VASKEL_CAPTURE_DIR=$GAMEDIR
    rm -f "$E2E_DIR/swapcount.so"
    xdotool mousemove 320 240  # where the window's middle will be: no turn before the walk
    start_game
    local sdl kind=classic
    sdl=$(grep -om1 '/[^ ]*/libSDL-1\.2\.so[^ ]*' "/proc/$GAME_PID/maps") || fail "$name: no SDL 1.2 loaded"
    grep -qa SDL12COMPAT "$sdl" && kind=compat
    assert_eq "$SDL_LIB" "$kind" "$name: the SDL 1.2 loaded ($sdl)"
    _captured() { [ -e "$GAMEDIR/frame-3.ppm" ] || ! game_running; }
    wait_game 100 _captured || fail "$name: no capture of frame 3"

    wait_still "$E2E_DIR/$name/landed.png" 40 "$BELOW_LOGO"
    edge_before=$(far_edge_row "$E2E_DIR/$name/landed.png")
    _walked() {
        screenshot "$E2E_DIR/$name/walking.png"
        [ "$(far_edge_row "$E2E_DIR/$name/walking.png")" -ge $((edge_before + 3)) ]
    }
    keydown w
    wait_game 100 _walked || { keyup w; fail "$name: holding w did not bring the far edge nearer (row $edge_before)"; }
    keyup w
    wait_still "$E2E_DIR/$name/walked.png" 40 "$BELOW_LOGO"
    edge_after=$(far_edge_row "$E2E_DIR/$name/walked.png")
    note "$name: far edge row $edge_before -> $edge_after"

    xdotool mousemove_relative -- 30 0 sleep 0.05 mousemove_relative -- 30 0
    _turned() {
        screenshot "$E2E_DIR/$name/turned.png"
        [ "$(diff_pixels "$E2E_DIR/$name/walked.png" "$E2E_DIR/$name/turned.png" "$BELOW_LOGO")" -gt 1000 ]
    }
    wait_game 100 _turned || fail "$name: moving the mouse did not turn the view"

    key Escape
    wait_game_exit 60
    assert_eq 0 "$GAME_STATUS" "$name: exit status after Escape"
}

t0=$SECONDS
play native "$native_deb"
VASKEL_RUNNER=$runner VASKEL_CC=$cc VASKEL_MULTIARCH=$multiarch
[ -z "${gl:-}" ] || export GALLIUM_DRIVER=$gl
SDL_LIB=$(sdl_system_kind)
[ "${VASKEL_SDL:-}" != compat ] || SDL_LIB=compat
play "$arch" "$deb"
note "$arch on ${SDL_LIB/compat/sdl12-compat}: played in $((SECONDS - t0)) s with the native game"

for f in stdout.txt SK_ENGINE.txt VK_TEXTURE.txt; do
    cmp -s "$E2E_DIR/native/game/$f" "$E2E_DIR/$arch/game/$f" ||
        fail "$arch: $f differs: $(diff "$E2E_DIR/native/game/$f" "$E2E_DIR/$arch/game/$f")"
done
same_picture "$E2E_DIR/native/game/frame-3.ppm" "$E2E_DIR/$arch/game/frame-3.ppm" ||
    fail "$arch: frame 3 is not the native game's"
same_picture "$E2E_DIR/native/landed.png" "$E2E_DIR/$arch/landed.png" "$BELOW_LOGO" ||
    fail "$arch: the landed view is not the native game's"
echo "PASS"
