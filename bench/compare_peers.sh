#!/usr/bin/env bash
# Times the kernels (the Google Benchmark programs, 4000 x 3000) beside their OpenCV and Pillow peers in one run
# and prints ours / peer with one thread (lower is better) next to the goal, and the gain from two threads.
# One-thread figures are processor time (best of the repetitions), since on a shared host the wall clock also
# counts the time other machines hold the core; the two-thread gain is necessarily wall-clock time.
# With --before REV the same programs are also built from revision REV and timed in the same run, for a
# before / after comparison. Installs python3-opencv and python3-pil when missing (as root); needs git, cmake,
# ninja and libbenchmark-dev.
# Usage: bench/compare_peers.sh [--before REV] [--reps N]   (N rounds, default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BEFORE=""
REPS=3
while [ $# -gt 0 ]; do
  case $1 in
    --before) BEFORE=$2; shift 2 ;;
    --reps) REPS=$2; shift 2 ;;
    *) echo "usage: $0 [--before REV] [--reps N]" >&2; exit 1 ;;
  esac
done
PY=/usr/bin/python3
if ! $PY -c 'import cv2, PIL' 2>/dev/null; then
  [ "$(id -u)" = 0 ] || { echo "python3-opencv and python3-pil are missing (run as root to install)" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3-opencv python3-pil >/dev/null
fi
OUT=$ROOT/build/bench-peers
mkdir -p "$OUT"
PROGRAMS=(bench_adjust bench_transform bench_image)

build() { # $1 source dir, $2 build dir
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORBEN_TESTS=OFF -DORBEN_BENCH=ON >/dev/null
  ninja -C "$2" "${PROGRAMS[@]}" >/dev/null
}
build "$ROOT" "$ROOT/build/native"
if [ -n "$BEFORE" ]; then
  rm -rf "$OUT/before-src" && mkdir -p "$OUT/before-src"
  git archive "$BEFORE" | tar -x -C "$OUT/before-src"
  build "$OUT/before-src" "$OUT/before-build"
fi

FILTER='BM_(Median|Edges|MinVariance|Saturation/32|Tone|Noise/40/0|Sharpen/0|LevelStretch|HistogramAverage|Rotate30Quality|Rotate30Fast|Stipple16|Stipple256|ResizeDouble|ResizeHalf|QuarterTurn|ColourStats)$'
run_set() { # $1 label, $2 build dir, $3 threads, $4 round
  for p in "${PROGRAMS[@]}"; do
    ORBEN_THREADS=$3 "$2/bench/$p" --benchmark_filter="$FILTER" --benchmark_format=json \
      --benchmark_min_time=0.2 --benchmark_repetitions=2 >"$OUT/$1-$p-$4.json" 2>/dev/null
  done
}
rm -f "$OUT"/*.json
# Rounds that alternate the sets, so a change in the machine's load falls on all of them alike; each figure is
# the best over the rounds.
for round in $(seq "$REPS"); do
  echo "round $round of $REPS..."
  $PY bench/peers.py 1 >"$OUT/peers-$round.json"
  run_set after1 "$ROOT/build/native" 1 "$round"
  [ -n "$BEFORE" ] && run_set before "$OUT/before-build" 1 "$round"
  run_set after2 "$ROOT/build/native" 2 "$round"
done

$PY - "$OUT" "$BEFORE" "${PROGRAMS[@]}" <<'PY'
import glob, json, os, sys
out, before, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
peers = {}
for path in glob.glob(os.path.join(out, "peers-*.json")):
    for name, t in json.load(open(path)).items():
        peers[name] = min(t, peers.get(name, t))

def load(label, key):
    times = {}
    for path in glob.glob(os.path.join(out, f"{label}-*.json")):
        for b in json.load(open(path)).get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration":
                continue
            unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
            name, t = b.get("run_name", b["name"]), b[key] * unit
            times[name] = min(t, times.get(name, t))
    return times

one, two = load("after1", "cpu_time"), load("after2", "real_time")
one_wall = load("after1", "real_time")
old = load("before", "cpu_time") if before else {}
rows = [
    ("median", "BM_Median", "cv2.medianBlur 3", 3),
    ("edge map", "BM_Edges", "cv2.Sobel", 2),
    ("minimum variance", "BM_MinVariance", "cv2.filter2D 3x3", 5),
    ("saturation +32", "BM_Saturation/32", "HSV round trip", 1),
    ("rotate 30 quality", "BM_Rotate30Quality", "warpAffine linear", 3),
    ("rotate 30 fast", "BM_Rotate30Fast", "warpAffine nearest", 1.5),
    ("stipple 16", "BM_Stipple16", "Pillow FS 16", 2),
    ("stipple 256", "BM_Stipple256", "Pillow FS 16", 2),
    ("resize 200%", "BM_ResizeDouble", "resize 200% linear", 4),
    ("resize 50%", "BM_ResizeHalf", "resize 50% area", 2),
    ("quarter turn", "BM_QuarterTurn", "cv2.rotate 90", 1),
    ("tone", "BM_Tone", "cv2.LUT", 1),
    ("noise 40", "BM_Noise/40/0", "cv2.filter2D 3x3", 1.8),
    ("sharpen", "BM_Sharpen/0", "cv2.filter2D sharpen", 3.8),
    ("level stretch", "BM_LevelStretch", None, None),
    ("histogram average", "BM_HistogramAverage", None, None),
    ("colour statistics", "BM_ColourStats", None, None),
]
head = "%-18s %-20s %5s" % ("kernel", "peer", "goal")
if before:
    head += " %9s %7s" % ("before ms", "ratio")
head += " %9s %7s %9s %7s" % ("ours ms", "ratio", "2 thr ms", "gain")
print(head)
fmt = lambda v, f: (f % v) if v is not None else "-"
for name, bench, peer, goal in rows:
    p = peers.get(peer) if peer else None
    t1, t2, t0 = one.get(bench), two.get(bench), old.get(bench)
    line = "%-18s %-20s %5s" % (name, peer or "-", fmt(goal, "%.1f"))
    if before:
        line += " %9s %7s" % (fmt(t0 and t0 * 1e3, "%.1f"), fmt(t0 and p and t0 / p, "%.2f"))
    line += " %9s %7s %9s %7s" % (fmt(t1 and t1 * 1e3, "%.1f"), fmt(t1 and p and t1 / p, "%.2f"),
                                  fmt(t2 and t2 * 1e3, "%.1f"), fmt(t2 and one_wall.get(bench) / t2, "%.2f"))
    print(line)
print("ratio = our processor time / the peer's (one thread each); gain = our 1-thread / 2-thread wall time")
PY
