#!/usr/bin/env bash
# Times `orbentool convert x.JPG out.bmp` against `djpeg -bmp` (libjpeg-turbo) on the same 4000 x 3000 photo-like
# JPEG files (quality 90, 4:2:0 and 4:4:4), single-threaded, in one run, and prints the ratios.
# Needs $ORBENTOOL and $BENCH_DIR (bench/compare.sh sets both); the inputs are made once and kept in $BENCH_DIR.
set -euo pipefail
: "${ORBENTOOL:?}" "${BENCH_DIR:?}"
for tool in cjpeg djpeg hyperfine convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 0; }
done
photo=$BENCH_DIR/jpeg_photo.ppm
if [ ! -s "$photo" ]; then
  # Gradients under a soft radial shape with mild noise: compresses like a photograph.
  convert -size 4000x3000 -seed 1 gradient:'#304870-#d0b060' \( -size 4000x3000 radial-gradient:'#ffffff-#000000' \) \
    -compose overlay -composite -attenuate 0.15 +noise Gaussian -depth 8 "$photo"
fi
for sampling in 2x2 1x1; do
  name=$([ "$sampling" = 2x2 ] && echo 420 || echo 444)
  jpg=$BENCH_DIR/photo_q90_$name.JPG
  [ -s "$jpg" ] || cjpeg -baseline -quality 90 -sample "$sampling" -outfile "$jpg" "$photo"
  json=$BENCH_DIR/jpeg_$name.json
  echo "--- $name, $(stat -c %s "$jpg") bytes"
  hyperfine -N -w 2 -r 10 --export-json "$json" \
    -n orbentool "$ORBENTOOL convert $jpg $BENCH_DIR/out_orben_$name.bmp" \
    -n djpeg "djpeg -bmp -outfile $BENCH_DIR/out_djpeg_$name.bmp $jpg" >/dev/null
  python3 - "$json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
o, d = r["orbentool"], r["djpeg"]
cpu = lambda x: x["user"] + x["system"]
print(f"  wall  orbentool {o['mean']*1000:7.1f} ms   djpeg {d['mean']*1000:7.1f} ms   ratio {o['mean']/d['mean']:.2f}")
print(f"  cpu   orbentool {cpu(o)*1000:7.1f} ms   djpeg {cpu(d)*1000:7.1f} ms   ratio {cpu(o)/cpu(d):.2f}")
PY
done
