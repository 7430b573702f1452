#pragma once

#include <cstddef>

// The bytes of the heap that live allocations hold now, small blocks and mapped ones alike. In a
// build with AddressSanitizer the sanitizer's allocator counts them (glibc's mallinfo2 then
// reads 0), else glibc does.
std::size_t LiveHeapBytes();
