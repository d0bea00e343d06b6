#!/usr/bin/env bash
# BMP conversion and the compressed form against ImageMagick and a plain copy of the same bytes, in one run.
# Run by bench/compare.sh with $ORBENTOOL and $BENCH_DIR set.
set -euo pipefail
T=${ORBENTOOL:?} D=${BENCH_DIR:?}
mkdir -p "$D"
IN=$D/formats_photo.bmp
if [ ! -f "$IN" ]; then
  # A photo-like 4000 x 3000 picture: a smooth fractal landscape of colour with fine detail.
  convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1.5 BMP3:"$D/formats_plasma.bmp"
  "$T" convert -q "$D/formats_plasma.bmp" "$IN"
  rm -f "$D/formats_plasma.bmp"
fi
"$T" compress -q "$IN" "$D/formats_photo.cmp.bmp"
convert "$IN" -define png:compression-level=1 "$D/formats_photo.png"
ls -l "$IN" "$D/formats_photo.cmp.bmp" "$D/formats_photo.png" | awk '{printf "  %-40s %12d bytes\n", $9, $5}'

J=$D/formats_times.json
hyperfine -N -w 1 -r 7 --export-json "$J" \
  -n copy "cp $IN $D/out_copy.bmp" \
  -n orben_convert "$T convert -q $IN $D/out_orben.bmp" \
  -n im_convert "convert $IN BMP3:$D/out_im.bmp" \
  -n orben_compress "$T compress -q $IN $D/out_orben.cmp.bmp" \
  -n im_png_write "convert $IN -define png:compression-level=1 $D/out_im.png" \
  -n orben_decompress "$T convert -q $D/formats_photo.cmp.bmp $D/out_orben_back.bmp" \
  -n im_png_read "convert $D/formats_photo.png BMP3:$D/out_im_back.bmp" >/dev/null
cmp -s "$D/out_orben_back.bmp" "$IN" && echo "  decompressed file is identical to the input" || echo "  WARNING: round trip differs"

python3 - "$J" <<'PY'
import json, sys
r = {x['command']: x['mean'] for x in json.load(open(sys.argv[1]))['results']}
for k, v in r.items():
    print(f"  {k:18s} {v * 1000:8.1f} ms")
def ratio(a, b, what, target):
    print(f"  {what:44s} {r[a] / r[b]:6.2f}x  (target {target})")
print()
ratio('orben_convert', 'copy', 'convert / plain copy', '<= 2')
ratio('im_convert', 'orben_convert', 'ImageMagick convert / orbentool convert', '>= 3')
ratio('im_png_write', 'orben_compress', 'ImageMagick PNG write / orbentool compress', '> 1')
ratio('im_png_read', 'orben_decompress', 'ImageMagick PNG read / orbentool decompress', '> 1')
PY
rm -f "$D"/out_copy.bmp "$D"/out_orben.bmp "$D"/out_im.bmp "$D"/out_orben.cmp.bmp "$D"/out_im.png \
  "$D"/out_orben_back.bmp "$D"/out_im_back.bmp
