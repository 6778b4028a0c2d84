#!/usr/bin/env bash
# The same binary on the other SDL 1.2 library: every other end-to-end
# script runs again with VASKEL_SDL=compat (sdl12-compat over SDL 2), and
# each must pass there exactly as it does on classic SDL 1.2. Where the
# system's SDL 1.2 is sdl12-compat, the other scripts already ran on it.
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

here=$(cd "$(dirname "$0")" && pwd)
failed=()
for script in "$here"/test_*.sh; do
    name=$(basename "$script" .sh)
    [ "$name" = test_compat ] && continue
    log=$E2E_DIR/$name.log
    status=0
    VASKEL_SDL=compat bash "$script" >"$log" 2>&1 || status=$?
    case $status in
        0) echo "ok      $name" ;;
        77) echo "skipped $name: $(grep -m1 '^SKIP' "$log" || true)" ;;
        *)
            echo "FAILED  $name (status $status):"
            grep -v '^ALSA lib' "$log" | tail -n 30 | sed 's/^/    /'
            failed+=("$name")
            ;;
    esac
done
[ ${#failed[@]} -eq 0 ] || fail "on sdl12-compat: ${failed[*]}"
