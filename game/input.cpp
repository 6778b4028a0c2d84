// Input: the key table, the drain of SDL's event queue once per frame with
// its count of what a full queue dropped, and whether the hidden pointer is
// kept in the window.
#include "game.h"

#include <algorithm>

// Key table: written by GameKey, cleared by GameStart.
bool Keys[256];

// Queue tally: counted in by the filter, out by the drain.
EventTally eventTally;

// Screen switch: asked by the drain, done and cleared by the frame loop.
bool screenSwitchAsked = false;

// Pointer keep: moved on by each event of the drain, settled from SDL's own
// state at its end, and told to SDL on a change.
PointerKeep pointerKeep;

namespace {

const int QUEUE_ROOM = 128;  // SDL 1.2's queue holds 127 events, sdl12-compat's 128

// The events the game cannot do without: a lost key release leaves a key
// held, a lost quit leaves the game running.
bool tallied(Uint8 type) { return type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_QUIT; }

// Whether the tally position at lies within what the drain has accounted for.
bool within(uint64_t at, uint64_t seen) { return at != 0 && at <= seen; }

// Right and left Alt, Meta and Super: the keys window managers switch with.
bool isWmKey(int code) { return code >= SDLK_RALT && code <= SDLK_RSUPER; }
unsigned wmKeyBit(int code) { return 1u << (code - SDLK_RALT); }

unsigned wmKeysHeldNow() {
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    unsigned held = 0;
    for (int code = SDLK_RALT; code <= SDLK_RSUPER && code < count; code++)
        if (state[code]) held |= wmKeyBit(code);
    return held;
}

bool inputFocusNow() { return (SDL_GetAppState() & SDL_APPINPUTFOCUS) != 0; }

InputFacts inputFactsNow() { return {inputFocusNow(), wmKeysHeldNow()}; }

const char WALK_LETTERS[] = "wasd";
int walkIndex(int code) {
    for (int i = 0; i < 4; i++)
        if (code == WALK_LETTERS[i]) return i;
    return -1;
}

// The keys a player plays with, which say the pointer over the window is there to play.
bool isPlayKey(int code) { return walkIndex(code) >= 0 || code == ' '; }

// What each walk place last typed on this layout, so that SDL's key state,
// kept by what keys type, can be read by place.
int symAtWalkPlace[4] = {'w', 'a', 's', 'd'};

// A key SDL names no symbol is none of the walk keys: on Windows SDL drops
// the extended bit of scancodes, so Mute (E0 20) comes on D's place.
int keyOf(const SDL_keysym& keysym) {
    int walkPlace = keysym.scancode && keysym.sym != SDLK_UNKNOWN ? walkLetterAt(keysym.scancode) : 0;
    int i = walkIndex(walkPlace);
    if (i >= 0) symAtWalkPlace[i] = keysym.sym;
    return keyByPlace(keysym.sym, walkPlace, keysym.scancode != 0);
}

// Until a walk key is pressed, each walk place types what the layout's
// keymap says, where the platform can read it: a press dropped before then
// is read back at the right place.
void learnWalkPlaces() {
    for (int i = 0; i < 4; i++) {
        int sym = symTypedAtWalkPlace(WALK_LETTERS[i]);
        if (sym > 0) symAtWalkPlace[i] = sym;
    }
}

// Tells SDL only on a change: classic SDL raises the window at every grab.
// A keep starts only if SDL says the focus is the game's now: a focus lost
// with its event still queued behind this one would be raised over. The
// motion made before the keep, or by the keep's own jump of the pointer, is
// dropped rather than taken as a turn.
void applyKeep() {
    bool keep = keepWanted(pointerKeep);
    if (keep == pointerKeep.kept || (keep && !inputFocusNow())) return;
    pointerKeep.kept = keep;
    int dx = 0, dy = 0;
    if (keep) {
        SDL_WM_GrabInput(SDL_GRAB_ON);
        undoSdlKeyboardGrab();
        SDL_GetRelativeMouseState(&dx, &dy);
        return;
    }
    // sdl12-compat puts the pointer back where it was on letting go. Under
    // a hidden cursor Xwayland carries out such a warp by locking the
    // pointer, which GNOME then leaves with the game although it has lost
    // the focus: so the cursor is shown while the pointer is let go.
    SDL_ShowCursor(SDL_ENABLE);
    if (inputFocusNow()) undoSdlKeyboardGrab();  // SDL may have grabbed again since the keep started
    SDL_WM_GrabInput(SDL_GRAB_OFF);
    SDL_ShowCursor(SDL_DISABLE);
}

// Mouse look and the edge warps belong to the game being played: another
// window's pointer crossing this one is neither turned by nor warped.
void pointerMoved() {
    pointerKeep = keepAfterMotion(pointerKeep);
    applyKeep();
    if (pointerKeep.kept) GameMouse();  // reads SDL's own state
}

}  // namespace

