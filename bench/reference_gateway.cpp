// plorvent_core_reference.mex, built for the benchmark only: the module's own gateway with every
// call to the running-median driver sent to the per-window path, so the host times the O(W)
// per-sample reference through exactly the same entry, checks and copies as the real module.
// Its error messages still name plorvent_core.
#define running_median running_median_per_window
#include "gateway/plorvent_core_gateway.cpp"
