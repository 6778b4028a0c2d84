#!/usr/bin/env bash
# The installed game: `cmake --install` into a scratch prefix, the prefix
# moved elsewhere, and the game started through its launcher (by way of a
# link to it) from an unrelated directory. Its logs must land in the
# per-user state dir and nothing may be written to the prefix or the
# current directory.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

command -v cmake >/dev/null || skip "cmake not installed"
start_xvfb

built=$E2E_DIR/built
cmake --install "$VASKEL_BUILD" --prefix "$built" >"$E2E_DIR/install.log" ||
    fail "cmake --install failed: $(cat "$E2E_DIR/install.log")"
for f in bin/vaskel libexec/vaskel/vaskel share/vaskel/textures/stone.bmp \
         share/vaskel/textures/ob_tile.bmp share/vaskel/textures/dirt.bmp \
         share/vaskel/textures/wireframe.tga share/vaskel/textures/crosshair.tga \
         share/vaskel/textures/vaskellogo.tga; do
    [ -s "$built/$f" ] || fail "not installed: $f"
done

# The launcher must find the game relative to itself, not where it was installed.
prefix=$E2E_DIR/moved/prefix
mkdir -p "$E2E_DIR/moved" "$E2E_DIR/links"
mv "$built" "$prefix"
ln -s "$prefix/bin/vaskel" "$E2E_DIR/links/vaskel"
_listing() { (cd "$1" && find . -printf '%p %y %s %T@\n' | sort); }
before=$(_listing "$prefix")

export XDG_STATE_HOME=$E2E_DIR/state
state=$XDG_STATE_HOME/vaskel
# A link left by an earlier installation elsewhere is renewed at start.
mkdir -p "$state"
ln -s "$E2E_DIR/gone/share/vaskel/textures" "$state/textures"

cwd=$E2E_DIR/elsewhere
mkdir -p "$cwd"
env_args=()
if [ "${VASKEL_SDL:-}" = compat ]; then
    env_args+=("LD_LIBRARY_PATH=$SDL_COMPAT_DIR${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")
fi
(cd "$cwd" && exec env "${env_args[@]+"${env_args[@]}"}" "$E2E_DIR/links/vaskel" \
    >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" </dev/null) &
GAME_PID=$!
wait_window 30
_looping() { grep -q '^Entering gameloop$' "$E2E_DIR/stdout.txt" || ! game_running; }
wait_until 60 _looping || fail "the installed game did not reach its frame loop"
game_running || fail "the installed game exited during start-up: $(cat "$E2E_DIR/stderr.txt")"
key Escape
wait_game_exit 20
assert_eq 0 "$GAME_STATUS" "exit status of the installed game"

[ -L "$state/textures" ] || fail "no textures link in $state"
assert_eq "$prefix/share/vaskel/textures" "$(readlink "$state/textures")" "textures link"
grep -q '^Engine destroyed. Exiting.$' "$state/SK_ENGINE.txt" ||
    fail "engine log missing or incomplete in $state"
grep -q 'VK_TEXTURE: Attempting to load Texture ./textures/stone.bmp' "$state/VK_TEXTURE.txt" ||
    fail "texture log missing in $state"
[ ! -e "$state/VK_SK_ENGINE.TXT" ] || fail "an image failed to load: $(cat "$state/VK_SK_ENGINE.TXT")"
extra=$(ls -A "$cwd")
assert_eq "" "$extra" "files written to the current directory"
assert_eq "$before" "$(_listing "$prefix")" "the installed tree after a run"