int walkLetterAt(Uint8 scancode) {
    for (const auto& place : WALK_PLACES)
        if (scancode && place.scancode == scancode) return place.letter;
    return 0;
}

// A place whose key types no ASCII character keeps its US letter until its
// key is pressed.
int symTypedAtWalkPlace(int letter) {
    for (const auto& place : WALK_PLACES)
        if (place.letter == letter) return place.scancode ? symTypedAt(place.scancode) : 0;
    return 0;
}

// ---- The pointer keep's rules, from events and from state ----
//
// A mouse turned at ordinary speed moves several pixels per motion event,
// jumps the two warp columns and leaves the window, where SDL reports no
// motion and turning stops. So the hidden pointer is kept in the window while
// the game has the keyboard's focus, from the first motion over the window
// on: kept at once, a pointer outside would be pulled in. Losing the focus
// frees it, so that the player can reach other windows. Classic SDL on X11
// takes the keyboard with the pointer, which would keep the window manager's
// own keys (Alt+Tab) from it: while Alt, Meta or Super is held the pointer
// is freed too, and kept again only after a motion made with them up, in a
// later frame than their release. When KWin's switcher takes the keyboard,
// Xwayland tells the game that Alt went up while the player still holds it;
// and a game that stalls through an Alt+Tab sees the release, and a motion,
// before the focus change. A keep taken again then would raise the window
// and take the keyboard from the switcher.
//
// Where the focus follows the mouse (i3, sway), a pointer crossing the
// window gives it the focus, and its next motion would keep it. So a focus
// that comes within a few drains of the pointer's arrival over the
// unfocused window is the pointer's: the keep then waits for a click in the
// window or a play key. A focus that comes otherwise (at start, by Alt+Tab,
// or a click after the pointer has been over the window a while) keeps the
// pointer on its next motion, as before. i3 gives the focus as the pointer
// crosses its frame, before the window inside: both libraries may tell the
// focus a drain or more before the arrival that brought it. Where the
// window manager is known to let the focus follow the pointer, an arrival
// as soon after the focus is taken as its cause too; elsewhere it is more
// likely a player coming back after Alt+Tab.

bool keepWanted(const PointerKeep& keep) {
    return keep.focused && keep.movedOver && keep.wmKeysHeld == 0;
}

namespace {

// A focus lost and back within one drain (a window manager's flicker at a
// grab or a click, the pointer's focus with it) leaves the wait as it was.
// A pointer that crossed the window and left before the focus came did not
// bring it: Alt+Tab did, soon after a sweep across the unfocused window.
PointerKeep keepFocused(PointerKeep keep, bool focused) {
    if (focused == keep.focused) return keep;
    keep.focused = focused;
    keep.movedOver = false;
    if (!focused) {
        keep.wmKeysHeld = 0;  // their releases go to the other window
        keep.focusLostThisDrain = true;
    } else if (!keep.focusLostThisDrain) {
        keep.waitsForPlay = !keep.pointerOut && keep.drainsSinceArrival <= FOCUS_BY_POINTER_DRAINS;
        keep.drainsSinceFocus = 0;
    }
    return keep;
}

}  // namespace

PointerKeep keepAfterFocus(PointerKeep keep, Uint8 gain, Uint8 state) {
    // Under the keep the pointer cannot leave: a leave then is the grab's own,
    // and the enter after it no arrival.
    if ((state & SDL_APPMOUSEFOCUS) && gain) {
        bool focusJustCame =
            keep.focusFollowsPointer && keep.focused && keep.drainsSinceFocus <= FOCUS_BY_POINTER_DRAINS;
        if (keep.pointerOut && (!keep.focused || focusJustCame)) keep.drainsSinceArrival = 0;
        if (keep.pointerOut && focusJustCame) keep.waitsForPlay = true;
        keep.pointerOut = false;
    }
    if ((state & SDL_APPMOUSEFOCUS) && !gain && !keep.kept) {
        keep.movedOver = false;
        keep.pointerOut = true;
    }
    if (state & SDL_APPINPUTFOCUS) {
        keep = keepFocused(keep, gain != 0);
        keep.movedOver = false;
    }
    return keep;
}

