// The host's pending Ctrl-C, as the gateways' probe for long work (core/support/interruption.h).
// GNU Octave sets two flags when the user interrupts; a module that stops for it clears them and
// raises its own error, so that the caller can catch it and Octave goes on. MATLAB documents no
// way for a module to see an interrupt, so there nothing stops a call once it has started.
#ifndef PLORVENT_GATEWAY_HOST_INTERRUPTION_H
#define PLORVENT_GATEWAY_HOST_INTERRUPTION_H

#include "core/support/interruption.h"

// GNU Octave is the host of a MEX module built by it (its mex.h defines HAVE_OCTAVE) and of a
// native module (which includes Octave's own headers first, and has no mex.h).
#if !defined(OCTAVE_MAJOR_VERSION)
#include "mex.h"
#endif

#if defined(HAVE_OCTAVE) || defined(OCTAVE_MAJOR_VERSION)
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

// Call once the work has ended: whether a Ctrl-C stopped it (the host's pending one is then
// cleared, so that the module's own error is what the caller meets).
inline bool end_host_interruption_watch() {
  const bool interrupted = stop_requested();
  watch_for_interruption(nullptr);
  if (interrupted) clear_host_interruption();
  return interrupted;
}

#if !defined(OCTAVE_MAJOR_VERSION)
// Call once the work has ended and its storage is released: raises `id` if it was interrupted.
inline void report_host_interruption(const char *id) {
  if (end_host_interruption_watch()) mexErrMsgIdAndTxt(id, "Interrupted (Ctrl-C): no result.");
}
#endif

#endif
