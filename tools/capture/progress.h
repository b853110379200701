// The progress bar on standard error: frames done of total, frames per second, time left.
#pragma once

constexpr int progress_min_frames = 6; // shorter runs finish before a bar would help

struct Progress {
    int total = 0;
    int done = 0;
    bool shown = false;
    bool terminal = false; // redraw in place; otherwise a line every tenth of the run
    double start_s = 0;
    double last_draw_s = -1;
    int last_tenth = 0;
};

Progress progress_begin(int total, bool quiet);
void progress_step(Progress* progress);
void progress_end(Progress* progress);
