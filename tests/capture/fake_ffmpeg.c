/* Stands in for ffmpeg in the capture's tests, as an ffmpeg that misbehaves in one chosen way
 * (FAKE_FFMPEG_MODE):
 *   linger  takes every frame, then stays (as an encoder busy finishing) until it is stopped
 *   deaf    as linger, but ignores SIGTERM: only SIGKILL ends it
 *   stall   takes nothing: the pipe fills and the capture's write blocks
 * FAKE_FFMPEG_MARKER names a file made once the input has ended (linger, deaf) or the pipe is
 * full (stall), so the test knows where the capture is. FAKE_FFMPEG_REMOVE names a path removed
 * at start, before any input is taken. Whatever happens, it ends itself after a minute. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

static void mark(void) {
    const char* marker = getenv("FAKE_FFMPEG_MARKER");
    if (marker)
        close(open(marker, O_WRONLY | O_CREAT | O_TRUNC, 0644));
}

int main(void) {
    const char* mode = getenv("FAKE_FFMPEG_MODE");
    const char* doomed = getenv("FAKE_FFMPEG_REMOVE");
    alarm(60); /* a test that failed must not leave it behind for long */
    if (!mode)
        return 2;
    if (doomed)
        remove(doomed);
    if (strcmp(mode, "stall") == 0) {
        int capacity = fcntl(0, F_GETPIPE_SZ);
        int queued = 0;
        while (capacity > 0 && ioctl(0, FIONREAD, &queued) == 0 && queued < capacity)
            usleep(10000);
    } else {
        if (strcmp(mode, "deaf") == 0)
            signal(SIGTERM, SIG_IGN);
        char buffer[65536];
        while (read(0, buffer, sizeof buffer) > 0) {
        }
    }
    mark();
    for (;;)
        pause();
}
