#!/usr/bin/env bash
# Export throughput and peak memory against the decode + encode floor, side by side.
#
#   bench/export-vs-floor.sh [build-dir] [photos-per-size]
#
# Generates 24 MP and 12 MP JPEG photographs (q90, 4:2:0, the test gradient with a dark block
# and some noise),
# then runs on the same files, 2 images in flight, 3 runs each (the median is reported):
#   - djpeg | cjpeg -quality 90      (the floor: decode + encode, nothing else)
#   - vips copy                      (libvips decode + encode)
#   - inkstead export, a logo at the top left and a text mark at the bottom right
#   - the same three resized to 2048 px on the long side
# and a single 60 MP photograph through inkstead export for its peak memory.
# Peak resident memory is the largest of any one process (/usr/bin/time -v); CPU is the user +
# system time of all processes, which a shared machine disturbs less than wall time. Needs
# libjpeg-turbo-progs, libvips-tools and the `time` package; wall times on a loaded machine are
# noisy, so compare figures of the same run only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-6}
inkstead=$(realpath "$build/apps/cli/inkstead")
work=${BENCH_DIR:-$(mktemp -d /tmp/inkstead-bench.XXXXXX)}
mkdir -p "$work"
export INKSTEAD_HOME="$work/home"
export LC_ALL=C

for tool in djpeg cjpeg vips /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

