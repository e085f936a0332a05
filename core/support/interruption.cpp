// The probe of the current call and whether it has fired. A call's worker threads share them;
// the host calls one module at a time, so one probe serves the process.
#include "core/support/interruption.h"

#include <atomic>

namespace {

std::atomic<InterruptionProbe> current_probe{nullptr};
std::atomic<bool> stopped{false};

}  // namespace

void watch_for_interruption(InterruptionProbe probe) {
  stopped.store(false, std::memory_order_relaxed);
  current_probe.store(probe, std::memory_order_relaxed);
}

bool stop_requested() {
  if (stopped.load(std::memory_order_relaxed)) return true;
  const InterruptionProbe probe = current_probe.load(std::memory_order_relaxed);
  if (probe == nullptr || !probe()) return false;
  stopped.store(true, std::memory_order_relaxed);
  return true;
}
