#!/usr/bin/env bash
# GNOME on Wayland: the desktop checks under a headless mutter, with the
# game through Xwayland (KDE's KWin runs by hand: wayland_desktops.sh).
# On sdl12-compat only, the library of today's Wayland desktops: Xwayland
# asks the compositor to confine or lock the pointer for classic SDL's
# grab at no time, so whether its keep holds there depends on the machine's
# pace; wayland_desktops.sh runs it by hand.
. "$(dirname "$0")/lib.sh"
[ "$SDL_LIB" = compat ] || skip "classic SDL's keep is not held by Xwayland; by hand: wayland_desktops.sh"
exec env VASKEL_COMPOSITOR=mutter bash "$(dirname "$0")/wayland_desktops.sh"
