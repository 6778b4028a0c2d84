#include "vaskel_scale.h"

#include <algorithm>
#include <cstdint>

VK_RECT VK_FitFrame(int frameW, int frameH, int windowW, int windowH) {
    if (frameW <= 0 || frameH <= 0 || windowW < frameW || windowH < frameH) return {0, 0, frameW, frameH};
    // Exact in integers: width by height, whichever side binds.
    int w = windowW, h = int(int64_t(windowW) * frameH / frameW);
    if (h > windowH) {
        h = windowH;
        w = int(int64_t(windowH) * frameW / frameH);
    }
    return {(windowW - w) / 2, (windowH - h) / 2, w, h};
}

int VK_WindowScale(int desktopScale, int frameW, int frameH, int screenW, int screenH) {
    int scale = std::max(1, desktopScale);
    while (scale > 1 && (frameW * scale > screenW || frameH * scale > screenH)) scale--;
    return scale;
}
