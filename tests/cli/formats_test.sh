#!/usr/bin/env bash
# orbentool info, convert and compress: exit codes, the system's messages, and the bytes written.
set -u
T=${ORBENTOOL:?set ORBENTOOL}
SUITE=$(cd "$(dirname "$0")/../.." && pwd)/../shared/testdata/bmpsuite
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
fails=0
check() { # $1 = label, $2 = expected exit code, rest = command; output in $W/out and $W/err
  local label=$1 want=$2; shift 2
  "$@" >"$W/out" 2>"$W/err"
  local rc=$?
  if [ "$rc" -ne "$want" ]; then
    echo "FAIL: $label: exit $rc, wanted $want"; sed 's/^/  /' "$W/err"; fails=$((fails + 1))
  fi
}
expect_text() { # $1 = label, $2 = file, $3 = fixed text
  if ! grep -qF -- "$3" "$2"; then echo "FAIL: $1: no '$3' in:"; sed 's/^/  /' "$2"; fails=$((fails + 1)); fi
}

# A small palette picture and a noisy one, written as BMP files by hand (no peer tool needed).
python3 - "$W" <<'PY'
import struct, sys, random
d = sys.argv[1]
def bmp(path, w, h, bits, table, rows):
    stride = (w * bits + 31) // 32 * 4
    px = b''.join(r + bytes(stride - len(r)) for r in rows)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, 0, 0, 0, 0, len(table), 0)
    tab = b''.join(struct.pack('<I', c) for c in table)
    off = 14 + 40 + len(tab)
    open(path, 'wb').write(b'BM' + struct.pack('<IHHI', off + len(px), 0, 0, off) + info + tab + px)
bmp(d + '/pal8.bmp', 5, 3, 8, [0x000000, 0xFF8000, 0x0080FF], [bytes([i % 3 for i in range(5)])] * 3)
random.seed(7)
bmp(d + '/noise.bmp', 32, 8, 24, [], [bytes(random.randrange(256) for _ in range(96)) for _ in range(8)])
bmp(d + '/smooth.bmp', 32, 8, 24, [], [bytes((x + y) & 255 for x in range(96)) for y in range(8)])
open(d + '/core.bmp', 'wb').write(b'BM' + bytes(12) + struct.pack('<I', 12) + bytes(40))
PY

check "usage: no arguments" 1 "$T" info
check "usage: too many" 1 "$T" convert a b c
check "usage: unknown option" 1 "$T" convert --bogus "$W/pal8.bmp" "$W/x.bmp"
for sub in info convert compress; do
  check "$sub --help" 0 "$T" "$sub" --help
  expect_text "$sub --help" "$W/out" "orbentool $sub"
done

check "info on a palette file" 0 "$T" info "$W/pal8.bmp"
expect_text "info header" "$W/out" "width 5, height 3, bits 8, compression 0 (none), colour count 3"
expect_text "info opens" "$W/out" "opens as 5x3, converted from 8 bits"
check "info on a missing file" 2 "$T" info "$W/missing.bmp"
expect_text "missing file message" "$W/err" "オープン出来ません"
check "info on a core header" 2 "$T" info "$W/core.bmp"
expect_text "core header reason" "$W/out" "does not open"
if [ -d "$SUITE" ]; then
  check "info on an RLE file" 0 "$T" info "$SUITE/g/pal8rle.bmp"
  expect_text "RLE header" "$W/out" "compression 1 (RLE8)"
  check "info on a top-down file" 0 "$T" info "$SUITE/g/pal8topdown.bmp"
  expect_text "top-down" "$W/out" "turned upright"
  check "a huge header is refused" 2 "$T" convert "$SUITE/b/reallybig.bmp" "$W/big.bmp"
  [ -e "$W/big.bmp" ] && { echo "FAIL: output written for a refused input"; fails=$((fails + 1)); }
fi

check "convert" 0 "$T" convert -q "$W/pal8.bmp" "$W/out24.bmp"
check "info on the converted file" 0 "$T" info "$W/out24.bmp"
expect_text "converted is 24-bit" "$W/out" "bits 24, compression 0"
expect_text "converted opens as is" "$W/out" "opens as 5x3"
# Converting the program's own 24-bit output gives the same bytes again.
check "convert again" 0 "$T" convert -q "$W/out24.bmp" "$W/again.bmp"
cmp -s "$W/out24.bmp" "$W/again.bmp" || { echo "FAIL: convert of a converted file changed its bytes"; fails=$((fails + 1)); }
check "convert into a missing folder" 4 "$T" convert -q "$W/pal8.bmp" "$W/no/such/dir.bmp"
expect_text "write failure message" "$W/err" "ファイルが書けません"

check "compress noise is refused" 3 "$T" compress -q "$W/noise.bmp" "$W/noise.cmp.bmp"
expect_text "refusal message" "$W/err" "圧縮効果が無いので、圧縮保存をとりやめます。"
[ -e "$W/noise.cmp.bmp" ] && { echo "FAIL: compress wrote a file after refusing"; fails=$((fails + 1)); }
check "compress" 0 "$T" compress -q "$W/smooth.bmp" "$W/smooth.cmp.bmp"
check "info on the compressed file" 0 "$T" info "$W/smooth.cmp.bmp"
expect_text "compressed header" "$W/out" "compression 256 (nibble-delta)"
expect_text "compressed opens" "$W/out" "opens as 32x8, decompressed"
check "decompress by convert" 0 "$T" convert -q "$W/smooth.cmp.bmp" "$W/smooth.back.bmp"
check "convert the original" 0 "$T" convert -q "$W/smooth.bmp" "$W/smooth.plain.bmp"
cmp -s "$W/smooth.back.bmp" "$W/smooth.plain.bmp" || { echo "FAIL: compressed round trip differs"; fails=$((fails + 1)); }
check "compress a missing input" 2 "$T" compress "$W/missing.bmp" "$W/x.bmp"

if [ "$fails" -gt 0 ]; then echo "formats_test: $fails failed"; exit 1; fi
echo "formats_test: all passed"
