// PLORVENT_INLINE: a function the compiler must inline, past its usual limits on a function's
// growth (a kernel's operations, so that its rows stay in registers; an engine's step, called
// from more than one loop).
#ifndef PLORVENT_CORE_SUPPORT_ALWAYS_INLINE_H
#define PLORVENT_CORE_SUPPORT_ALWAYS_INLINE_H

#if defined(__GNUC__) || defined(__clang__)
#define PLORVENT_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define PLORVENT_INLINE __forceinline
#else
#define PLORVENT_INLINE inline
#endif

#endif
