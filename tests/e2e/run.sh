#!/usr/bin/env bash
# Runs the end-to-end suite: ORBEN.EXE under Wine on a virtual display, worked by the cross-built driver. Builds
# nothing itself (test.sh builds win64 first). Ends with "e2e: N passed, M failed"; non-zero exit on failure.
# Usage: tests/e2e/run.sh [SCENARIO_NAME_FILTER]
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
BUILD=${ORBEN_WIN_BUILD:-$ROOT/build/win64}
# A prefix of the suite's own: its server and desktop must belong to the virtual display, which a server left
# running by the console unit tests (no display) would not.
export WINEPREFIX=${ORBEN_E2E_PREFIX:-$ROOT/build/wineprefix-e2e} WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
WINE=/usr/lib/wine/wine64
OUT=$ROOT/build/out/e2e

give_up() {
  echo "e2e: $*"
  echo "e2e: 0 passed, 1 failed"
  exit 1
}

exe=$BUILD/dist/ORBEN.EXE
driver=$BUILD/tests/e2e/orben_e2e.exe
probe=$BUILD/tests/e2e/E2EPROBE1.DLL
notaddin=$BUILD/tests/e2e/E2ENOTAD.DLL
lettra=$BUILD/dist/LETTRA.DLL
for f in "$exe" "$driver" "$probe" "$notaddin" "$lettra"; do
  [ -f "$f" ] || give_up "missing $f (build win64 first)"
done

# A private CUPS with a cups-pdf queue as its default, up before any Wine process of this prefix starts: Wine
# takes its printers from CUPS at each process start (and forgets them when CUPS is unreachable then).
export CUPS_SERVER=$ROOT/build/cups/cups.sock ORBEN_E2E_CUPS=$ROOT/tools/cups.sh ORBEN_E2E_PDF_DIR=$ROOT/build/cups/pdf
export ORBEN_E2E_UNIX_SCRATCH=$OUT/unix
rm -rf "$OUT/unix" && mkdir -p "$OUT/unix"
if ! cups_why=$(bash tools/cups.sh start); then export ORBEN_E2E_PRINT_SKIP="no CUPS: $cups_why"; fi
trap 'bash tools/cups.sh stop' EXIT

bash tools/wineprefix.sh "$WINEPREFIX" || give_up "no Wine prefix"

# The program's folder holds ORBEN.EXE and the add-ins; the data folder is the program's current folder and
# holds the pictures and a library that must never be loaded from there.
base=$WINEPREFIX/drive_c/orben-e2e
rm -rf "$base/program" "$base/out"
mkdir -p "$base/program" "$base/data" "$base/out" "$OUT"
rm -f "$OUT"/*.png "$OUT"/*.txt
cp "$exe" "$base/program/ORBEN.EXE"
for n in 1 2 3; do cp "$probe" "$base/program/E2EPROBE$n.DLL"; done
cp "$notaddin" "$base/program/E2ENOTAD.DLL"
cp "$lettra" "$base/program/LETTRA.DLL"
cp "$probe" "$base/data/E2EPLANT.DLL"

jpeg=$ROOT/../shared/testdata/jpeg/libjpeg-turbo/testorig.jpg
if [ -f "$jpeg" ]; then cp "$jpeg" "$base/data/SMALL.JPG"
else convert -size 227x149 gradient:'#ffa040'-'#2040a0' -quality 85 "$base/data/SMALL.JPG"; fi
# A 12-megapixel baseline JPEG for the timing run, made once.
if [ ! -s "$base/data/BIG.JPG" ]; then
  convert -size 4000x3000 gradient:'#ff8000'-'#0040c0' \( -size 4000x3000 pattern:checkerboard \) \
    -compose overlay -composite -interlace none -sampling-factor 2x2 -quality 90 "$base/data/BIG.JPG" ||
    give_up "cannot make BIG.JPG"
fi

# A warm server: each start of the program then takes a fraction of a second.
(/usr/lib/wine/wineserver -p >/dev/null 2>&1 &)
$WINE cmd /c exit >/dev/null 2>&1 || true

log=$OUT/driver.log
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
# Inside the virtual display: a warm server (each start of the program then takes a fraction of a second), its
# desktop on that display, then the driver.
# The X clipboard's other end for the tools scenario: a helper on the same display that runs xclip on request.
rm -rf "$base/data/xclip"
export XCLIP_HELPER=$ROOT/tests/e2e/xclip_helper.sh XCLIP_DIR=$base/data/xclip
timeout 900 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    (/usr/lib/wine/wineserver -p >/dev/null 2>&1 &)
    bash "$XCLIP_HELPER" "$XCLIP_DIR" >/dev/null 2>&1 &
    /usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1
    exec /usr/lib/wine/wine64 "$@"' driver \
  "$driver" 'C:\orben-e2e\program' 'C:\orben-e2e\data' 'C:\orben-e2e\out' "$@" 2>"$OUT/wine-stderr.log" |
  iconv -f CP932 -t UTF-8 -c | tee "$log"
status=${PIPESTATUS[0]}
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

# Screenshots: the driver writes BMPs; people look at PNGs.
for f in "$base/out"/*.bmp; do
  [ -f "$f" ] || continue
  convert "$f" "$OUT/$(basename "${f%.bmp}").png" 2>/dev/null
done
cp "$base/out"/*.txt "$OUT/" 2>/dev/null
ls "$OUT"/*.png >/dev/null 2>&1 && echo "screenshots: $(ls "$OUT"/*.png | xargs -n1 basename | tr '\n' ' ')"

# The arbitrary rotation's peer figure: orbentool turning the same picture by 30 degrees in this run.
tool=${ORBENTOOL:-$ROOT/build/native/src/cli/orbentool}
gui=$(tr -d "\r" <"$log" | sed -nE 's/^timing: arbitrary rotation by 30 degrees.*: ([0-9.]+) ms$/\1/p' | tail -n 1)
if [ -x "$tool" ] && [ -f "$base/data/big.bmp" ] && [ -n "$gui" ]; then
  best=
  for run in 1 2; do
    t0=$(date +%s%N)
    "$tool" rotate "$base/data/big.bmp" "$OUT/rotated30.bmp" --angle 30 >/dev/null 2>&1 || break
    ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    [ -z "$best" ] || [ "$ms" -lt "$best" ] && best=$ms
  done
  rm -f "$OUT/rotated30.bmp"
  if [ -n "$best" ]; then
    line=$(awk -v g="$gui" -v t="$best" 'BEGIN { printf "timing: orbentool rotate --angle 30 (4000x3000): %d ms; the program takes %.2f x that", t, g / t }')
    echo "$line" | tee -a "$log" >>"$OUT/timings.txt"
    echo "$line"
  fi
fi

if ! grep -qE '^e2e: [0-9]+ passed, [0-9]+ failed' "$log"; then
  give_up "the driver ended without a summary (exit $status)"
fi
[ "$status" -eq 0 ]
