// Whether the kernels may take their 256-bit (AVX2) paths. Those give exactly the bytes of the 128-bit paths; they
// are only faster. The processor and the system must support them, and ORBEN_VECTORS=128 in the environment or
// SetWideVectors(false) keeps every kernel on the 128-bit paths (the tests compare both).
#pragma once

bool WideVectors();
// false: never the wide paths; true: the wide paths wherever the machine has them.
void SetWideVectors(bool allowed);
