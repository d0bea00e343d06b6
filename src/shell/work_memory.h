// The shortage policy of large working allocations: what is given up, in which order, and what the user is told.
#pragma once
#include <cstddef>

#include "platform/alloc_fail.h"
#include "platform/block.h"

// What the policy may do; the window program fills these in with its document state.
struct ShortageSteps {
    PackedDib (*allocate)(size_t bytes) = nullptr;
    bool (*releaseDisplayImage)() = nullptr; // true when there was one to release (it can be rebuilt)
    bool (*hasUndoCopy)() = nullptr;
    void (*releaseUndoCopy)() = nullptr;     // frees it and grays UnDo
};

// Tries the allocation; on failure releases the display image and tries again, then (after telling the user)
// the undo copy and tries again; a last failure is reported and gives null. The caller then keeps its old picture.
PackedDib AllocWithShortagePolicy(size_t bytes, const ShortageSteps &steps);
// How often the policy has told the user that memory ran out; callers compare before and after an operation so
// the same shortage is not reported twice.
int ShortageReportCount();
