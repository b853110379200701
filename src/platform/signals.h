// Terminating signals as a flag: the demo and the capture poll it and run their own shut-down,
// so no way of being told to stop skips removing temporary files or stopping a child.
#pragma once

#include <csignal>

// Every request to terminate (interrupt, terminate, hang-up, quit, a broken pipe sent from
// outside) sets *flag to 1. A broken pipe caused by our own write to a child that has gone does
// not: that write fails instead and the caller reports it.
void platform_install_stop_handlers(volatile std::sig_atomic_t* flag);
