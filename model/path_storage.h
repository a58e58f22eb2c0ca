// Storage for the path's coordinates. A long path is megabytes written point
// by point, and on Linux every first touch of a 4 KiB page is a page fault
// that costs more than the points it makes room for. Storage of 1 MiB and more
// is therefore taken in whole, aligned 2 MiB blocks and marked for huge pages,
// so the built-in line's path costs two faults instead of a thousand. The
// advice changes nothing but speed; elsewhere it is plain aligned storage.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace compactor {

template <class T>
struct PathAllocator {
  using value_type = T;

  static constexpr size_t kHugePage = size_t{2} << 20;
  static constexpr size_t kHugeFrom = size_t{1} << 20;

  PathAllocator() = default;
  template <class U>
  PathAllocator(const PathAllocator<U>&) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kHugeFrom) return static_cast<T*>(::operator new(bytes));
    const size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = ::operator new(whole, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(p, whole, MADV_HUGEPAGE);
#endif
    return static_cast<T*>(p);
  }

  void deallocate(T* p, size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kHugeFrom) {
      ::operator delete(p);
    } else {
      ::operator delete(p, std::align_val_t{kHugePage});
    }
  }

  template <class U>
  bool operator==(const PathAllocator<U>&) const { return true; }
};

// The x or y values of the path, indexed by point.
using PathValues = std::vector<double, PathAllocator<double>>;

}  // namespace compactor
