#!/usr/bin/env bash
# Creates (once) a 64-bit Wine prefix set up for the program: no window-manager stalls, Japanese font substitution.
# Usage: tools/wineprefix.sh PREFIX
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
# The marker names the set-up's version, so a prefix made by an older one is brought up to date.
if [ ! -f "$prefix/.orben-ready-2" ]; then
  mkdir -p "$prefix"
  [ -f "$prefix/system.reg" ] || $WINE wineboot --init >/dev/null 2>&1 || true
  # Unmanaged windows: Wine draws the frames and closing a window does not wait for a window manager.
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The dialogs ask for "ＭＳ Ｐゴシック"; map it (and its fixed-pitch sibling) to VL Gothic, which draws every
  # character of a path at the UI's small sizes (IPA P Gothic's small bitmaps drop the period before a "J").
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'VL PGothic' /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'VL Gothic' /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'VL PGothic' /f >/dev/null 2>&1
  # Wine's own fonts (Marlett draws the caption buttons) are not found where Debian installs them; the prefix's
  # font folder is always searched.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  /usr/lib/wine/wineserver -w || true
  touch "$prefix/.orben-ready-2"
fi
