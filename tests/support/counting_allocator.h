#pragma once
// Allocations made so far by the global operator new of this test program. A
// program that calls it gets counting versions of every form of operator new
// and delete (tests/support/counting_allocator.cpp).

namespace ostrel::test {

long AllocationCount();

}  // namespace ostrel::test
