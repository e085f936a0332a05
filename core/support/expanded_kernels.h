// Whether the vector kernels' operations are expanded whole (PLORVENT_EXPAND_KERNELS), so that
// every index is a constant and the rows stay in registers. Not under the sanitizers:
// instrumented, the expanded code takes minutes to compile, and the same operations run as loops.
// Included by each file of kernels before its kernels.
#ifndef PLORVENT_CORE_SUPPORT_EXPANDED_KERNELS_H
#define PLORVENT_CORE_SUPPORT_EXPANDED_KERNELS_H

// Kernels compute as written, as their scalar forms do. (First: GCC warns of a later optimize
// pragma after the one below when not producing debug information.)
#include "core/support/unfused_arithmetic.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define PLORVENT_SANITIZED 1
#endif
#endif
#if !defined(__SANITIZE_ADDRESS__) && !defined(PLORVENT_SANITIZED)
#define PLORVENT_EXPAND_KERNELS 1
#endif

// The rows of a kernel made for `rows` rows where kernels are expanded; elsewhere 0, the kernel
// for any number of rows, as a kernel of constant rows is unrolled all the same and compiling
// one for each length under the sanitizers takes minutes.
constexpr int expanded_rows(int rows) {
#ifdef PLORVENT_EXPAND_KERNELS
  return rows;
#else
  (void)rows;
  return 0;
#endif
}

// Tracking the values of the expanded kernels for the debugger takes a fifth of a kernel file's
// compile time with -g (which Octave's mkoctfile passes), and serves no one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-var-tracking", "no-var-tracking-assignments")
#endif

#endif