PointerKeep keepAfterMotion(PointerKeep keep) {
    if (keep.focused && keep.wmKeysHeld == 0 && !keep.wmKeyUpThisDrain && !keep.waitsForPlay) {
        keep.movedOver = true;
        keep.drainsSinceArrival = LONG_AGO;  // play has started: a later flicker of the focus is no crossing
    }
    return keep;
}

// A click on the unfocused window comes before the focus it brings under
// some window managers (mutter 48): that focus is the click's.
PointerKeep keepAfterClick(PointerKeep keep) {
    if (!keep.focused) {
        keep.drainsSinceArrival = LONG_AGO;
    } else if (keep.wmKeysHeld == 0) {
        keep.waitsForPlay = false;
        keep.movedOver = true;
        keep.drainsSinceArrival = LONG_AGO;
    }
    return keep;
}

PointerKeep keepAfterKey(PointerKeep keep, int code, bool down) {
    if (down && isPlayKey(code) && keep.waitsForPlay) return keepAfterClick(keep);
    if (!isWmKey(code)) return keep;
    if (down)
        keep.movedOver = false;
    else
        keep.wmKeyUpThisDrain = true;
    keep.wmKeysHeld = down ? keep.wmKeysHeld | wmKeyBit(code) : keep.wmKeysHeld & ~wmKeyBit(code);
    return keep;
}

// What SDL says at the end of a drain outranks what the drain's events said,
// so an event lost to a full queue costs one frame at most: a focus that
// changed unseen waits for a new motion. SDL's mouse focus is not asked: the
// libraries disagree on it around a grab.
PointerKeep keepSettled(PointerKeep keep, const InputFacts& now) {
    if (now.wmKeysHeld & ~keep.wmKeysHeld) keep.movedOver = false;
    keep = keepFocused(keep, now.inputFocus);
    keep.wmKeysHeld = now.wmKeysHeld;
    keep.wmKeyUpThisDrain = keep.focusLostThisDrain = false;
    if (keep.drainsSinceArrival != LONG_AGO) keep.drainsSinceArrival++;
    if (keep.drainsSinceFocus != LONG_AGO) keep.drainsSinceFocus++;
    return keep;
}

// ---- The drain ----

int temp_process_events() {
    SDL_Event event;
    for (;;) {
        // Read before each poll, so that once a poll finds the queue empty,
        // every event counted by then has been taken or dropped: anything
        // the filter passes later (from another thread) may still be queued.
        uint64_t seen = eventTally.passed.load();
        if (!SDL_PollEvent(&event)) return temp_drain_done(seen);
        if (tallied(event.type)) eventTally.taken++;
        switch (event.type) {
            case SDL_KEYDOWN:
                if (temp_key_handler_down(&event.key.keysym)) return ESCAPE_PRESSED;  // later events stay queued
                break;
            case SDL_KEYUP: temp_key_handler_up(&event.key.keysym); break;
            case SDL_MOUSEMOTION: pointerMoved(); break;
            case SDL_MOUSEBUTTONDOWN:
                pointerKeep = keepAfterClick(pointerKeep);
                applyKeep();
                break;
            case SDL_ACTIVEEVENT:
                pointerKeep = keepAfterFocus(pointerKeep, event.active.gain, event.active.state);
                applyKeep();
                break;
            case SDL_QUIT: return QUIT_REQUESTED;  // later events stay queued
            default: break;
        }
    }
}

// SDL 1.2 keeps at most 127 events (sdl12-compat 128) and drops what
// arrives while its queue is full. Its filter sees every event before the
// queue does, so the filter counts what went in and the drain what came
// out. SDL runs it wherever it raises an event: in the event pump on the
// main thread, and in classic SDL also in the signal handler that turns
// SIGINT and SIGTERM into a quit request; so it touches only lock-free
// atomics.
int temp_event_filter(const SDL_Event* event) {
    if (!tallied(event->type)) return 1;
    uint64_t at = ++eventTally.passed;
    if (event->type == SDL_QUIT) eventTally.quitAt = at;
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE) eventTally.escapeAt = at;
    return 1;
}

