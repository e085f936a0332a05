// The processor's floating-point mode, which another library in the host process may change.
#ifndef PLORVENT_CORE_SUPPORT_FLOATING_POINT_STATE_H
#define PLORVENT_CORE_SUPPORT_FLOATING_POINT_STATE_H

// True when comparisons follow IEEE exactly: subnormals are neither read nor written as zero.
bool floating_point_state_is_default();

#endif
