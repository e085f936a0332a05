// The host's pending Ctrl-C, as the gateways' probe for long work (core/support/interruption.h).
// GNU Octave sets two flags when the user interrupts; a module that stops for it clears them and
// raises its own error, so that the caller can catch it and Octave goes on. MATLAB documents no
// way for a module to see an interrupt, so there nothing stops a call once it has started.
#ifndef PLORVENT_GATEWAY_HOST_INTERRUPTION_H
#define PLORVENT_GATEWAY_HOST_INTERRUPTION_H

#include "core/support/interruption.h"
#include "mex.h"

#if defined(HAVE_OCTAVE)
#include <octave/quit.h>

inline bool host_interruption_pending() {
  return octave_signal_caught != 0 || octave_interrupt_state > 0;
}

inline void clear_host_interruption() {
  octave_signal_caught = 0;
  octave_interrupt_state = 0;
}
#else
inline bool host_interruption_pending() {
  return false;
}

inline void clear_host_interruption() {}
#endif

// Call before the work starts.
inline void watch_host_interruption() {
  watch_for_interruption(host_interruption_pending);
}

// Call once the work has ended and its storage is released: raises `id` if it was interrupted.
inline void report_host_interruption(const char *id) {
  const bool interrupted = stop_requested();
  watch_for_interruption(nullptr);
  if (interrupted) {
    clear_host_interruption();
    mexErrMsgIdAndTxt(id, "Interrupted (Ctrl-C): no result.");
  }
}

#endif
