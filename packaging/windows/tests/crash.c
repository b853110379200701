/* A Windows program that crashes: the Wine tests check that a crash fails a test at once. */
#include <stdio.h>

int main(void) {
    volatile int* nowhere = 0;
    puts("crashing");
    fflush(stdout);
    *nowhere = 1;
    return 0;
}
