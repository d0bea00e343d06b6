// The allocation-failure test switch: its text form, its plan and the one place the plan is consulted.
#include "platform/alloc_fail.h"

#include <cerrno>
#include <cstdlib>

namespace {

// A decimal count after a comma; false when it is missing, malformed or out of range.
bool ParseCount(const char **text, long low, long *value) {
    if (**text != ',') return false;
    const char *start = *text + 1;
    char *end = nullptr;
    errno = 0;
    long v = strtol(start, &end, 10);
    if (end == start || errno != 0 || v < low || v > 1000000) return false;
    *value = v;
    *text = end;
    return true;
}

} // namespace

bool ParseAllocFailPlan(const char *text, AllocFailPlan *plan) {
    if (!text || *text < '0' || *text > '9') return false;
    char *end = nullptr;
    errno = 0;
    unsigned long long bytes = strtoull(text, &end, 10);
    if (errno != 0 || bytes == 0) return false;
    const char *rest = end;
    long count = 1, skip = 0;
    if (*rest && !ParseCount(&rest, 1, &count)) return false;
    if (*rest && !ParseCount(&rest, 0, &skip)) return false;
    if (*rest) return false;
    plan->minBytes = (size_t)bytes;
    plan->count = (int)count;
    plan->skip = (int)skip;
    return true;
}

bool ShouldFailAttempt(AllocFailPlan *plan, size_t bytes) {
    if (plan->count <= 0 || bytes < plan->minBytes) return false;
    if (plan->skip > 0) {
        --plan->skip;
        return false;
    }
    --plan->count;
    return true;
}

namespace {

AllocFailPlan gPlan;
FailScope gScope = FailScope::kEveryBlock;

} // namespace

void SetAllocFailPlan(const AllocFailPlan &plan, FailScope scope) {
    gPlan = plan;
    gScope = scope;
}

bool AllocationShouldFail(size_t bytes, FailScope at) { return at == gScope && ShouldFailAttempt(&gPlan, bytes); }
