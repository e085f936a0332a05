#!/usr/bin/env bash
# Compiles the core as MSVC would see it: clang in MSVC mode (_MSC_VER set, no __GNUC__), for
# x86-64 or aarch64 Windows. Fails on any error or warning, or unless the network kernels and the
# sorted-lane kernels of every instruction set of that processor are in their objects (so a path
# that only GCC takes cannot be the only vector path).
# No MSVC standard library is at hand: Debian's libstdc++ and C headers for the same processor
# stand in, set to Windows' type sizes (64-bit long long, 32-bit long) and given the few macros
# they expect of GCC. worker_threads.cpp is left out: on Windows it needs the Windows SDK.
# Usage: check_msvc_mode_kernels.sh CLANGXX NM SOURCE_DIR x86_64|aarch64
set -euo pipefail
clangxx=$1
nm=$2
source_dir=$3
arch=$4
stand_ins=$(mktemp -d)
trap 'rm -rf "$stand_ins"' EXIT
gcc_macros=(-D__STRICT_ANSI__ -D__MM_MALLOC_H -D__GCC_ATOMIC_TEST_AND_SET_TRUEVAL=1)
for type in BOOL CHAR CHAR16_T CHAR32_T WCHAR_T SHORT INT LONG LLONG POINTER; do
  gcc_macros+=(-D__GCC_ATOMIC_${type}_LOCK_FREE=2)
done
case "$arch" in
  x86_64)
    v=$(ls /usr/include/c++ | sort -V | tail -1)
    headers=(/usr/include/c++/$v /usr/include/x86_64-linux-gnu/c++/$v /usr/include/x86_64-linux-gnu
             /usr/include)
    # glibc's x86-64 headers take 64-bit types from long unless told the ABI is ILP32 (x32),
    # whose list of stub functions is not installed (and not needed).
    mkdir -p "$stand_ins/gnu"
    : >"$stand_ins/gnu/stubs-x32.h"
    gcc_macros+=(-D__ILP32__)
    kernels="sse2 avx2 avx512" ;;
  aarch64)
    v=$(ls /usr/aarch64-linux-gnu/include/c++ | sort -V | tail -1)
    headers=(/usr/aarch64-linux-gnu/include/c++/$v
             /usr/aarch64-linux-gnu/include/c++/$v/aarch64-linux-gnu /usr/aarch64-linux-gnu/include)
    kernels="neon" ;;
  *) echo "unknown processor $arch"; exit 2 ;;
esac
flags=(--target="$arch-pc-windows-msvc" -std=c++17 -Wall -Wextra -Werror -I"$source_dir"
       -isystem "$stand_ins" "${gcc_macros[@]}")
for dir in "${headers[@]}"; do flags+=(-isystem "$dir"); done

cd "$source_dir"
for file in core/*/*.cpp; do
  case "$file" in
    core/jobs/worker_threads.cpp) ;;
    core/engines/network_medians.cpp | core/counted/lane_sorted_windows.cpp)
      "$clangxx" "${flags[@]}" -O0 -c "$file" -o "$stand_ins/$(basename "$file" .cpp).o" ;;
    *) "$clangxx" "${flags[@]}" -fsyntax-only "$file" ;;
  esac
done
for kernel in network_medians:run_pairs:network lane_sorted_windows:sorted_lanes:sorted-lane; do
  IFS=: read -r object name what <<<"$kernel"
  symbols=$("$nm" "$stand_ins/$object.o")
  for set in $kernels; do
    count=$(grep -c "$name@.*@$set@" <<<"$symbols" || true)
    [ "$count" -gt 0 ] || { echo "FAIL: no $set $what kernel compiled in MSVC mode"; exit 1; }
    echo "$arch MSVC mode: $count $set $what kernels"
  done
done
