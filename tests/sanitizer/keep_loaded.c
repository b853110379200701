/* Preloaded into every program the sanitizer build's tests run. Mesa keeps some heap blocks
   referenced only from its own static data and never frees them; when SDL_Quit closes EGL,
   the library is unloaded and LeakSanitizer sees those blocks as leaks from an unknown module,
   which no suppression can name. Keeping the libraries resident until exit leaves the blocks
   reachable, as they are for any process that never unloads GL. Each entry says what it holds. */
#include <dlfcn.h>

static const char* const keep_loaded[] = {
    "libglapi.so.0",    /* strdup'd names of the GL dispatch table entries */
    "libEGL_mesa.so.0", /* the driver's display record (1.6 kB) */
    "libGLX_mesa.so.0", /* the same for GLX, when a test runs under X */
    /* the DRI driver (llvmpipe): two 56-byte blocks held from its static data */
    "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
};

__attribute__((constructor)) static void oske_keep_loaded(void) {
    for (unsigned i = 0; i < sizeof keep_loaded / sizeof keep_loaded[0]; ++i)
        dlopen(keep_loaded[i], RTLD_LAZY | RTLD_NODELETE);
}