// Classic SDL's install throws away every event already queued, and what
// its pump brings in meanwhile; sdl12-compat keeps them. Either way what the
// user did before the loop starts (a key, the motion of a window opening
// under the pointer) reaches the first drain: the pump brings in what is
// pending, the queue is taken out and put back in order behind the filter,
// and those events count as passed by it, whether or not the library runs
// the filter on events put back.
void temp_watch_events() {
    SDL_Event waiting[QUEUE_ROOM];
    SDL_PumpEvents();
    int count = std::max(0, SDL_PeepEvents(waiting, QUEUE_ROOM, SDL_GETEVENT, SDL_ALLEVENTS));
    SDL_SetEventFilter(temp_event_filter);
    uint64_t before = eventTally.passed.load();
    int back = std::max(0, SDL_PeepEvents(waiting, count, SDL_ADDEVENT, SDL_ALLEVENTS));
    auto isTallied = [](const SDL_Event& e) { return tallied(e.type); };
    uint64_t requeued = uint64_t(std::count_if(waiting, waiting + back, isTallied));
    if (eventTally.passed.load() == before) eventTally.passed += requeued;
    eventTally.taken = eventTally.passed.load() - requeued;
    pointerKeep.focused = inputFocusNow();
    letFocusClicksThrough();
    watchSdlKeyboardGrabs();
    learnWalkPlaces();
}

// The queue is empty, and seen is what the filter had passed before the
// poll that found it so. A quit or an Escape counted by then was dropped,
// or it would have ended the program; and if any counted event went
// missing, the key table is brought in line with SDL's own key state,
// which is kept up to date whether or not the queue had room. Last, the
// pointer keep is settled from what is true now.
int temp_drain_done(uint64_t seen) {
    bool dropped = seen > eventTally.taken;
    eventTally.taken = seen;
    uint64_t quit = eventTally.quitAt, escape = eventTally.escapeAt;
    if (within(quit, seen) && !(within(escape, seen) && escape < quit)) return QUIT_REQUESTED;
    if (within(escape, seen)) {
        SDL_keysym keysym{};
        keysym.sym = SDLK_ESCAPE;
        if (temp_key_handler_down(&keysym)) return ESCAPE_PRESSED;
    }
    if (dropped) temp_keys_from_sdl();
    undoKeyboardGrabsSdlMadeAlone(inputFocusNow());
    pointerKeep = keepSettled(pointerKeep, inputFactsNow());
    applyKeep();
    return QUEUE_EMPTY;
}

void temp_keys_from_sdl() {
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    auto held = [&](int sym) { return sym >= 0 && sym < count && state[sym] != 0; };
    for (int code = 0; code < 256; code++)
        if (walkIndex(code) < 0) GameKey(code, held(code));
    for (int i = 0; i < 4; i++) GameKey(WALK_LETTERS[i], held(symAtWalkPlace[i]));
}

// The walk keys go by their place, as on a US keyboard, whatever the layout
// types there: Z Q S D on AZERTY, comma A O E on Dvorak. A key that types a
// walk letter elsewhere walks nowhere. Without a known place (no scancode)
// a key is what it types, as the browser's layer already names keys by place.
int keyByPlace(int sym, int walkPlace, bool placeKnown) {
    if (!placeKnown) return sym;
    if (walkPlace) return walkPlace;
    return walkIndex(sym) >= 0 ? NO_KEY : sym;
}

bool asksScreenSwitch(int sym, int mod) {
    return sym == SDLK_F11 || ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (mod & KMOD_ALT));
}

// SDL forgets every held key when it sets a mode, and so drops their
// releases: the table is read back from SDL's state after the switch. The
// window moves under the pointer, which is no turn: the keep starts again
// at the next motion, which turns nothing.
void inputAfterWindowChange() {
    temp_keys_from_sdl();
    pointerKeep.movedOver = false;
    applyKeep();
}

// True for Escape, which ends the program before anything else is taken.
bool temp_key_handler_down(SDL_keysym* keysym) {
    int code = keyOf(*keysym);
    GameKey(code, true);
    if (asksScreenSwitch(keysym->sym, keysym->mod)) screenSwitchAsked = true;
    if (keysym->sym == SDLK_ESCAPE) return true;
    pointerKeep = keepAfterKey(pointerKeep, code, true);
    applyKeep();
    return false;
}

void temp_key_handler_up(SDL_keysym* keysym) {
    int code = keyOf(*keysym);
    GameKey(code, false);
    pointerKeep = keepAfterKey(pointerKeep, code, false);
    applyKeep();
}

// SDL 1.2 key codes run up to 322 (cursor, function and modifier keys);
// the table only covers 0..255 and the game reads nothing above 127, so
// other codes are dropped rather than written past the table.
void GameKey(int code, bool down) {
    if (code < 0 || code >= 256) return;
    Keys[code] = down;
}
