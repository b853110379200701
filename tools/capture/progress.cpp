#include "progress.h"

#include <chrono>
#include <cstdio>

#include "platform/console.h"

static double progress_now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Progress progress_begin(int total, bool quiet) {
    Progress p;
    p.total = total;
    p.shown = !quiet && total >= progress_min_frames;
    p.terminal = platform_stderr_is_terminal();
    p.start_s = progress_now();
    return p;
}

static void progress_draw(Progress* p, double now) {
    double elapsed = now - p->start_s;
    double fps = elapsed > 0 ? p->done / elapsed : 0;
    int left = fps > 0 ? (int)((p->total - p->done) / fps + 0.5) : 0;
    const int width = 30;
    int filled = p->total ? p->done * width / p->total : width;
    char bar[width + 1];
    for (int i = 0; i < width; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[width] = '\0';
    fprintf(stderr, "%s[%s] %d/%d frames  %.1f fps  %d:%02d left%s", p->terminal ? "\r" : "", bar,
            p->done, p->total, fps, left / 60, left % 60, p->terminal ? "  " : "\n");
    fflush(stderr);
}

void progress_step(Progress* p) {
    ++p->done;
    if (!p->shown)
        return;
    double now = progress_now();
    if (p->terminal) {
        if (now - p->last_draw_s >= 0.1 || p->done == p->total) {
            p->last_draw_s = now;
            progress_draw(p, now);
        }
        return;
    }
    int tenth = p->done * 10 / p->total;
    if (tenth > p->last_tenth) {
        p->last_tenth = tenth;
        progress_draw(p, now);
    }
}

void progress_end(Progress* p) {
    if (p->shown && p->terminal) {
        fputc('\n', stderr);
        fflush(stderr);
    }
}
