#pragma once

// LeakSanitizer checks at exit, after SDL_Quit has closed the GL context and
// the display. Mesa unloads its driver (swrast_dri.so and what it pulled in)
// at that point, so the driver's own never-freed caches are reported with
// frames in no module, and library-name suppressions cannot match them.
// Pinning every loaded object first keeps those frames named; frames in our
// own code are unaffected and a leak there is still reported.

namespace gltest {

// Makes every shared object loaded now impossible to unload (dlclose leaves
// it mapped). Returns how many were pinned.
int keepLoadedObjectsMapped();

// Leaks two blocks from our own code, the way a forgotten buffer would, when
// VASKEL_GL_PLANT_LEAK is set: the sanitizer pass proves with it that the
// suppressions do not hide our frames.
void plantLeakIfAsked();

}  // namespace gltest
