#include "platform/signals.h"

#include <initializer_list>
#include <unistd.h>

static volatile std::sig_atomic_t* platform_stop_flag = nullptr;

static void platform_on_stop(int signal, siginfo_t* info, void*) {
    // A write into a pipe whose reader has gone raises SIGPIPE in the writer, sent by the kernel
    // in our own name; the write then fails with EPIPE and is reported where it happened.
    if (signal == SIGPIPE && info && info->si_code == SI_USER && info->si_pid == getpid())
        return;
    if (platform_stop_flag)
        *platform_stop_flag = 1;
}

void platform_install_stop_handlers(volatile std::sig_atomic_t* flag) {
    platform_stop_flag = flag;
    struct sigaction action = {};
    action.sa_sigaction = platform_on_stop;
    action.sa_flags = SA_SIGINFO; // no SA_RESTART: a blocking call returns so the flag is seen
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaction(signal, &action, nullptr);
}
