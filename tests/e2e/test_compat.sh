#!/usr/bin/env bash
# The same binary on the other SDL 1.2 library: CTest runs every other
# end-to-end script a second time with VASKEL_SDL=compat (sdl12-compat over
# SDL 2), and this one checks that the game really loads it there. Where
# the system's SDL 1.2 is sdl12-compat, the other scripts already ran on it.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

[ "${VASKEL_SDL:-}" = compat ] && skip "already running on sdl12-compat"
[ "$SDL_LIB" = classic ] || skip "the system's SDL 1.2 is sdl12-compat, which every other script ran on; no classic SDL 1.2 here"
[ -e "$SDL_COMPAT_DIR/libSDL-1.2.so.0" ] || skip "sdl12-compat not installed"
loaded=$(LD_LIBRARY_PATH=$SDL_COMPAT_DIR ldd "$VASKEL_BIN" | awk '/libSDL-1.2/ {print $3}')
case "$loaded" in
    "$SDL_COMPAT_DIR"/*) ;;
    *) fail "the game does not load sdl12-compat from $SDL_COMPAT_DIR (got '$loaded')" ;;
esac

echo "PASS"
