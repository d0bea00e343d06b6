#!/usr/bin/env bash
# orbentool adjustment subcommands: options, exit codes and that each filter really changes (or keeps) pixels.
set -uo pipefail
: "${ORBENTOOL:?set ORBENTOOL}"
cd "$(dirname "$0")/../.."
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fails=0
check() { # $1 = expected exit code, $2 = label, rest = command
  local want=$1 label=$2; shift 2
  "$@" >"$T/out.txt" 2>&1
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: $label: exit $got, expected $want"; sed 's/^/    /' "$T/out.txt"; fails=$((fails + 1))
  fi
}
same() { cmp -s "$1" "$2"; }

IN=../shared/testdata/bmpsuite/g/rgb24.bmp
[ -f "$IN" ] || { echo "test picture $IN missing"; exit 1; }
O="$T/o.bmp"

# Every subcommand runs and writes a picture.
check 0 "tone" "$ORBENTOOL" tone -q "$IN" "$O" --density 20,-10,5 --contrast 30 --channels rg
check 0 "tone --contrast=-65" "$ORBENTOOL" tone -q "$IN" "$O" --contrast=-65
check 0 "levels" "$ORBENTOOL" levels -q "$IN" "$O" --highlight 200 --shadow 20 --channels b
check 0 "levels --auto" "$ORBENTOOL" levels -q "$IN" "$O" --auto
check 0 "average" "$ORBENTOOL" average -q "$IN" "$O"
check 0 "noise" "$ORBENTOOL" noise -q "$IN" "$O" --threshold 40 --jpeg --channels gb
check 0 "minvar" "$ORBENTOOL" minvar -q "$IN" "$O" --channels r
check 0 "median" "$ORBENTOOL" median -q "$IN" "$O"
check 0 "saturation" "$ORBENTOOL" saturation -q "$IN" "$O" --value 40
check 0 "edges" "$ORBENTOOL" edges -q "$IN" "$O"
check 0 "sharpen" "$ORBENTOOL" sharpen -q "$IN" "$O" --strong
check 0 "help" "$ORBENTOOL" noise --help
grep -q -- "--threshold" "$T/out.txt" || { echo "FAIL: noise --help does not name --threshold"; fails=$((fails + 1)); }

# Neutral settings leave the pixels as they are; a real setting changes them.
"$ORBENTOOL" convert -q "$IN" "$T/ref.bmp"
for cmd in "tone" "noise --threshold 0" "noise --threshold 0 --jpeg" "saturation --value 0" "minvar --channels=" \
           "tone --contrast 40 --channels=" "levels --highlight 255 --shadow 0"; do
  set -- $cmd
  "$ORBENTOOL" "$1" -q "$IN" "$O" "${@:2}" && same "$O" "$T/ref.bmp" || { echo "FAIL: '$cmd' changed the picture"; fails=$((fails + 1)); }
done
for cmd in "tone --contrast 30" "noise --threshold 255" "median" "saturation --value -64" "edges" "sharpen" "levels --highlight 128"; do
  set -- $cmd
  "$ORBENTOOL" "$1" -q "$IN" "$O" "${@:2}" && ! same "$O" "$T/ref.bmp" || { echo "FAIL: '$cmd' left the picture as it was"; fails=$((fails + 1)); }
done
# Out-of-range saturation is clamped like the page does: 500 acts as 64.
"$ORBENTOOL" saturation -q "$IN" "$T/a.bmp" --value 500 && "$ORBENTOOL" saturation -q "$IN" "$T/b.bmp" --value 64 &&
  same "$T/a.bmp" "$T/b.bmp" || { echo "FAIL: saturation 500 differs from 64"; fails=$((fails + 1)); }
"$ORBENTOOL" noise -q "$IN" "$T/a.bmp" --threshold 999 && "$ORBENTOOL" noise -q "$IN" "$T/b.bmp" --threshold 255 &&
  same "$T/a.bmp" "$T/b.bmp" || { echo "FAIL: threshold 999 differs from 255"; fails=$((fails + 1)); }

# Usage errors: exit 1, nothing written.
rm -f "$O"
check 1 "density beyond 65" "$ORBENTOOL" tone -q "$IN" "$O" --density 66,0,0
check 1 "density with two values" "$ORBENTOOL" tone -q "$IN" "$O" --density 1,2
check 1 "contrast not a number" "$ORBENTOOL" tone -q "$IN" "$O" --contrast x
check 1 "bad channel letter" "$ORBENTOOL" noise -q "$IN" "$O" --threshold 3 --channels rx
check 1 "repeated channel letter" "$ORBENTOOL" minvar -q "$IN" "$O" --channels rr
check 1 "noise without threshold" "$ORBENTOOL" noise -q "$IN" "$O"
check 1 "saturation without value" "$ORBENTOOL" saturation -q "$IN" "$O"
check 1 "levels without levels" "$ORBENTOOL" levels -q "$IN" "$O"
check 1 "levels --auto with --highlight" "$ORBENTOOL" levels -q "$IN" "$O" --auto --highlight 3
check 1 "highlight beyond 255" "$ORBENTOOL" levels -q "$IN" "$O" --highlight 256
check 1 "unknown option" "$ORBENTOOL" median -q "$IN" "$O" --fast
check 1 "missing OUT" "$ORBENTOOL" edges -q "$IN"
check 1 "extra argument" "$ORBENTOOL" sharpen -q "$IN" "$O" extra
[ -e "$O" ] && { echo "FAIL: a usage error wrote $O"; fails=$((fails + 1)); }

# No picture: exit 2. Output not writable: exit 4.
check 2 "missing input" "$ORBENTOOL" median -q "$T/none.bmp" "$O"
printf 'not a picture' >"$T/junk.bmp"
check 2 "junk input" "$ORBENTOOL" sharpen -q "$T/junk.bmp" "$O"
check 4 "unwritable output" "$ORBENTOOL" edges -q "$IN" "$T/no/such/dir/o.bmp"

echo "adjust cli: $fails failure(s)"
[ "$fails" -eq 0 ]
