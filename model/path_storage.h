// Storage for the path's coordinates. A long path is megabytes written point
// by point, and on Linux every first touch of a 4 KiB page is a page fault
// that costs more than the points it makes room for. Storage of 1 MiB and more
// is therefore taken in whole, aligned 2 MiB blocks marked for huge pages, so
// the built-in line's path costs two faults instead of a thousand. The advice
// changes nothing but speed; elsewhere it is plain aligned storage.
#pragma once

#include <cstddef>
#include <vector>

namespace compactor {

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

  template <class U>
  bool operator==(const PathAllocator<U>&) const { return true; }
};

// The x or y values of the path, indexed by point.
using PathValues = std::vector<double, PathAllocator<double>>;

}  // namespace compactor
