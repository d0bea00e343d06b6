#!/usr/bin/env bash
# Builds what is missing and shows the program at work. Until the window program exists this converts the bundled
# sample pictures with orbentool and says what it did.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/deps.sh
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF >/dev/null
ninja -C build/native >/dev/null
tool=build/native/src/cli/orbentool
out=build/samples
mkdir -p "$out"
for f in ../shared/testdata/bmpsuite/g/*.bmp; do
  [ -f "$f" ] || continue
  name=$(basename "$f" .bmp)
  if "$tool" convert -q "$f" "$out/$name.bmp"; then
    echo "converted $f -> $out/$name.bmp"
  else
    echo "could not open $f"
  fi
done
