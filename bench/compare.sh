#!/usr/bin/env bash
# Times orbentool against peer tools on the same inputs in one run and prints ratios. Each area of the core adds a
# compare_<area>.sh beside this file; this script builds the release tool and runs them all. With --before REV the
# tool is also built from revision REV, for the areas that time an older build beside the current one.
# Usage: bench/compare.sh [--before REV] [AREA...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF -DORBEN_BENCH=ON >/dev/null
ninja -C build/native >/dev/null
export ORBENTOOL=$PWD/build/native/src/cli/orbentool
if [ "${1:-}" = --before ]; then
  rev=$2
  shift 2
  src=$PWD/build/before-src
  rm -rf "$src" && mkdir -p "$src"
  git archive "$rev" | tar -x -C "$src"
  cmake -S "$src" -B "$PWD/build/before-build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF >/dev/null
  ninja -C "$PWD/build/before-build" orbentool >/dev/null
  export ORBENTOOL_BEFORE=$PWD/build/before-build/src/cli/orbentool
fi
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
