#!/usr/bin/env bash
# Times the orbentool adjustment filters against ImageMagick's nearest equivalents on one 4000 x 3000 photo-like
# picture, in the same run: ImageMagick limited to one thread and at its default thread count. Prints the mean
# times and the ratios (peer time / orbentool time; above 1 means orbentool is faster).
# Needs $ORBENTOOL and $BENCH_DIR (bench/compare.sh sets both). RUNS=N changes the number of timed runs (default 3).
set -euo pipefail
: "${ORBENTOOL:?set ORBENTOOL}" "${BENCH_DIR:?set BENCH_DIR}"
RUNS=${RUNS:-3}
command -v hyperfine >/dev/null || { echo "hyperfine is missing"; exit 1; }
command -v convert >/dev/null || { echo "ImageMagick convert is missing"; exit 1; }
IN=$BENCH_DIR/adjust_photo.bmp
if [ ! -f "$IN" ]; then
  # Smooth gradients with grain: levels spread like a photograph's, not a flat synthetic pattern.
  convert -seed 7 -size 4000x3000 gradient:'#203050-#e0c090' \( -size 4000x3000 gradient:'#00000000-#60206080' -rotate 90 -resize 4000x3000\! \) \
    -compose overlay -composite -attenuate 0.4 +noise Gaussian -type TrueColor BMP3:"$IN"
fi
OUT=$BENCH_DIR/adjust_out.bmp
PEER_OUT=$BENCH_DIR/adjust_peer.bmp
threads=$(nproc)

mean() { # $1 = hyperfine json
  python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["mean"])' "$1"
}
time_cmd() { # $1 = json file, rest = command
  local json=$1; shift
  hyperfine -N --warmup 1 --runs "$RUNS" --export-json "$json" "$*" >/dev/null 2>&1 || { echo "nan"; return; }
  mean "$json"
}

printf '%-24s %-42s %8s %8s %8s %8s %8s\n' orbentool "ImageMagick equivalent" "ours s" "IM1 s" "IM$threads s" "IM1/ours" "IM$threads/ours"
row() { # $1 subcommand, $2 its options, $3 ImageMagick operators
  local ours im1 imn
  ours=$(time_cmd "$BENCH_DIR/o.json" "$ORBENTOOL" "$1" -q "$IN" "$OUT" $2)
  im1=$(MAGICK_THREAD_LIMIT=1 time_cmd "$BENCH_DIR/i1.json" convert "$IN" $3 BMP3:"$PEER_OUT")
  imn=$(MAGICK_THREAD_LIMIT=$threads time_cmd "$BENCH_DIR/in.json" convert "$IN" $3 BMP3:"$PEER_OUT")
  python3 - "$1 $2" "$3" "$ours" "$im1" "$imn" <<'PY'
import sys
name, ops, ours, im1, imn = sys.argv[1].strip(), sys.argv[2], *map(float, sys.argv[3:])
r = lambda a: "%.2f" % (a / ours) if ours > 0 else "nan"
print("%-24s %-42s %8.3f %8.3f %8.3f %8s %8s" % (name[:24], ops[:42], ours, im1, imn, r(im1), r(imn)))
PY
}

row convert "" ""
row tone "--density 20,-10,5 --contrast 30" "-sigmoidal-contrast 3,50%"
row levels "--highlight 220 --shadow 30" "-level 11.8%,86.3%"
row levels "--auto" "-auto-level"
row average "" "-equalize"
row noise "--threshold 40" "-morphology Convolve 3:2,3,2,3,5,3,2,3,2"
row noise "--threshold 40 --jpeg" "-morphology Convolve 3:2,3,2,3,5,3,2,3,2"
row minvar "" "-kuwahara 2"
row median "" "-statistic Median 3x3"
row saturation "--value 32" "-modulate 100,150"
row edges "" "-edge 1"
row sharpen "" "-unsharp 0x1"
row sharpen "--strong" "-unsharp 0x1+2"
rm -f "$OUT" "$PEER_OUT" "$BENCH_DIR"/o.json "$BENCH_DIR"/i1.json "$BENCH_DIR"/in.json
