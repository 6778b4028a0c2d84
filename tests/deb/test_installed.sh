#!/usr/bin/env bash
# The Debian package on a new machine (tools/fresh-check runs this as root in
# a minimal Debian root that has nothing else installed):
#   test_installed.sh DEB OUTDIR
# apt installs the package with every library it needs; a plain user starts
# it from the desktop entry's Exec line under Xvfb and sees the floor;
# Escape ends it with status 0 and the logs are in that user's
# ~/.local/state/vaskel; purging leaves none of the package's files. The
# screenshot goes to OUTDIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --as-player ]; then
    # As the player, in a login shell: PATH is the system's default.
    out=$2
    export VASKEL_BUILD=/nonexistent
    . "$here/lib.sh"
    start_xvfb
    exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.vaskel.vaskel.desktop)
    GAMEDIR=$HOME/.local/state/vaskel
    (cd "$HOME" && exec $exec_line >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" </dev/null) &
    GAME_PID=$!
    wait_window 60
    _looping() { grep -q '^Entering gameloop$' "$E2E_DIR/stdout.txt" || ! game_running; }
    wait_until 60 _looping || fail "no frame loop: $(cat "$E2E_DIR/stderr.txt")"
    wait_settled "$out/desktop-entry.png"
    floor=$(region_stddev "$out/desktop-entry.png" 640x120+0+360)
    [ "$floor" -gt 8 ] || fail "no textured floor in the lower part of the view (deviation $floor)"
    key Escape
    wait_game_exit 30
    assert_eq 0 "$GAME_STATUS" "exit status"
    grep -q '^Engine destroyed. Exiting.$' "$GAMEDIR/SK_ENGINE.txt" || fail "no engine log in $GAMEDIR"
    grep -q 'Attempting to load Texture ./textures/stone.bmp' "$GAMEDIR/VK_TEXTURE.txt" || fail "no texture log"
    [ ! -e "$GAMEDIR/VK_SK_ENGINE.TXT" ] || fail "an image failed to load"
    echo "player: floor deviation $floor, exit status 0, logs in $GAMEDIR"
    exit 0
fi

deb=$(realpath "$1")
out=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "$deb" >"$out/apt-install.log" 2>&1 || fail "apt-get install: $(tail "$out/apt-install.log")"
missing=$(ldd /usr/lib/games/vaskel/vaskel | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries the package did not pull: $missing"
dpkg -L vaskel >"$out/package-files.txt"
echo "installed: $(dpkg-query -W -f='${Package} ${Version}, ${Installed-Size} KiB' vaskel)"

# What drives the game, installed only after the package pulled its own.
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-utils imagemagick procps \
    >"$out/apt-tools.log" 2>&1 || fail "installing the test tools"
id player >/dev/null 2>&1 || useradd -m player
scratch=$(runuser -u player -- mktemp -d)
cp "$here/../e2e/lib.sh" "$here/../e2e/picdiff" "$0" "$scratch/"
chmod -R a+rX "$scratch"
runuser -l player -c "bash $scratch/$(basename "$0") --as-player $scratch"
cp "$scratch/desktop-entry.png" "$out/"
ls -d /home/player/.local/state/vaskel >/dev/null

apt-get purge -y -qq vaskel >"$out/apt-purge.log" 2>&1 || fail "apt-get purge"
left=()
while read -r path; do
    [ "$path" = /. ] && continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A directory may stay when another package owns it too.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    left+=("$path")
done <"$out/package-files.txt"
[ ${#left[@]} -eq 0 ] || fail "left behind after purge: ${left[*]}"
echo "PASS: installed, played by a plain user from the desktop entry, purged clean"
