// Storage for the path's coordinates. A long path is megabytes written point
// by point, and on Linux every first touch of a 4 KiB page is a page fault
// that costs more than the points it makes room for. Storage of 1 MiB and more
// is therefore taken in whole, aligned 2 MiB blocks marked for huge pages, so
// the built-in line's path costs two faults instead of a thousand. The advice
// changes nothing but speed; elsewhere it is plain storage.
//
// The storage comes zeroed, and a PathValues of n values is made without
// writing them: they read 0.0 from the start. So a path is paid for only as
// far as the compiler walks it, not for the whole line up front (a line that
// stops at its first rows touches none of its megabytes). New values read 0.0
// only in storage not used before: grow a PathValues only from empty (by
// construction or resize), never back after shrinking it.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace compactor {

// Zeroed storage of `bytes`; free_path_storage with the same size frees it.
void* allocate_path_storage(size_t bytes);
void free_path_storage(void* p, size_t bytes);

template <class T>
struct PathAllocator {
  using value_type = T;

  PathAllocator() = default;
  template <class U>
  PathAllocator(const PathAllocator<U>&) {}

  T* allocate(size_t n) { return static_cast<T*>(allocate_path_storage(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { free_path_storage(p, n * sizeof(T)); }

  // A value made without one given is left as the zeroed storage holds it.
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const PathAllocator<U>&) const { return true; }
};

// The x or y values of the path, indexed by point.
using PathValues = std::vector<double, PathAllocator<double>>;

}  // namespace compactor
