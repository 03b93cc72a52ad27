#pragma once

#include <signal.h>

// The signals that interrupt a run (SIGINT, SIGTERM, SIGHUP), for the POSIX files of the platform
// layer that must hold them back.
sigset_t interruptionSignals();

// Holds back the interruption signals in the calling thread while it exists, so that a short
// step (a link and a rename) is not cut in two; a signal that arrives meanwhile is delivered
// when it ends.
class InterruptionsHeld {
  public:
    InterruptionsHeld();
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;
    ~InterruptionsHeld();

  private:
    sigset_t saved_;
};
