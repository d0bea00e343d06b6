#!/usr/bin/env bash
# orbentool rotate, resize and stipple: exit codes, result sizes, and a quarter-turn round trip.
set -u
TOOL=${ORBENTOOL:?set ORBENTOOL}
HERE=$(cd "$(dirname "$0")" && pwd)
IN=$HERE/../../../shared/testdata/bmpsuite/g/rgb24.bmp
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
fails=0

expect() { # expected-code description command...
  local want=$1 what=$2; shift 2
  "$@" >"$TMP/out.txt" 2>&1
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: $what: exit $got, expected $want"; sed 's/^/    /' "$TMP/out.txt"; fails=$((fails + 1))
  fi
}
size_of() { # prints "WIDTH HEIGHT" of a BMP
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(26); print(*struct.unpack("<ii", d[18:26]))' "$1"
}
expect_size() { # file "W H" description
  local got; got=$(size_of "$1" 2>/dev/null)
  if [ "$got" != "$2" ]; then echo "FAIL: $3: size '$got', expected '$2'"; fails=$((fails + 1)); fi
}

[ -f "$IN" ] || { echo "missing test picture $IN"; exit 1; }
read -r W H < <(size_of "$IN")

expect 0 "help" "$TOOL" rotate --help
expect 0 "turn right" "$TOOL" rotate "$IN" "$TMP/right.bmp" --right
expect_size "$TMP/right.bmp" "$H $W" "turn right"
expect 0 "turn back left" "$TOOL" rotate "$TMP/right.bmp" "$TMP/back.bmp" --left
"$TOOL" convert "$IN" "$TMP/plain.bmp" >/dev/null 2>&1
if ! cmp -s "$TMP/back.bmp" "$TMP/plain.bmp"; then echo "FAIL: right then left is not the picture"; fails=$((fails + 1)); fi
expect 0 "turn by 30 degrees" "$TOOL" rotate "$IN" "$TMP/a30.bmp" --angle 30
expect 0 "turn by -30 degrees, fast" "$TOOL" rotate "$IN" "$TMP/m30.bmp" --angle -30 --fast
expect 0 "turn by 0 degrees" "$TOOL" rotate "$IN" "$TMP/a0.bmp" --angle=0 --fast
expect_size "$TMP/a0.bmp" "$((W + 2)) $H" "turn by 0 adds two columns"
expect 1 "no direction" "$TOOL" rotate "$IN" "$TMP/x.bmp"
expect 1 "two directions" "$TOOL" rotate "$IN" "$TMP/x.bmp" --right --left
expect 1 "fast quarter turn" "$TOOL" rotate "$IN" "$TMP/x.bmp" --right --fast
expect 1 "angle not a number" "$TOOL" rotate "$IN" "$TMP/x.bmp" --angle thirty
expect 1 "angle not finite" "$TOOL" rotate "$IN" "$TMP/x.bmp" --angle inf
expect 1 "unknown option" "$TOOL" rotate "$IN" "$TMP/x.bmp" --upside-down
expect 2 "missing input" "$TOOL" rotate "$TMP/none.bmp" "$TMP/x.bmp" --right
expect 4 "unwritable output" "$TOOL" rotate "$IN" "$TMP/no/such/dir/x.bmp" --left

expect 0 "resize down" "$TOOL" resize "$IN" "$TMP/small.bmp" 50 20
expect_size "$TMP/small.bmp" "50 20" "resize down"
expect 0 "resize up with threshold" "$TOOL" resize "$IN" "$TMP/big.bmp" 300 150 --threshold 0
expect_size "$TMP/big.bmp" "300 150" "resize up"
expect 1 "resize to zero" "$TOOL" resize "$IN" "$TMP/x.bmp" 0 20
expect 1 "resize to a negative width" "$TOOL" resize "$IN" "$TMP/x.bmp" -5 20
expect 1 "threshold out of range" "$TOOL" resize "$IN" "$TMP/x.bmp" 50 20 --threshold 300
expect 1 "resize without sizes" "$TOOL" resize "$IN" "$TMP/x.bmp"
expect 3 "resize past the size limit" "$TOOL" resize "$IN" "$TMP/x.bmp" 99999999 99999999
expect 2 "resize a missing input" "$TOOL" resize "$TMP/none.bmp" "$TMP/x.bmp" 5 5
# Options by the subcommand's table: a value anywhere is its option's, never a file or a size.
expect 0 "options before the files" "$TOOL" resize --threshold 7 "$IN" "$TMP/opt.bmp" 40 30
expect_size "$TMP/opt.bmp" "40 30" "options before the files"
expect 1 "a flag given a value" "$TOOL" rotate "$IN" "$TMP/x.bmp" --right=1
expect 1 "a value missing at the end" "$TOOL" rotate "$IN" "$TMP/x.bmp" --angle
expect 1 "an option of another subcommand" "$TOOL" resize "$IN" "$TMP/x.bmp" 5 5 --colors 16

expect 0 "stipple 16" "$TOOL" stipple "$IN" "$TMP/s16.bmp" --colors 16
expect 0 "stipple 256" "$TOOL" stipple "$IN" "$TMP/s256.bmp" --colors=256
expect_size "$TMP/s256.bmp" "$W $H" "stipple keeps the size"
expect 1 "stipple 8 colours" "$TOOL" stipple "$IN" "$TMP/x.bmp" --colors 8
expect 1 "stipple without colours" "$TOOL" stipple "$IN" "$TMP/x.bmp"
expect 4 "stipple to an unwritable output" "$TOOL" stipple "$IN" "$TMP/no/dir/x.bmp" --colors 16

# The thread count changes nothing in the bytes, from the option or the environment; a bad count is refused.
expect 0 "stipple with 3 threads" "$TOOL" --threads 3 stipple "$IN" "$TMP/s16t.bmp" --colors 16
expect 0 "rotate with 2 threads" env ORBEN_THREADS=2 "$TOOL" rotate "$IN" "$TMP/a30t.bmp" --angle 30 --threads=1
for f in s16 a30; do
  if ! cmp -s "$TMP/$f.bmp" "$TMP/${f}t.bmp"; then echo "FAIL: $f differs with another thread count"; fails=$((fails + 1)); fi
done
expect 1 "zero threads" "$TOOL" --threads 0 rotate "$IN" "$TMP/x.bmp" --right
expect 1 "threads without a count" "$TOOL" rotate "$IN" "$TMP/x.bmp" --right --threads

if [ "$fails" -gt 0 ]; then echo "$fails transform checks failed"; exit 1; fi
echo "transform checks passed"
