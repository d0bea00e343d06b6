#!/usr/bin/env bash
# Times the resize and stipple dialogs of ORBEN.EXE under Wine (from the button press to the repainted picture,
# on a 4000 x 3000 picture) against orbentool on the same file in the same run: orbentool.exe under Wine (timed
# by the end-to-end driver) and the native $ORBENTOOL. Prints our time / orbentool's (at most 1.3 is the aim).
# Needs a win64 build (test.sh or cmake with cmake/mingw-x86_64.cmake) and $ORBENTOOL (bench/compare.sh sets it).
set -euo pipefail
: "${ORBENTOOL:?}"
cd "$(dirname "$0")/.."
BUILD=${ORBEN_WIN_BUILD:-$PWD/build/win64}
if [ ! -f "$BUILD/dist/ORBEN.EXE" ] || [ ! -f "$BUILD/tests/e2e/orben_e2e.exe" ]; then
  echo "dialogs: no win64 build in $BUILD, skipped"
  exit 0
fi
bash tests/e2e/run.sh dialogs_timings >/dev/null || { echo "dialogs: the timing scenario failed"; exit 1; }
timings=$PWD/build/out/e2e/dialogs_timings.txt
big=${ORBEN_E2E_PREFIX:-$PWD/build/wineprefix-e2e}/drive_c/orben-e2e/data/big.bmp
out=$(mktemp --suffix .bmp)
native_ms() { # the best of two runs of the native tool
  local best=0 t s
  for _ in 1 2; do
    s=$(date +%s%N); "$ORBENTOOL" "$@" >/dev/null; t=$((($(date +%s%N) - s) / 1000000))
    if [ "$best" -eq 0 ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}
declare -A args=(["resize 50%"]="resize -q $big $out 2000 1500" ["resize 200%"]="resize -q $big $out 8000 6000"
                 ["stipple 16"]="stipple -q $big $out --colors 16")
while IFS= read -r line; do
  what=$(sed -E 's/^timing: (.*) 4000x3000:.*/\1/' <<<"$line")
  gui=$(sed -E 's/.*repainted ([0-9]+) ms.*/\1/' <<<"$line")
  # shellcheck disable=SC2086
  native=$(native_ms ${args[$what]})
  printf '%s\n  native orbentool %d ms, ratio %.2f\n' "$line" "$native" "$(echo "$gui / $native" | bc -l)"
done <"$timings"
rm -f "$out"
