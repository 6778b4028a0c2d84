/* Real input through KDE's compositor: KWin's fake-input Wayland protocol,
 * as a remote-input client sends it (KWin must allow it, for example with
 * KWIN_WAYLAND_NO_PERMISSION_CHECKS=1).
 *
 *     kwin_input     reads one line of steps at a time from standard input
 *                    and answers each line with "done"
 *
 * One connection, and so one device, lives as long as the program: a
 * headless compositor's seat has a pointer only while such a device lives.
 * Steps, done in order:
 *     move:DX:DY             relative pointer motion
 *     moveto:X:Y             the pointer to a place on the screen
 *     sweep:DX:COUNT:PAUSE   COUNT motions of DX pixels, PAUSE seconds apart
 *     key:NAME:1|0           press or release Alt_L, Tab, Escape or w
 *     click                  press and release the left button
 *     sleep:SECONDS
 *
 * Built by the script that uses it, against the protocol's own description
 * (plasma-wayland-protocols) through wayland-scanner. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* iface, uint32_t version) {
    (void)data;
    if (strcmp(iface, org_kde_kwin_fake_input_interface.name) == 0)
        input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

static void pause_for(double seconds) {
    struct timespec t = {(time_t)seconds, (long)((seconds - (time_t)seconds) * 1e9)};
    nanosleep(&t, NULL);
}

/* Linux input codes (linux/input-event-codes.h). */
static int keycode(const char* name) {
    static const struct { const char* name; int code; } keys[] = {
        {"Alt_L", 56}, {"Tab", 15}, {"Escape", 1}, {"w", 17}};
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; i++)
        if (strcmp(keys[i].name, name) == 0) return keys[i].code;
    fprintf(stderr, "kwin_input: unknown key %s\n", name);
    exit(2);
}

/* One step; false for one it does not know. */
static int do_step(struct wl_display* display, const char* step) {
    double a = 0, b = 0, c = 0;
    int state = 0;
    char name[16] = "";
    if (sscanf(step, "move:%lf:%lf", &a, &b) == 2) {
        org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_double(a), wl_fixed_from_double(b));
    } else if (sscanf(step, "moveto:%lf:%lf", &a, &b) == 2) {
        org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_double(a), wl_fixed_from_double(b));
    } else if (sscanf(step, "sweep:%lf:%lf:%lf", &a, &b, &c) == 3) {
        for (int n = 0; n < (int)b; n++) {
            org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_double(a), 0);
            wl_display_roundtrip(display);
            pause_for(c);
        }
    } else if (sscanf(step, "key:%15[^:]:%d", name, &state) == 2) {
        org_kde_kwin_fake_input_keyboard_key(input, (uint32_t)keycode(name), (uint32_t)state);
    } else if (strcmp(step, "click") == 0) {
        org_kde_kwin_fake_input_button(input, 0x110, 1);
        wl_display_roundtrip(display);
        org_kde_kwin_fake_input_button(input, 0x110, 0);
    } else if (sscanf(step, "sleep:%lf", &a) == 1) {
        pause_for(a);
    } else {
        fprintf(stderr, "kwin_input: unknown step %s\n", step);
        return 0;
    }
    return 1;
}

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kwin_input: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, NULL);
    wl_display_roundtrip(display);
    if (!input) {
        fprintf(stderr, "kwin_input: the compositor offers no fake input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(input, "vaskel tests", "end-to-end tests");
    char line[4096];
    while (fgets(line, sizeof line, stdin)) {
        for (char* step = strtok(line, " \t\n"); step; step = strtok(NULL, " \t\n"))
            if (!do_step(display, step)) return 2;
        wl_display_roundtrip(display);
        printf("done\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
