#include "keep_loaded.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace gltest {

namespace {

int collectName(dl_phdr_info* info, size_t, void* out) {
    // The main program has an empty name; the vDSO has a name dlopen refuses.
    if (info->dlpi_name && info->dlpi_name[0])
        static_cast<std::vector<std::string>*>(out)->push_back(info->dlpi_name);
    return 0;
}

void* volatile g_planted;

}  // namespace

int keepLoadedObjectsMapped() {
    std::vector<std::string> names;
    dl_iterate_phdr(collectName, &names);
    int pinned = 0;
    for (const std::string& name : names) {
        // RTLD_NOLOAD only promotes the flags of an object already mapped;
        // dropping our extra reference again leaves RTLD_NODELETE in force.
        void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        if (!h) continue;
        dlclose(h);
        ++pinned;
    }
    return pinned;
}

__attribute__((noinline)) void plantLeakIfAsked() {
    if (!std::getenv("VASKEL_GL_PLANT_LEAK")) return;
    // A growing buffer as in Mesa's cache (realloc), and new as our own code does.
    g_planted = std::malloc(16);
    g_planted = std::realloc(g_planted, 128);
    g_planted = new int[16];
    g_planted = nullptr;
}

}  // namespace gltest
