#!/usr/bin/env bash
# Builds both layers and runs every test suite: native unit tests with sanitizers, orbentool checks, the same unit
# tests cross-built and run under Wine (their outputs must match the native ones byte for byte), the i686 compile,
# the fuzz corpora and the end-to-end suite. Installs missing Debian packages when run as root.
set -uo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=$(nproc)

bash tools/deps.sh || exit 1

passed=0
failed=0
failures=()

note() { printf '\n=== %s\n' "$*"; }
count_ctest() { # $1 = label, $2 = ctest log
  local line p f
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$2" | tail -n 1)
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    local total; total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    p=$((total - f))
    passed=$((passed + p)); failed=$((failed + f))
    [ "$f" -gt 0 ] && failures+=("$1: $f failed")
  else
    failed=$((failed + 1)); failures+=("$1: did not run")
  fi
}
step() { # $1 = label, rest = command; counts as one test
  local label=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$label"); fi
}

mkdir -p build/out
export ORBEN_SOURCE_DIR=$ROOT

note "native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORBEN_SANITIZE=ON >/dev/null &&
  ninja -C build/asan >build/out/asan-build.log 2>&1 || { tail -n 40 build/out/asan-build.log; echo "native build failed"; exit 1; }
rm -rf build/out/native && mkdir -p build/out/native
(cd build/asan && ORBEN_OUTPUT_DIR=$ROOT/build/out/native ASAN_OPTIONS=detect_leaks=1 \
  ctest -j"$JOBS" --output-on-failure --timeout 600 2>&1 | tee "$ROOT/build/out/native-ctest.log" | tail -n 15)
count_ctest "native unit tests" build/out/native-ctest.log

note "native release build (orbentool)"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF -DORBEN_BENCH=ON >/dev/null &&
  ninja -C build/native >build/out/native-build.log 2>&1 || { tail -n 40 build/out/native-build.log; echo "release build failed"; exit 1; }
for t in tests/cli/*_test.sh; do
  [ -f "$t" ] || continue
  note "orbentool: $t"
  step "$t" env ORBENTOOL="$ROOT/build/native/src/cli/orbentool" bash "$t"
done

note "cross build for 64-bit Windows"
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null &&
  ninja -C build/win64 >build/out/win64-build.log 2>&1 || { tail -n 40 build/out/win64-build.log; echo "win64 build failed"; exit 1; }

note "unit tests under Wine"
export WINEPREFIX=$ROOT/build/wineprefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8
bash tools/wineprefix.sh "$WINEPREFIX"
(/usr/lib/wine/wineserver -p >/dev/null 2>&1 &)
/usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 || true
rm -rf build/out/wine && mkdir -p build/out/wine
(cd build/win64 && ORBEN_OUTPUT_DIR=$ROOT/build/out/wine ctest -j"$JOBS" --output-on-failure --timeout 600 2>&1 |
  tee "$ROOT/build/out/wine-ctest.log" | tail -n 15)
count_ctest "unit tests under Wine" build/out/wine-ctest.log

note "native and Windows outputs agree byte for byte"
same_outputs() {
  local n; n=$(ls build/out/native | wc -l)
  echo "$n recorded outputs"
  [ "$n" -gt 0 ] && diff -r build/out/native build/out/wine
}
step "native and Windows outputs agree" same_outputs

if [ -f tests/e2e/run.sh ]; then
  note "end-to-end tests under Wine"
  bash tests/e2e/run.sh 2>&1 | tee build/out/e2e.log | tail -n 40
  e2e=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' build/out/e2e.log | tail -n 1)
  if [ -n "$e2e" ]; then
    p=$(sed -E 's/e2e: ([0-9]+) passed.*/\1/' <<<"$e2e"); f=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$e2e")
    passed=$((passed + p)); failed=$((failed + f)); [ "$f" -gt 0 ] && failures+=("e2e: $f failed")
  else
    failed=$((failed + 1)); failures+=("e2e: did not run")
  fi
fi
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

note "cross build for 32-bit Windows (compile only)"
step "i686 build" bash -c "cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DORBEN_TESTS=OFF >/dev/null && ninja -C build/win32 >build/out/win32-build.log 2>&1 || { tail -n 30 build/out/win32-build.log; exit 1; }"

if [ -d tests/fuzz ] && [ -f tests/fuzz/CMakeLists.txt ]; then
  note "fuzz targets: replay corpora and past crashers"
  if CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_FUZZ=ON >/dev/null &&
     ninja -C build/fuzz >build/out/fuzz-build.log 2>&1; then
    for bin in build/fuzz/tests/fuzz/fuzz_*; do
      [ -x "$bin" ] || continue
      name=$(basename "$bin")
      dirs=()
      for d in tests/fuzz/corpus/${name#fuzz_} tests/fuzz/crashers/${name#fuzz_}; do [ -d "$d" ] && dirs+=("$d"); done
      [ ${#dirs[@]} -gt 0 ] || continue
      step "$name replay" bash -c "files=\$(find ${dirs[*]} -type f); [ -z \"\$files\" ] || $bin \$files >build/out/$name.log 2>&1 || { tail -n 30 build/out/$name.log; exit 1; }"
      echo "$name: replayed $(find "${dirs[@]}" -type f | wc -l) inputs"
    done
  else
    tail -n 30 build/out/fuzz-build.log; failed=$((failed + 1)); failures+=("fuzz build")
  fi
fi

echo
if [ ${#failures[@]} -gt 0 ]; then printf 'FAILED: %s\n' "${failures[@]}"; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
