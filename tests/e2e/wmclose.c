/* Asks a window to close the way a window manager does: a WM_PROTOCOLS
 * client message carrying WM_DELETE_WINDOW, sent only if the window lists
 * that protocol (a manager would kill a client that does not).
 * Usage: wmclose WINDOW_ID (decimal or 0x hex), on $DISPLAY. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

static int lists_protocol(Display* dpy, Window win, Atom protocol) {
    Atom* protocols = NULL;
    int count = 0;
    int found = 0;
    if (XGetWMProtocols(dpy, win, &protocols, &count)) {
        for (int i = 0; i < count; ++i) found |= protocols[i] == protocol;
        XFree(protocols);
    }
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: wmclose WINDOW_ID\n");
        return 2;
    }
    char* end = NULL;
    unsigned long id = strtoul(argv[1], &end, 0);
    if (!*argv[1] || *end || id == 0) {
        fprintf(stderr, "wmclose: bad window id '%s'\n", argv[1]);
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "wmclose: cannot open display\n");
        return 1;
    }
    Window win = (Window)id;
    Atom wm_protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    Atom wm_delete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    if (!lists_protocol(dpy, win, wm_delete)) {
        fprintf(stderr, "wmclose: window 0x%lx does not take WM_DELETE_WINDOW\n", id);
        XCloseDisplay(dpy);
        return 1;
    }
    XEvent ev = {0};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = wm_protocols;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)wm_delete;
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, win, False, NoEventMask, &ev);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return 0;
}
