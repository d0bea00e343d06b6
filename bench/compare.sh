#!/usr/bin/env bash
# Times orbentool against peer tools on the same inputs in one run and prints ratios. Each area of the core adds a
# compare_<area>.sh beside this file; this script builds the release tool and runs them all.
# Usage: bench/compare.sh [AREA...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF -DORBEN_BENCH=ON >/dev/null
ninja -C build/native >/dev/null
export ORBENTOOL=$PWD/build/native/src/cli/orbentool
export BENCH_DIR=$PWD/build/bench-data
mkdir -p "$BENCH_DIR"
areas=("$@")
if [ ${#areas[@]} -eq 0 ]; then
  for f in bench/compare_*.sh; do [ -f "$f" ] && areas+=("$(basename "$f" .sh | sed 's/^compare_//')"); done
fi
for a in "${areas[@]}"; do
  echo "=== $a"
  bash "bench/compare_$a.sh"
done
