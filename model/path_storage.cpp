#include "model/path_storage.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace compactor {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeFrom = size_t{1} << 20;

}  // namespace

void* allocate_path_storage(size_t bytes) {
  if (bytes < kHugeFrom) return ::operator new(bytes);
  const size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = ::operator new(whole, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(p, whole, MADV_HUGEPAGE);
#endif
  return p;
}

void free_path_storage(void* p, size_t bytes) {
  if (bytes < kHugeFrom) {
    ::operator delete(p);
  } else {
    ::operator delete(p, std::align_val_t{kHugePage});
  }
}

}  // namespace compactor
