// A private copy of the C library's default rand() sequence (glibc, never seeded), so that
// no other library calling rand() can shift the two scenes that draw from it.
#pragma once

#include <cstdint>

struct LibcRand {
    int32_t table[34];
    int index; // next slot of the 34-entry ring to overwrite
};

extern LibcRand libc_rand_state;

void libc_rand_seed(LibcRand& r, uint32_t seed); // glibc srand(seed) semantics; seed 0 acts as 1
int libc_rand_next(LibcRand& r);                 // 0 … 2147483647, like rand()
int libc_rand();                                 // the program-wide stream, unseeded = srand(1)
