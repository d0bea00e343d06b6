#!/usr/bin/env bash
# Times orbentool's rotate, resize and stipple against ImageMagick on one 4000 x 3000 photo-like picture, in the
# same run: ours and ImageMagick each with one thread and at their defaults (best of the runs), and prints our
# time / ImageMagick's (below 1: we are faster). With $ORBENTOOL_BEFORE (an older build) its default-thread time
# is taken in the same run too, and after / before is printed; $ONLY (a regular expression) picks jobs by name. Needs $ORBENTOOL and $BENCH_DIR (bench/compare.sh
# sets them), hyperfine and convert.
set -euo pipefail
: "${ORBENTOOL:?}" "${BENCH_DIR:?}"
D=$BENCH_DIR/transform
mkdir -p "$D"
IN=$D/photo.bmp
RUNS=${RUNS:-3}

# The system policy caps ImageMagick at 256 MiB of memory, which sends a 200 % resize to a disk cache and costs
# minutes; give it room so it is measured working in memory as we do.
mkdir -p "$D/magick"
cat >"$D/magick/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="4GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
  <policy domain="resource" name="disk" value="8GiB"/>
</policymap>
XML
export MAGICK_CONFIGURE_PATH=$D/magick

if [ ! -f "$IN" ]; then
  # Smooth plasma with a little noise: photo-like content, the same every time.
  convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x2 -attenuate 0.3 +noise Uniform -type TrueColor \
    "BMP3:$IN"
fi
# The stipple palettes as pictures for -remap: the 16-colour table and the 256 range-palette entries.
python3 - "$D" <<'PY'
import sys
d = sys.argv[1]
t16 = [(128,128,128),(192,192,192),(255,255,255),(0,0,0),(0,0,128),(0,0,255),(0,128,0),(0,255,0),(128,0,0),
       (255,0,0),(0,128,128),(0,255,255),(128,0,128),(255,0,255),(128,128,0),(255,255,0)]
t256 = [((51*(i//36))&255, (51*((i//6)%6))&255, (51*(i%6))&255) for i in range(256)]
for name, t in (("pal16", t16), ("pal256", t256)):
    with open(f"{d}/{name}.ppm", "wb") as f:
        f.write(b"P6 %d 1 255\n" % len(t) + bytes(c for rgb in t for c in rgb))
PY

jobs=(
  "rotate 30 quality|$ORBENTOOL rotate -q $IN $D/o.bmp --angle 30|convert $IN -rotate 30 BMP3:$D/m.bmp"
  "rotate 30 fast|$ORBENTOOL rotate -q $IN $D/o.bmp --angle 30 --fast|convert $IN -filter point -rotate 30 BMP3:$D/m.bmp"
  "quarter turn|$ORBENTOOL rotate -q $IN $D/o.bmp --right|convert $IN -rotate 90 BMP3:$D/m.bmp"
  "resize 50%|$ORBENTOOL resize -q $IN $D/o.bmp 2000 1500|convert $IN -resize 50% BMP3:$D/m.bmp"
  "resize 200%|$ORBENTOOL resize -q $IN $D/o.bmp 8000 6000|convert $IN -resize 200% BMP3:$D/m.bmp"
  "stipple 16|$ORBENTOOL stipple -q $IN $D/o.bmp --colors 16|convert $IN -dither FloydSteinberg -remap $D/pal16.ppm BMP3:$D/m.bmp"
  "stipple 256|$ORBENTOOL stipple -q $IN $D/o.bmp --colors 256|convert $IN -dither FloydSteinberg -remap $D/pal256.ppm BMP3:$D/m.bmp"
  "read + write only|$ORBENTOOL convert -q $IN $D/o.bmp|convert $IN BMP3:$D/m.bmp"
)

# Ours with one thread and with the default (one per core), beside ImageMagick with one thread and its default.
# Ratios are our time / ImageMagick's (below 1: we are faster).
BEFORE=${ORBENTOOL_BEFORE:-}
printf '%-18s %9s %9s %10s %10s %9s %9s' job "ours 1" "ours dflt" "magick 1" "magick dflt" "1 / 1" "dflt/dflt"
[ -n "$BEFORE" ] && printf ' %10s %9s' "before dflt" "now/before"
printf '\n'
for j in "${jobs[@]}"; do
  IFS='|' read -r name ours theirs <<<"$j"
  [[ -n "${ONLY:-}" && ! "$name" =~ $ONLY ]] && continue
  ours1=${ours/ -q / --threads 1 -q }
  commands=("$ours1" "$ours" "env MAGICK_THREAD_LIMIT=1 $theirs" "$theirs")
  [ -n "$BEFORE" ] && commands+=("${ours/$ORBENTOOL/$BEFORE}")
  hyperfine -N -w 1 -r "$RUNS" --export-json "$D/h.json" "${commands[@]}" >/dev/null 2>&1
  python3 - "$D/h.json" "$name" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
t = [min(x["times"]) for x in r]
o1, od, m1, md = t[:4]
line = "%-18s %8.3fs %8.3fs %9.3fs %9.3fs %9.2f %9.2f" % (sys.argv[2], o1, od, m1, md, o1 / m1, od / md)
if len(t) > 4:
    line += " %9.3fs %9.2f" % (t[4], od / t[4])
print(line)
PY
done
