#include "alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <execinfo.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ALLOC_HOOKED_BY_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ALLOC_HOOKED_BY_SANITIZER 1
#endif
#endif

#ifdef ALLOC_HOOKED_BY_SANITIZER
// Declared here: GCC ships the sanitizer runtime but not this header.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                        void (*freeHook)(const volatile void*));
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<size_t> counted{0};

const int kFrames = 48;
void* firstStack[kFrames];
int firstDepth = 0;
thread_local bool inHook = false;  // backtrace() must not count itself

void note() {
    if (!counting.load(std::memory_order_relaxed) || inHook) return;
    inHook = true;
    if (counted.fetch_add(1) == 0) firstDepth = backtrace(firstStack, kFrames);
    inHook = false;
}

#ifdef ALLOC_HOOKED_BY_SANITIZER
void mallocHook(const volatile void*, size_t) { note(); }
void freeHook(const volatile void*) {}
#endif

}  // namespace

#ifndef ALLOC_HOOKED_BY_SANITIZER
// glibc lets a program replace its allocator by defining these; each one
// counts and forwards to glibc's own. operator new calls malloc, so it is
// counted too.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    note();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    note();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    note();
    return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
void* memalign(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
void* aligned_alloc(size_t align, size_t n) {
    note();
    return __libc_memalign(align, n);
}
int posix_memalign(void** out, size_t align, size_t n) {
    note();
    void* p = __libc_memalign(align, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace alloc {

void start() {
    static bool ready = false;
    if (!ready) {
        // The unwinder loads itself on first use; do that outside a window.
        void* warm[2];
        backtrace(warm, 2);
#ifdef ALLOC_HOOKED_BY_SANITIZER
        __sanitizer_install_malloc_and_free_hooks(mallocHook, freeHook);
#endif
        ready = true;
    }
    firstDepth = 0;
    counted = 0;
    counting = true;
}

size_t stop() {
    counting = false;
    return counted.load();
}

void printFirst() {
    if (firstDepth > 0) backtrace_symbols_fd(firstStack, firstDepth, STDERR_FILENO);
}

}  // namespace alloc
