#include "model/path_storage.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Under AddressSanitizer the storage stays with the sanitizer's allocator,
// which then checks every access to it.
#if defined(__SANITIZE_ADDRESS__)
#define COMPACTOR_PATH_STORAGE_PLAIN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COMPACTOR_PATH_STORAGE_PLAIN 1
#endif
#endif
#if !defined(__linux__) || !defined(MADV_HUGEPAGE)
#define COMPACTOR_PATH_STORAGE_PLAIN 1
#endif

namespace compactor {
namespace {

[[maybe_unused]] constexpr size_t kHugePage = size_t{2} << 20;
[[maybe_unused]] constexpr size_t kHugeFrom = size_t{1} << 20;

#if !defined(COMPACTOR_PATH_STORAGE_PLAIN)
size_t whole_blocks(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
#endif

}  // namespace

void* allocate_path_storage(size_t bytes) {
#if !defined(COMPACTOR_PATH_STORAGE_PLAIN)
  if (bytes >= kHugeFrom) {
    // Fresh pages from the kernel are zero; one block more than needed
    // leaves room to start on a 2 MiB boundary, and the rest goes back.
    const size_t whole = whole_blocks(bytes);
    void* m = mmap(nullptr, whole + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t start = reinterpret_cast<uintptr_t>(m);
    const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) munmap(m, aligned - start);
    const uintptr_t end = start + whole + kHugePage;
    if (end > aligned + whole) munmap(reinterpret_cast<void*>(aligned + whole), end - (aligned + whole));
    void* p = reinterpret_cast<void*>(aligned);
    madvise(p, whole, MADV_HUGEPAGE);
    return p;
  }
#endif
  // calloc hands out large blocks as fresh pages, without clearing them.
  void* p = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (p == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes >= kHugeFrom) {
    // The whole 2 MiB blocks inside it in huge pages, as above.
    const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + kHugePage - 1) / kHugePage * kHugePage;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) / kHugePage * kHugePage;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
#endif
  return p;
}

void free_path_storage(void* p, [[maybe_unused]] size_t bytes) {
#if !defined(COMPACTOR_PATH_STORAGE_PLAIN)
  if (bytes >= kHugeFrom) {
    munmap(p, whole_blocks(bytes));
    return;
  }
#endif
  std::free(p);
}

}  // namespace compactor
