#!/usr/bin/env bash
# GNOME on Wayland: the desktop checks under a headless mutter, with the
# game through Xwayland (KDE's KWin runs by hand: wayland_desktops.sh).
exec env VASKEL_COMPOSITOR=mutter bash "$(dirname "$0")/wayland_desktops.sh"
