#include "Heap.h"

#include <malloc.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUENZ_ASAN 1
#endif

#ifdef QUENZ_ASAN
// From the sanitizer runtime (not every compiler ships its header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

std::size_t LiveHeapBytes() {
#ifdef QUENZ_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}
