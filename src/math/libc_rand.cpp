#include "math/libc_rand.h"

// glibc's TYPE_3 additive feedback generator: r[i] = r[i-3] + r[i-31], output r >> 1,
// seeded through a Park–Miller LCG and run 310 steps before the first output.

static int32_t lcg_next(int32_t prev) {
    // 16807 * prev mod 2^31-1 without overflow (Schrage), as glibc does.
    int32_t hi = prev / 127773;
    int32_t lo = prev % 127773;
    int32_t word = 16807 * lo - 2836 * hi;
    if (word < 0)
        word += 2147483647;
    return word;
}

void libc_rand_seed(LibcRand& r, uint32_t seed) {
    int32_t s = seed == 0 ? 1 : (int32_t)seed;
    int32_t init[34];
    init[0] = s;
    for (int i = 1; i < 31; ++i)
        init[i] = lcg_next(init[i - 1]);
    for (int i = 31; i < 34; ++i)
        init[i] = init[i - 31];
    for (int i = 0; i < 34; ++i)
        r.table[i] = init[i];
    r.index = 0; // slot holding r[k-34]; r[k-31] is index+3, r[k-3] is index+31
    for (int i = 34; i < 344; ++i)
        libc_rand_next(r);
}

int libc_rand_next(LibcRand& r) {
    uint32_t a = (uint32_t)r.table[(r.index + 3) % 34];
    uint32_t b = (uint32_t)r.table[(r.index + 31) % 34];
    uint32_t v = a + b;
    r.table[r.index] = (int32_t)v;
    r.index = (r.index + 1) % 34;
    return (int)(v >> 1);
}

static LibcRand make_default() {
    LibcRand r;
    libc_rand_seed(r, 1);
    return r;
}

LibcRand libc_rand_state = make_default();

int libc_rand() {
    return libc_rand_next(libc_rand_state);
}
