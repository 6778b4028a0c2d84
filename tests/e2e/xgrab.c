/* xgrab WINDOW OUT [PREV THRESHOLD [WxH+X+Y]]: what WINDOW (an id, or
 * "root") shows, written to OUT as a binary PPM. Given PREV, an earlier
 * grab, it prints how many pixels of the region (default: all) have a
 * channel more than THRESHOLD levels apart between the two; a grab of
 * another size differs everywhere. The end-to-end tests' polling look: one
 * short X round trip where ImageMagick's import and convert take a tenth
 * of a second each, dozens of times per check. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int shift_of(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) { mask >>= 1; s++; }
    return s;
}

static int channel(unsigned long pixel, unsigned long mask) {
    unsigned long v = (pixel & mask) >> shift_of(mask), max = mask >> shift_of(mask);
    return max ? (int)(v * 255 / max) : 0;
}

/* A PPM this program wrote: "P6\nW H\n255\n" and W*H*3 bytes, all checked. */
static unsigned char *read_ppm(const char *path, int *w, int *h) {
    FILE *f = fopen(path, "rb");
    if (!f) return NULL;
    unsigned char *rgb = NULL;
    int max = 0;
    if (fscanf(f, "P6 %d %d %d", w, h, &max) == 3 && max == 255 && fgetc(f) == '\n' && *w > 0 && *h > 0 &&
        *w <= 16384 && *h <= 16384) {
        size_t n = (size_t)*w * (size_t)*h * 3;
        rgb = malloc(n);
        if (rgb && fread(rgb, 1, n, f) != n) { free(rgb); rgb = NULL; }
    }
    fclose(f);
    return rgb;
}

int main(int argc, char **argv) {
    if (argc != 3 && argc != 5 && argc != 6) {
        fprintf(stderr, "usage: xgrab WINDOW OUT [PREV THRESHOLD [WxH+X+Y]]\n");
        return 2;
    }
    Display *d = XOpenDisplay(NULL);
    if (!d) { fprintf(stderr, "xgrab: no display\n"); return 1; }
    Window win = strcmp(argv[1], "root") ? (Window)strtoul(argv[1], NULL, 0) : DefaultRootWindow(d);
    XWindowAttributes wa;
    if (!XGetWindowAttributes(d, win, &wa)) { fprintf(stderr, "xgrab: no window %s\n", argv[1]); return 1; }
    /* X refuses to read a window that runs off the screen: only the part on
     * it is read, the rest is black. */
    XWindowAttributes ra;
    int sx = 0, sy = 0;
    Window child;
    XGetWindowAttributes(d, wa.root, &ra);
    XTranslateCoordinates(d, win, wa.root, 0, 0, &sx, &sy, &child);
    int x0 = sx < 0 ? -sx : 0, y0 = sy < 0 ? -sy : 0;
    int x1 = sx + wa.width > ra.width ? ra.width - sx : wa.width;
    int y1 = sy + wa.height > ra.height ? ra.height - sy : wa.height;
    int w = wa.width, h = wa.height;
    unsigned char *rgb = calloc((size_t)w * h, 3);
    if (x1 > x0 && y1 > y0) {
        XImage *img = XGetImage(d, win, x0, y0, (unsigned)(x1 - x0), (unsigned)(y1 - y0), AllPlanes, ZPixmap);
        if (!img) { fprintf(stderr, "xgrab: cannot read window %s\n", argv[1]); return 1; }
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) {
                unsigned long px = XGetPixel(img, x - x0, y - y0);
                unsigned char *p = rgb + ((size_t)y * w + x) * 3;
                p[0] = (unsigned char)channel(px, wa.visual->red_mask);
                p[1] = (unsigned char)channel(px, wa.visual->green_mask);
                p[2] = (unsigned char)channel(px, wa.visual->blue_mask);
            }
        XDestroyImage(img);
    }
    XCloseDisplay(d);

    FILE *out = fopen(argv[2], "wb");
    if (!out || fprintf(out, "P6\n%d %d\n255\n", w, h) < 0 || fwrite(rgb, 1, (size_t)w * h * 3, out) != (size_t)w * h * 3 ||
        fclose(out) != 0) {
        fprintf(stderr, "xgrab: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc == 3) return 0;

    int rw = w, rh = h, rx = 0, ry = 0, pw = 0, ph = 0;
    if (argc == 6 && sscanf(argv[5], "%dx%d+%d+%d", &rw, &rh, &rx, &ry) != 4) {
        fprintf(stderr, "xgrab: a region is WxH+X+Y, not %s\n", argv[5]);
        return 2;
    }
    long threshold = strtol(argv[4], NULL, 10), count = 0;
    unsigned char *prev = read_ppm(argv[3], &pw, &ph);
    for (int y = ry; y < ry + rh; y++)
        for (int x = rx; x < rx + rw; x++) {
            if (!prev || pw != w || ph != h || x < 0 || y < 0 || x >= w || y >= h) { count++; continue; }
            const unsigned char *a = rgb + ((size_t)y * w + x) * 3, *b = prev + ((size_t)y * w + x) * 3;
            for (int c = 0; c < 3; c++)
                if (abs(a[c] - b[c]) > threshold) { count++; break; }
        }
    printf("%ld\n", count);
    free(prev);
    free(rgb);
    return 0;
}
