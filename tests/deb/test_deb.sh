#!/usr/bin/env bash
# The Debian package: lintian reports no error or warning (and no hardening
# tag at any level), the binary has Debian's hardening, the desktop entry
# and the AppStream metadata validate, it holds exactly the expected files,
# and the desktop entry's Exec line, run from an unpacked copy, starts the
# game under Xvfb with its logs in XDG_STATE_HOME. Another architecture's
# package is not started (tests/deb/test_arm.sh plays it), and depends on the
# packages and holds the bytes that NATIVE, this machine's, does but the game.
#   tests/deb/test_deb.sh DEB [NATIVE]
set -euo pipefail
deb=$(realpath "$1")
. "$(dirname "$0")/../e2e/lib.sh"
arch=$(dpkg-deb -f "$deb" Architecture)

lintian --fail-on error,warning "$deb" >"$E2E_DIR/lintian.txt" 2>&1 ||
    fail "lintian: $(cat "$E2E_DIR/lintian.txt")"
grep -E '^[EW]: ' "$E2E_DIR/lintian.txt" && fail "lintian reports the lines above"
lintian -I --pedantic "$deb" >"$E2E_DIR/lintian-all.txt" 2>&1 || true
grep hardening "$E2E_DIR/lintian-all.txt" && fail "lintian reports the hardening tags above"

root=$E2E_DIR/root
dpkg-deb -x "$deb" "$root"

bin=$root/usr/lib/games/vaskel/vaskel
hardening-check "$bin" >"$E2E_DIR/hardening.txt" || true
for want in 'Position Independent Executable: yes' 'Stack protected: yes' 'Fortify Source functions: yes' \
            'Read-only relocations: yes' 'Immediate binding: yes' 'Stack clash protection: (yes|unknown)'; do
    grep -Eq "^ $want" "$E2E_DIR/hardening.txt" || fail "hardening-check: not '$want': $(cat "$E2E_DIR/hardening.txt")"
done
# The linker marks a binary for control-flow protection only when every
# object in it is; where the C library's own start files are not, the
# game's code must still carry the landing pads (arm64: BTI and PAC).
if [ "$arch" = arm64 ]; then
    [ "$(aarch64-linux-gnu-objdump -d "$bin" | grep -cE '\s(bti|paciasp)\b')" -gt 50 ] || fail "no BTI or PAC in the code"
elif [ "$arch" = amd64 ] && ! grep -q '^ Control flow integrity: yes' "$E2E_DIR/hardening.txt"; then
    echo 'int main(void) { return 0; }' |
        gcc -fcf-protection -Wl,-z,cet-report=warning -x c - -o "$E2E_DIR/cet" 2>"$E2E_DIR/cet.txt"
    grep -q 'crt.*missing IBT' "$E2E_DIR/cet.txt" ||
        fail "hardening-check: no control-flow protection, though the C start files have it"
    [ "$(objdump -d "$bin" | grep -c endbr64)" -gt 50 ] || fail "the game's code has no endbr64 landing pads"
fi

desktop=$root/usr/share/applications/org.vaskel.vaskel.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.vaskel.vaskel.metainfo.xml" >"$E2E_DIR/as.txt" 2>&1 ||
    fail "appstreamcli validate: $(cat "$E2E_DIR/as.txt")"

files=$(cd "$root" && find . -type f -o -type l | sed 's|^\./|/|' | sort)
icons=$(for n in 16 22 24 32 48 64 128 256; do echo "/usr/share/icons/hicolor/${n}x${n}/apps/vaskel.png"; done)
images=$(for f in crosshair.tga dirt.bmp ob_tile.bmp stone.bmp vaskellogo.tga wireframe.tga; do
    echo "/usr/share/games/vaskel/textures/$f"; done)
expected=$(printf '%s\n' /usr/games/vaskel /usr/lib/games/vaskel/vaskel \
    /usr/share/applications/org.vaskel.vaskel.desktop /usr/share/doc/vaskel/changelog.gz \
    /usr/share/doc/vaskel/copyright /usr/share/man/man6/vaskel.6.gz \
    /usr/share/metainfo/org.vaskel.vaskel.metainfo.xml "$icons" "$images" | sort)
assert_eq "$expected" "$files" "the package's files"
version=$(dpkg-deb -f "$deb" Version)
assert_eq "$("$VASKEL_SOURCE/tools/version")" "$version" "package version"
grep -q "release version=\"$version\"" "$root/usr/share/metainfo/org.vaskel.vaskel.metainfo.xml" ||
    fail "the AppStream release is not $version"
zcat "$root/usr/share/man/man6/vaskel.6.gz" | grep -q "^\.TH VASKEL 6 .*\"vaskel $version\"" ||
    fail "the man page does not name version $version"

if [ "$arch" != "$(dpkg --print-architecture)" ]; then
    but_game() { dpkg-deb -f "$1" Depends | sed 's/ ([^)]*)//g'; dpkg-deb -I "$1" md5sums | grep -v ' usr/lib/games/vaskel/vaskel$'; }
    assert_eq "$(but_game "$2")" "$(but_game "$deb")" "the packages depended on and the files but the game, against $2"
    echo "PASS" && exit 0
fi

# The menu's way in: the Exec line with the package's /usr/games on PATH.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
start_xvfb
export XDG_STATE_HOME=$E2E_DIR/state
GAMEDIR=$XDG_STATE_HOME/vaskel
mkdir -p "$E2E_DIR/cwd"
(cd "$E2E_DIR/cwd" && exec env PATH="$root/usr/games:$PATH" $exec_line \
    >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" </dev/null) &
GAME_PID=$!
wait_window 30
_looping() { grep -q '^Entering gameloop$' "$E2E_DIR/stdout.txt" || ! game_running; }
wait_until 60 _looping || fail "the packaged game did not reach its frame loop: $(cat "$E2E_DIR/stderr.txt")"
key Escape
wait_game_exit 30
assert_eq 0 "$GAME_STATUS" "exit status of the packaged game"
grep -q '^Engine destroyed. Exiting.$' "$GAMEDIR/SK_ENGINE.txt" || fail "no engine log in $GAMEDIR"
[ ! -e "$GAMEDIR/VK_SK_ENGINE.TXT" ] || fail "an image failed to load: $(cat "$GAMEDIR/VK_SK_ENGINE.TXT")"
assert_eq "" "$(ls -A "$E2E_DIR/cwd")" "files written to the working directory"
echo "PASS"
