#!/usr/bin/env bash
# A recursive run over a library of real LAME-encoded files, against `cat`
# of the same files, measured side by side: warm (files in the page cache)
# and cold (every file evicted before each run). Prints the median times
# and their ratio, files per second and the peak memory of one run.
#   bash bench/scan.sh [kestrix binary] [library folder] [runs]
# The library (40 files, about 200 MB, nested) is made on the first run
# with the LAME encoder and kept in the library folder for later runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/bench/src/kestrix}
lib=${2:-$root/build/bench-library}
runs=${3:-9}

distinct=8           # encodings of their own; the rest are copies
copies=5             # 8 x 5 = 40 files
seconds=160          # about 5 MB a file
rate=44100

make_library() {
  local tmp raw i a
  tmp=$(mktemp -d)
  # Alternating settings, so both CBR and VBR tags are read.
  local -a settings=("-b 320" "-V 0" "-b 256 -q 2" "-V 2 --replaygain-accurate")
  for ((i = 0; i < distinct; i++)); do
    raw="$tmp/noise.raw"
    head -c $((rate * 4 * seconds)) /dev/urandom > "$raw"
    # shellcheck disable=SC2086
    lame --quiet -r -s 44.1 --signed --little-endian --bitwidth 16 \
      ${settings[i % ${#settings[@]}]} "$raw" "$tmp/track$i.mp3" 2>/dev/null
  done
  rm -f "$tmp/noise.raw"
  for ((a = 0; a < copies; a++)); do
    for ((i = 0; i < distinct; i++)); do
      mkdir -p "$lib/artist$a/album$((i % 2))"
      cp "$tmp/track$i.mp3" "$lib/artist$a/album$((i % 2))/track$i.mp3"
    done
  done
  rm -rf "$tmp"
}

[ -d "$lib" ] || make_library
mapfile -t files < <(find "$lib" -type f -name '*.mp3' | sort)
bytes=$(cat "${files[@]}" | wc -c)
echo "library: ${#files[@]} files, $((bytes / 1000000)) MB in $lib"
echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

# Drops the files from the page cache (posix_fadvise DONTNEED, no root needed).
evict() {
  local f
  for f in "${files[@]}"; do
    dd if="$f" iflag=nocache count=0 status=none
  done
}
warm() { cat "${files[@]}" > /dev/null; }

# Microseconds one command takes.
elapsed() {
  local start=$EPOCHREALTIME
  "$@" > /dev/null
  local end=$EPOCHREALTIME
  echo $(((${end/./} - ${start/./})))
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

run_kestrix() { "$exe" --recursive "$lib"; }
run_cat() { cat "${files[@]}"; }

# Runs both commands in turn, runs times, PREPARE before each run.
measure() {
  local prepare=$1 label=$2 k=() c=() i
  for ((i = 0; i < runs; i++)); do
    $prepare
    k+=("$(elapsed run_kestrix)")
    $prepare
    c+=("$(elapsed run_cat)")
  done
  local km cm
  km=$(printf '%s\n' "${k[@]}" | median)
  cm=$(printf '%s\n' "${c[@]}" | median)
  awk -v l="$label" -v k="$km" -v c="$cm" -v n="${#files[@]}" -v r="$runs" 'BEGIN {
    printf "%s: kestrix %.1f ms, cat %.1f ms, ratio %.2f, %.0f files/s (medians of %d)\n",
      l, k / 1000, c / 1000, k / c, n / (k / 1e6), r }'
}

warm
measure warm "warm"
measure evict "cold"
warm
/usr/bin/time -f "peak memory: %M KB" "$exe" --recursive "$lib" 2>&1 > /dev/null | tail -1
