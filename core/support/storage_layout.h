// Storage carved into regions one after another from one block the caller provides, each region
// aligned for any sample or index type. The same carving code runs twice: once over a null base
// to measure how many bytes it takes, once over the real block to hand out the regions; sizes and
// carving therefore cannot drift apart.
#ifndef PLORVENT_CORE_SUPPORT_STORAGE_LAYOUT_H
#define PLORVENT_CORE_SUPPORT_STORAGE_LAYOUT_H

#include <cstddef>
#include <cstdint>

inline size_t round_up_storage(size_t bytes) {
  return (bytes + 63) & ~size_t{63};
}

struct StorageLayout {
  char *base;   // null while measuring
  size_t used;  // bytes handed out so far
};

inline StorageLayout measuring_layout() {
  return {nullptr, 0};
}

inline StorageLayout carving_layout(void *base) {
  return {static_cast<char *>(base), 0};
}

// The next region of `bytes` bytes (null while measuring).
inline char *take_bytes(StorageLayout &s, size_t bytes) {
  char *region = s.base ? s.base + s.used : nullptr;
  s.used += round_up_storage(bytes);
  return region;
}

// The next region of `count` elements of type T.
template <class T>
T *take(StorageLayout &s, int64_t count) {
  return reinterpret_cast<T *>(take_bytes(s, static_cast<size_t>(count) * sizeof(T)));
}

// The bytes a carving function takes: it is run over a null base.
template <class Carve>
size_t bytes_taken_by(Carve carve) {
  StorageLayout s = measuring_layout();
  carve(s);
  return s.used;
}

#endif