# The test gradient (red across, green down, blue 90, a dark block) as JPEG q90 4:2:0.
photo() { # width height path
  [ -f "$3" ] && return
  vips xyz "$work/xy.v" "$1" "$2"
  vips linear "$work/xy.v" "$work/rg.v" "$(echo "255/($1-1)" | bc -l) $(echo "255/($2-1)" | bc -l)" 0
  vips black "$work/b.v" "$1" "$2"
  vips linear "$work/b.v" "$work/b90.v" 1 90
  vips bandjoin "$work/rg.v $work/b90.v" "$work/rgb.v"
  vips cast "$work/rgb.v" "$work/rgb8.v" uchar
  vips black "$work/blk.v" $(($1 / 8)) $(($2 / 8)) --bands 3
  vips linear "$work/blk.v" "$work/blk5.v" 1 5 --uchar
  vips insert "$work/rgb8.v" "$work/blk5.v" "$work/pic.v" $(($1 / 8)) $(($2 / 8))
  # Sensor-like noise, so that entropy coding costs what it costs on a photograph.
  vips gaussnoise "$work/n.v" "$1" "$2" --sigma 6 --mean 0
  vips bandjoin "$work/n.v $work/n.v $work/n.v" "$work/n3.v"
  vips add "$work/pic.v" "$work/n3.v" "$work/noisy.v"
  vips cast "$work/noisy.v" "$work/noisy8.v" uchar
  vips copy "$work/noisy8.v" "$3[Q=90,subsample_mode=on]"
  rm -f "$work"/*.v
}

for i in $(seq 1 "$count"); do
  mkdir -p "$work/in24" "$work/in12"
  photo 6000 4000 "$work/in24/p$i.jpg"
  photo 4240 2832 "$work/in12/p$i.jpg"
done
mkdir -p "$work/in60"
photo 9504 6336 "$work/in60/big.jpg"
[ -f "$work/logo.png" ] || vips black "$work/logo.png" 400 200 --bands 4

if [ ! -d "$INKSTEAD_HOME" ]; then
  "$inkstead" presets create Bench >/dev/null
  "$inkstead" watermark add Bench image "$work/logo.png" --anchor top-left --margin 4% --width 15% --opacity 0.8 >/dev/null
  "$inkstead" watermark add Bench text "(c) 2026 Inkstead" --anchor bottom-right --width 25% --color '#FFFFFFCC' --shadow 0.6 >/dev/null
  "$inkstead" presets create Bench2048 >/dev/null
  "$inkstead" watermark add Bench2048 image "$work/logo.png" --anchor top-left --margin 4% --width 15% --opacity 0.8 >/dev/null
  "$inkstead" watermark add Bench2048 text "(c) 2026 Inkstead" --anchor bottom-right --width 25% --color '#FFFFFFCC' --shadow 0.6 >/dev/null
fi

# Sums user + system seconds over the /usr/bin/time -v records of a log.
cpu_of() {
  awk -F': ' '/User time|System time/ {s += $2} END {printf "%.2f", s}' "$1"
}

# One file per process through a tool, 2 in flight; prints "seconds peakKB cpuSeconds".
# $1: input folder, $2: command template with IN and OUT.
run_files() {
  local in=$1 template=$2 out="$work/out" log="$work/time.log"
  rm -rf "$out" && mkdir -p "$out" && : >"$log"
  local start end
  start=$(date +%s.%N)
  find "$in" -name '*.jpg' | sort | xargs -P 2 -I{} sh -c \
    "f={}; export IN=\$f OUT=$out/\$(basename \$f); /usr/bin/time -v -a -o $log sh -c '$template' 2>/dev/null"
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $(grep 'Maximum resident' "$log" | awk '{print $NF}' | sort -n | tail -1) $(cpu_of "$log")"
}

# One inkstead process for the whole folder, 2 in flight.
run_inkstead() { # folder preset [extra...]
  local in=$1 preset=$2 out="$work/out" log="$work/time.log"
  shift 2
  rm -rf "$out" && mkdir -p "$out"
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$log" "$inkstead" export "$in" -o "$out" -j 2 -q --preset "$preset" "$@"
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $(grep 'Maximum resident' "$log" | awk '{print $NF}') $(cpu_of "$log")"
}

median3() { # command... ; prints "median-seconds max-peakKB median-cpuSeconds"
  local runs
  runs=$(for _ in 1 2 3; do "$@"; done)
  echo "$(echo "$runs" | awk '{print $1}' | sort -n | sed -n 2p)" \
    "$(echo "$runs" | awk '{print $2}' | sort -n | tail -1)" \
    "$(echo "$runs" | awk '{print $3}' | sort -n | sed -n 2p)"
}

report() { # label n "seconds peakKB cpu" "floor-seconds floor-peak floor-cpu"
  local s kb cpu fs fkb fcpu
  read -r s kb cpu <<<"$3"
  read -r fs fkb fcpu <<<"$4"
  printf '%-34s %6.2f img/s  %5.2f x floor  cpu %5.2f s (%4.2f x)  peak %5d MB\n' "$1" \
    "$(echo "$2 / $s" | bc -l)" "$(echo "$s / $fs" | bc -l)" "$cpu" \
    "$(echo "$cpu / $fcpu" | bc -l)" $((kb / 1024))
}

djpeg_q='djpeg "$IN" | cjpeg -quality 90 > "$OUT"'
vips_q='vips copy "$IN" "$OUT[Q=90]"'
vips_2048='vips thumbnail "$IN" "$OUT[Q=90]" 2048'

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $count photos per size"
for mp in 24 12; do
  in="$work/in$mp"
  floor=$(median3 run_files "$in" "$djpeg_q")
  report "djpeg | cjpeg        ${mp} MP" "$count" "$floor" "$floor"
  report "vips copy            ${mp} MP" "$count" "$(median3 run_files "$in" "$vips_q")" "$floor"
  report "inkstead export      ${mp} MP" "$count" "$(median3 run_inkstead "$in" Bench)" "$floor"
  # The nearest IDCT scale at or above 2048 px on the long side.
  scale=$([ "$mp" = 24 ] && echo 3/8 || echo 1/2)
  floor2=$(median3 run_files "$in" "djpeg -scale $scale \"\$IN\" | cjpeg -quality 90 > \"\$OUT\"")
  report "djpeg -scale $scale|cjpeg ${mp} MP→2048" "$count" "$floor2" "$floor2"
  report "vips thumbnail       ${mp} MP→2048" "$count" "$(median3 run_files "$in" "$vips_2048")" "$floor2"
  report "inkstead export      ${mp} MP→2048" "$count" \
    "$(median3 run_inkstead "$in" Bench2048 --resize 2048px)" "$floor2"
done
read -r big_s big_kb big_cpu <<<"$(run_inkstead "$work/in60" Bench)"
echo "inkstead export 60 MP (one photo): $big_s s, cpu $big_cpu s, peak $((big_kb / 1024)) MB (canvas 240 MB)"
echo "work folder: $work"
