#!/usr/bin/env bash
# Creates (once) a 64-bit Wine prefix set up for the program: no window-manager stalls, Japanese font substitution.
# Usage: tools/wineprefix.sh PREFIX
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
if [ ! -f "$prefix/.orben-ready" ]; then
  mkdir -p "$prefix"
  $WINE wineboot --init >/dev/null 2>&1 || true
  # Unmanaged windows: Wine draws the frames and closing a window does not wait for a window manager.
  $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The dialogs ask for "ＭＳ Ｐゴシック"; map it (and its fixed-pitch sibling) to the installed IPA Gothic.
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
  $WINE reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w || true
  touch "$prefix/.orben-ready"
fi
