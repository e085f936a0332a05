// Floating-point arithmetic computed as written: no multiplication and addition fused into one
// rounding. GCC fuses them wherever the processor has the instruction (every aarch64 processor)
// unless told not to, clang within one expression; fused, an interpolation or a quantile's
// position takes other bits than the separate operations GNU Octave's quantile makes, and a
// formula's scalar and vector forms may take different ones. Included by each file that computes
// the statistics, before anything it defines.
#ifndef PLORVENT_CORE_SUPPORT_UNFUSED_ARITHMETIC_H
#define PLORVENT_CORE_SUPPORT_UNFUSED_ARITHMETIC_H

#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

#endif
