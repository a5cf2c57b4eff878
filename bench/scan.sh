#!/usr/bin/env bash
# A recursive run over a library of real LAME-encoded files, the report and
# `--verify` each against `cat` of every file in the library, measured side
# by side: warm (files in the page cache) and cold (every file evicted
# before each run). Prints the median times and their ratios, files per
# second and the peak memory of one run of each.
#   bash bench/scan.sh [kestrix binary] [library folder] [runs]
# The library is made on the first run and kept in the library folder for
# later runs: 40 MP3 files of about 5 MB in artist*/album*/ folders, and in
# every album folder what a ripped album keeps beside its tracks (a cover
# JPEG, a FLAC or WAV file, a cue sheet, a rip log), about 250 MB in all.
# Needs: lame, ffmpeg.
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

# A cue sheet for the lossless FILE and a rip log naming the tracks of ALBUM.
write_album_texts() {
  local album=$1 file=$2 track n=0
  {
    printf 'PERFORMER "Bench Artist"\nTITLE "%s"\nFILE "%s" WAVE\n' "${album##*/}" "$file"
    for track in "$album"/*.mp3; do
      n=$((n + 1))
      printf '  TRACK %02d AUDIO\n    TITLE "%s"\n    INDEX 01 %02d:%02d:00\n' \
        "$n" "${track##*/}" $(((n - 1) * seconds / 60)) $(((n - 1) * seconds % 60))
    done
  } > "$album/album.cue"
  n=0
  {
    printf 'Rip log of %s\n\n' "${album#"$lib"/}"
    for track in "$album"/*.mp3; do
      n=$((n + 1))
      printf 'Track %2d\n  Filename %s\n  Peak level 98.0 %%\n  Copy CRC %08X\n  Copy OK\n\n' \
        "$n" "${track##*/}" $(((n * 2654435761) & 0xFFFFFFFF))
    done
    printf 'All tracks accurately ripped\n'
  } > "$album/rip.log"
}

# What an album folder holds beside its tracks, at sizes found in real
# libraries: covers of about 180 KB, 470 KB and 900 KB, a lossless copy of
# 4 MB (FLAC in one album of each artist, WAV in the other), text.
add_album_extras() {
  local tmp album size i=0
  tmp=$(mktemp -d)
  for size in 600 1000 1400; do
    ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc2=size=${size}x${size}" \
      -vf "noise=alls=25:allf=u" -frames:v 1 -q:v 2 "$tmp/cover$size.jpg"
  done
  ffmpeg -nostdin -loglevel error -f lavfi -i "anoisesrc=d=60:c=pink:a=0.2:r=$rate" \
    -ac 2 -sample_fmt s16 -c:a flac "$tmp/album.flac"
  ffmpeg -nostdin -loglevel error -f lavfi -i "anoisesrc=d=25:c=pink:a=0.2:r=$rate" \
    -ac 2 -c:a pcm_s16le "$tmp/album.wav"
  local -a covers=("$tmp/cover600.jpg" "$tmp/cover1000.jpg" "$tmp/cover1400.jpg")
  local lossless
  for album in "$lib"/artist*/album*; do
    cp "${covers[i % ${#covers[@]}]}" "$album/cover.jpg"
    lossless=album.wav
    [[ $album == */album0 ]] && lossless=album.flac
    cp "$tmp/$lossless" "$album/"
    write_album_texts "$album" "$lossless"
    i=$((i + 1))
  done
  rm -rf "$tmp"
}

[ -d "$lib" ] || make_library
# A library made before the extras existed gets them now.
[ -f "$lib/artist0/album0/cover.jpg" ] || add_album_extras
# Every file of the library: cat reads what kestrix reads.
mapfile -t files < <(find "$lib" -type f | sort)
mp3s=$(find "$lib" -type f -name '*.mp3' | wc -l)
bytes=$(cat "${files[@]}" | wc -c)
echo "library: ${#files[@]} files ($mp3s MP3), $((bytes / 1000000)) MB in $lib"
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

run_report() { "$exe" --recursive "$lib"; }
# Exit code 4 (a bad file) is a verdict, not a failure of the run.
run_verify() { "$exe" --verify -r "$lib" || [ $? -eq 4 ]; }
run_cat() { cat "${files[@]}"; }

# Runs the three commands in turn, runs times, PREPARE before each run.
measure() {
  local prepare=$1 label=$2 r=() v=() c=() i
  for ((i = 0; i < runs; i++)); do
    $prepare
    r+=("$(elapsed run_report)")
    $prepare
    v+=("$(elapsed run_verify)")
    $prepare
    c+=("$(elapsed run_cat)")
  done
  local rm vm cm
  rm=$(printf '%s\n' "${r[@]}" | median)
  vm=$(printf '%s\n' "${v[@]}" | median)
  cm=$(printf '%s\n' "${c[@]}" | median)
  awk -v l="$label" -v r="$rm" -v v="$vm" -v c="$cm" -v n="${#files[@]}" -v runs="$runs" 'BEGIN {
    printf "%s: cat %.1f ms; report %.1f ms, ratio %.2f, %.0f files/s; verify %.1f ms, ratio %.2f, %.0f files/s (medians of %d)\n",
      l, c / 1000, r / 1000, r / c, n / (r / 1e6), v / 1000, v / c, n / (v / 1e6), runs }'
}

# The verdict counts once, so a library that is not what it should be shows.
echo "verdicts: $("$exe" --utf8 --verify -r "$lib" | tail -1)"
warm
measure warm "warm"
measure evict "cold"
warm
/usr/bin/time -f "peak memory, report: %M KB" "$exe" --recursive "$lib" 2>&1 > /dev/null | tail -1
/usr/bin/time -f "peak memory, verify: %M KB" "$exe" --verify -r "$lib" 2>&1 > /dev/null | tail -1
