// The parts of the browser build's SDL 1.2 that need no browser: the event
// queue, the virtual mouse, key names and the bitmap decoder.
#pragma once

#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vkw {

// SDL 1.2's queue: 127 events; what arrives while it is full is dropped.
class EventQueue {
public:
    static const int kCapacity = 127;
    bool push(const SDL_Event& e);
    bool pop(SDL_Event* e);
    int size() const { return count_; }

private:
    SDL_Event ring_[kCapacity];
    int head_ = 0, count_ = 0;
};

// The pointer as the game sees it. The browser cannot move the real one, so
// this position is what relative motion moves, what SDL_WarpMouse sets and
// what SDL_GetMouseState reports. It starts in the window's centre and
// behaves as SDL 1.2's pointer does while the game keeps it (hidden and
// grabbed): a relative move is clamped to the window but its motion counts
// in full, even at an edge, so the view turns whichever way the first move
// goes and looking up or down never runs out. A warp moves by what the
// position changes; a change of nothing posts no event.
class VirtualMouse {
public:
    VirtualMouse(int width, int height) : w_(width), h_(height), x_(width / 2), y_(height / 2) {}
    // Return true and fill e when there was motion.
    bool move(int dx, int dy, SDL_Event* e);
    bool moveTo(int x, int y, SDL_Event* e);
    void position(int* x, int* y) const;
    void takeRelative(int* dx, int* dy);

private:
    bool set(int x, int y, int rx, int ry, SDL_Event* e);
    int w_, h_;
    int x_, y_;
    int dx_ = 0, dy_ = 0;
};

// A DOM KeyboardEvent.code ("KeyW", "Space", "ArrowUp") as an SDL 1.2 key
// code; SDLK_UNKNOWN for keys the table does not know.
SDLKey keyFromDomCode(const char* code);

// Whether the page keeps a key event from the browser: only the keys the
// game plays with, and none while Ctrl, Alt or Meta is held, so that
// reloading, closing the tab, full screen and the developer tools stay the
// browser's. Every known key still reaches the game as an SDL event.
bool gameTakesKey(SDLKey sym, bool ctrl, bool alt, bool meta);

// The millisecond clock of SDL_GetTicks, which stands still while the page
// is hidden: the game resumes where it was, with no frames to catch up.
class PageClock {
public:
    explicit PageClock(double start = 0) : start_(start) {}
    void hide(double wall);
    void show(double wall);
    bool hidden() const { return hiddenAt_ >= 0; }
    double ticks(double wall) const;
    // SDL_GetTicks' count, which wraps to 0 after 2^32 ms as SDL's does.
    uint32_t ticks32(double wall) const;

private:
    double start_, paused_ = 0, hiddenAt_ = -1;
};

// Decodes an uncompressed 24- or 32-bit Windows bitmap (BI_RGB) into a
// 24-bit surface as classic SDL 1.2 makes it: pixel bytes blue, green, red,
// rows padded to 4 bytes, top row first. Null for anything else.
SDL_Surface* decodeBmp(const uint8_t* data, size_t size);
void freeSurface(SDL_Surface* s);

}  // namespace vkw
