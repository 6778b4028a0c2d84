#!/usr/bin/python3
"""Real input through GNOME's compositor: mutter's remote-desktop D-Bus
interface, on the session bus, as a remote-desktop client sends it.

    mutter_input.py     reads one line of steps at a time from standard
                        input and answers each line with "done"

One remote-desktop session, and so one set of devices, lives as long as
the program: a headless compositor's seat has a pointer only while such a
device lives, and Xwayland dies when asked to lock a pointer the seat has
just lost. Steps, done in order:
    move:DX:DY             relative pointer motion
    sweep:DX:COUNT:PAUSE   COUNT motions of DX pixels, PAUSE seconds apart
    key:KEYSYM:1|0         press or release an X keysym (Alt_L, Tab, Escape...)
    click                  press and release the left button
    sleep:SECONDS
"""
import sys
import time

from gi.repository import Gio, GLib

BUS = "org.gnome.Mutter.RemoteDesktop"
BTN_LEFT = 0x110
KEYSYMS = {"Shift_L": 0xFFE1, "Alt_L": 0xFFE9, "Tab": 0xFF09, "Escape": 0xFF1B, "F11": 0xFFC8, "w": 0x77}


def call(bus, path, method, args=None):
    iface = BUS + (".Session" if path != "/org/gnome/Mutter/RemoteDesktop" else "")
    return bus.call_sync(BUS, path, iface, method, args, None, Gio.DBusCallFlags.NONE, 5000, None)


def keysym(bus, path, sym, down):
    call(bus, path, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (sym, down)))


def step(bus, path, text):
    kind, *args = text.split(":")
    if kind == "move":
        call(bus, path, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(args[0]), float(args[1]))))
    elif kind == "sweep":
        for _ in range(int(args[1])):
            call(bus, path, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(args[0]), 0.0)))
            time.sleep(float(args[2]))
    elif kind == "key":
        keysym(bus, path, KEYSYMS[args[0]], args[1] == "1")
    elif kind == "click":
        for down in (True, False):
            call(bus, path, "NotifyPointerButton", GLib.Variant("(ib)", (BTN_LEFT, down)))
    elif kind == "sleep":
        time.sleep(float(args[0]))
    else:
        raise SystemExit("unknown step " + text)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    path = call(bus, "/org/gnome/Mutter/RemoteDesktop", "CreateSession").unpack()[0]
    call(bus, path, "Start")
    # The session's first key gives Xwayland a new keymap, and the key that
    # comes with it never reaches X clients.
    for down in (True, False):
        keysym(bus, path, KEYSYMS["Shift_L"], down)
    time.sleep(0.3)
    try:
        for line in sys.stdin:
            for text in line.split():
                step(bus, path, text)
            print("done", flush=True)
    finally:
        call(bus, path, "Stop")


if __name__ == "__main__":
    main()
