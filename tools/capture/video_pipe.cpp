#include "video_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "output_files.h"

extern char** environ;

bool program_on_path(const char* name) {
    const char* path = getenv("PATH");
    if (!path)
        return false;
    std::string dirs = path;
    size_t begin = 0;
    for (;;) {
        size_t colon = dirs.find(':', begin);
        std::string dir = dirs.substr(begin, colon == std::string::npos ? colon : colon - begin);
        if (dir.empty())
            dir = ".";
        std::string candidate = dir + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            return false;
        begin = colon + 1;
    }
}

bool video_open(VideoPipe* video, const std::string& path, int width, int height, int fps,
                int frame_count, const std::string& wav_path, int audio_offset_ms,
                std::string* error) {
    // A dead ffmpeg must show up as a failed write, not kill us.
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    if (pipe(fds) != 0) {
        *error = std::string("cannot start ffmpeg: ") + strerror(errno);
        return false;
    }
    video->path = path;
    std::string partial = partial_name(path);
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    char offset[32], duration[32];
    snprintf(offset, sizeof offset, "%d.%03d", audio_offset_ms / 1000, audio_offset_ms % 1000);
    snprintf(duration, sizeof duration, "%.6f", (double)frame_count / fps);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
        "-video_size", size, "-framerate", std::to_string(fps), "-i", "pipe:0", "-ss", offset, "-i",
        wav_path, "-map", "0:v", "-map", "1:a?",
        // H.264 in 4:2:0 wants even sides.
        "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf",
        "18", "-c:a", "aac", "-b:a", "192k", "-t", duration, "-movflags", "+faststart", "-f", "mp4",
        partial};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    pid_t pid;
    int status = posix_spawnp(&pid, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (status != 0) {
        close(fds[1]);
        *error = std::string("cannot start ffmpeg: ") + strerror(status);
        return false;
    }
    track_partial(partial);
    video->pid = pid;
    video->fd = fds[1];
    return true;
}

bool video_write_frame(VideoPipe* video, const void* rgb, size_t bytes, std::string* error) {
    const char* p = (const char*)rgb;
    while (bytes > 0) {
        ssize_t n = write(video->fd, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = "ffmpeg stopped taking frames (see its message above)";
            return false;
        }
        p += n;
        bytes -= (size_t)n;
    }
    return true;
}

static int video_wait(VideoPipe* video) {
    if (video->fd >= 0)
        close(video->fd);
    video->fd = -1;
    int status = 0;
    while (waitpid(video->pid, &status, 0) < 0 && errno == EINTR) {
    }
    video->pid = -1;
    return status;
}

bool video_close(VideoPipe* video, std::string* error) {
    int status = video_wait(video);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "ffmpeg failed to encode '" + video->path + "'";
        remove_partials();
        return false;
    }
    return finish_partial(video->path, error);
}

void video_abort(VideoPipe* video) {
    if (video->pid <= 0)
        return;
    kill(video->pid, SIGTERM);
    video_wait(video);
}
