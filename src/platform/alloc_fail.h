// The one test switch that makes chosen allocations fail, so tests can reach every out-of-memory path. The window
// program reads it from ORBEN_TEST_FAIL_ALLOC ("BYTES[,COUNT[,SKIP]]") at start-up and applies it to its work
// allocations; unit tests set it directly, usually for every block.
#pragma once
#include <cstddef>

// Of the attempts asking for at least minBytes bytes, the first `skip` go through and the next `count` fail;
// later ones go through.
struct AllocFailPlan {
    size_t minBytes = 0;
    int count = 0;
    int skip = 0;
};
// False (plan untouched) for a missing or malformed text.
bool ParseAllocFailPlan(const char *text, AllocFailPlan *plan);
// Whether this attempt fails under the plan; counts the attempt.
bool ShouldFailAttempt(AllocFailPlan *plan, size_t bytes);

// Which allocations the plan counts: every block (BlockAlloc and BlockRealloc), or only the work allocations that
// go through the shortage policy.
enum class FailScope { kEveryBlock, kWorkAllocations };
void SetAllocFailPlan(const AllocFailPlan &plan, FailScope scope);
// Asked by the allocator of that scope before each attempt.
bool AllocationShouldFail(size_t bytes, FailScope at);

// Makes the next `count` blocks of at least `bytes` bytes fail (0 turns the switch off).
inline void BlockFailLargeAllocations(size_t bytes, int count) {
    SetAllocFailPlan(AllocFailPlan{bytes, count, 0}, FailScope::kEveryBlock);
}
