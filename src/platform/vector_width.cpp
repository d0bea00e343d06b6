// The processor check runs once; the setting is read on every kernel call, so a test can switch it between calls.
#include "platform/vector_width.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

bool MachineHasAvx2() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
    __builtin_cpu_init();
    // The check includes the system's support for the wide registers (XGETBV), not just the instruction set.
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

bool EnvironmentAllows() {
    const char *env = std::getenv("ORBEN_VECTORS");
    return !(env && std::strcmp(env, "128") == 0);
}

std::atomic<int> gAllowed{-1}; // -1: not yet decided, then 0 or 1

} // namespace

bool WideVectors() {
    static const bool machine = MachineHasAvx2();
    int allowed = gAllowed.load(std::memory_order_relaxed);
    if (allowed < 0) {
        allowed = EnvironmentAllows() ? 1 : 0;
        gAllowed.store(allowed, std::memory_order_relaxed);
    }
    return machine && allowed == 1;
}

void SetWideVectors(bool allowed) { gAllowed.store(allowed ? 1 : 0, std::memory_order_relaxed); }
