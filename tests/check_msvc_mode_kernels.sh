#!/usr/bin/env bash
# Compiles the core's files that hold vector or compiler-specific code as MSVC would see them:
# clang in MSVC mode (_MSC_VER set, no __GNUC__), for x86-64 or aarch64 Windows. Fails on any
# error or warning, or unless the network kernels of every instruction set of that processor
# are in the object (so a path that only GCC takes cannot be the only vector path).
# No MSVC standard library is at hand: Debian's libstdc++ and C headers for the same processor
# stand in, with the few macros they expect of GCC. They are LP64 where Windows is LLP64, so only
# these files compile with them (sample_key.h's size checks fail elsewhere, as they should).
# Usage: check_msvc_mode_kernels.sh CLANGXX NM SOURCE_DIR x86_64|aarch64
set -euo pipefail
clangxx=$1
nm=$2
source_dir=$3
arch=$4
case "$arch" in
  x86_64)
    v=$(ls /usr/include/c++ | sort -V | tail -1)
    headers=(/usr/include/c++/$v /usr/include/x86_64-linux-gnu/c++/$v /usr/include/x86_64-linux-gnu
             /usr/include)
    kernels="sse2 avx2 avx512" ;;
  aarch64)
    v=$(ls /usr/aarch64-linux-gnu/include/c++ | sort -V | tail -1)
    headers=(/usr/aarch64-linux-gnu/include/c++/$v
             /usr/aarch64-linux-gnu/include/c++/$v/aarch64-linux-gnu /usr/aarch64-linux-gnu/include)
    kernels="neon" ;;
  *) echo "unknown processor $arch"; exit 2 ;;
esac
gcc_macros=(-D__STRICT_ANSI__ -D__MM_MALLOC_H -D__GCC_ATOMIC_TEST_AND_SET_TRUEVAL=1)
for type in BOOL CHAR CHAR16_T CHAR32_T WCHAR_T SHORT INT LONG LLONG POINTER; do
  gcc_macros+=(-D__GCC_ATOMIC_${type}_LOCK_FREE=2)
done
flags=(--target="$arch-pc-windows-msvc" -std=c++17 -Wall -Wextra -Werror -I"$source_dir"
       "${gcc_macros[@]}")
for dir in "${headers[@]}"; do flags+=(-isystem "$dir"); done

cd "$source_dir"
for file in core/support/special_values.cpp core/support/vector_width.cpp \
  core/support/floating_point_state.cpp core/counted/rank_set.cpp; do
  "$clangxx" "${flags[@]}" -fsyntax-only "$file"
done
object=$(mktemp)
trap 'rm -f "$object"' EXIT
"$clangxx" "${flags[@]}" -O0 -c core/engines/network_medians.cpp -o "$object"
symbols=$("$nm" "$object")
for set in $kernels; do
  count=$(grep -c "run_pairs@.*@$set@" <<<"$symbols" || true)
  [ "$count" -gt 0 ] || { echo "FAIL: no $set network kernel compiled in MSVC mode"; exit 1; }
  echo "$arch MSVC mode: $count $set network kernels"
done
