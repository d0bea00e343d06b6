#!/usr/bin/env bash
# Builds what is missing and starts ORBEN.EXE under Wine, in a Wine prefix of the project's own under the user's
# cache folder. With a display the window opens there; without one it runs on a virtual display.
# Usage: ./run.sh                    start the program (close its window to end)
#        ./run.sh --screenshot FILE  start it on a virtual display, write a PNG of the window after start-up, end
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

# Inside the virtual display of --screenshot: start the program, wait for its frame, capture it, close it.
if [ "${1:-}" = --capture-inside ]; then
  shot=$2
  /usr/lib/wine/wine64 "$ORBEN_EXE" &
  pid=$!
  geometry=
  for _ in $(seq 1 300); do
    geometry=$(xwininfo -root -tree 2>/dev/null | grep -m1 '"Zelka32 Ver1.22"' |
      grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -n 1) || true
    [ -n "$geometry" ] && break
    sleep 0.1
  done
  sleep 1 # the toolbar and the view paint after the frame appears
  # import reads the composed screen, open menus included (xwd shows those as black boxes).
  if [ -n "$geometry" ]; then import -window root -crop "$geometry" +repage "$shot"
  else import -window root "$shot"; fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$geometry" ]
  exit
fi

shot=
case "${1:-}" in
  --screenshot) shot=${2:?"--screenshot needs a file name"}; shot=$(realpath -m "$shot") ;;
  "") ;;
  *) echo "usage: ./run.sh [--screenshot FILE]" >&2; exit 1 ;;
esac

bash tools/deps.sh

# The Windows build: configured like test.sh does, but only the program and its add-ins are built here.
BUILD=$ROOT/build/win64
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
fi
targets=(ORBEN)
ninja -C "$BUILD" -t targets all 2>/dev/null | grep -q '^LETTRA:' && targets+=(LETTRA)
ninja -C "$BUILD" -j"$(nproc)" "${targets[@]}" >/dev/null
DIST=$BUILD/dist
[ -f "$DIST/ORBEN.EXE" ] || { echo "no $DIST/ORBEN.EXE after the build" >&2; exit 1; }

export WINEPREFIX=${ORBEN_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/orben/wineprefix}
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
WINE=/usr/lib/wine/wine64
mkdir -p "$(dirname "$WINEPREFIX")"
echo "Wine prefix: $WINEPREFIX"
bash tools/wineprefix.sh "$WINEPREFIX"

# The settings file lives in the Windows folder. Start from the sample; register LETTRA.DLL once it is built.
ini=$WINEPREFIX/drive_c/windows/ORBEN32.INI
existing=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname orben32.ini | head -n 1)
[ -n "$existing" ] && ini=$existing
[ -f "$ini" ] || cp "$DIST/ORBEN32.INI" "$ini"
if [ -f "$DIST/LETTRA.DLL" ] && ! grep -qi 'LETTRA.DLL' "$ini"; then
  if grep -qi '^\[Add-in\]' "$ini"; then
    # The program reads DLL1, DLL2, ... up to the first one missing: that is the key LETTRA.DLL gets.
    awk 'BEGIN { IGNORECASE = 1 }
      { sub(/\r$/, "") }
      /^\[/ { inside = tolower($0) == "[add-in]" }
      inside && match($0, /^DLL[0-9]+=/) { used[substr($0, 4, RLENGTH - 4) + 0] = 1 }
      { lines[NR] = $0 }
      END {
        n = 1; while (n in used) n++
        for (i = 1; i <= NR; i++) {
          printf "%s\r\n", lines[i]
          if (tolower(lines[i]) == "[add-in]") printf "DLL%d=LETTRA.DLL\r\n", n
        }
      }' "$ini" >"$ini.new" && mv "$ini.new" "$ini"
  else
    printf '[Add-in]\r\nDLL1=LETTRA.DLL\r\n' >>"$ini"
  fi
fi

if [ -z "$shot" ]; then
  if [ -n "${DISPLAY:-}" ]; then
    exec $WINE "$DIST/ORBEN.EXE"
  fi
  echo "No display: running on a virtual display (./run.sh --screenshot FILE shows what it looks like)."
  exec xvfb-run -a -s "-screen 0 1024x768x24" $WINE "$DIST/ORBEN.EXE"
fi

# --screenshot: this script again, inside a virtual display of its own.
ORBEN_EXE=$DIST/ORBEN.EXE xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --capture-inside "$shot" ||
  { echo "the window did not appear" >&2; exit 1; }
echo "screenshot: $shot"
