// The heap measure of the memory tests sees what is held, in every build: a measure that reads
// 0 (glibc's count under AddressSanitizer) would let any leak pass.
#include "support/Heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(HeapTest, SeesABlockWhileItIsHeldAndNotOnceItIsGone) {
  // A small block from the heap's arenas, and one as large as an export's band, which glibc maps.
  for (const std::size_t size : {std::size_t(4096), std::size_t(8) << 20}) {
    SCOPED_TRACE(size);
    const std::size_t before = LiveHeapBytes();
    auto block = std::make_unique<char[]>(size);
    std::memset(block.get(), 1, size);
    const std::size_t held = LiveHeapBytes();
    EXPECT_GE(held, before + size);
    block.reset();
    EXPECT_LT(LiveHeapBytes(), held - size / 2);
  }
}

}  // namespace
