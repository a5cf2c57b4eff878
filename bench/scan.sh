#!/usr/bin/env bash
# Two builds side by side over a library of real LAME-encoded files: the
# report, --verify, --json and --csv of each against `cat` and `xargs -P N
# cat` of every file in the library, warm (files in the page cache) and
# cold (every file evicted before each command), interleaved (see
# compare.sh). Prints the fastest and the median of the runs, each as a
# ratio to cat, files per second and the peak memory of one run of each.
#   bash bench/scan.sh OLD NEW [library folder] [warm runs]
# Cold runs: COLD_RUNS, by default about half the warm ones; thread
# settings: KESTRIX_JOBS (see compare.sh).
# The library is made on the first run and kept in the library folder for
# later runs: 40 MP3 files of about 5 MB in artist*/album*/ folders, and in
# every album folder what a ripped album keeps beside its tracks (a cover
# JPEG, a FLAC or WAV file, a cue sheet, a rip log), about 250 MB in all.
# Needs: lame, ffmpeg.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "usage: bash bench/scan.sh OLD NEW [library folder] [warm runs]" >&2
  exit 2
fi
builds=("$1" "$2")
lib=${3:-$root/build/bench-library}
runs=${4:-9}
cold_runs=${COLD_RUNS:-$(((runs + 1) / 2))}

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

# shellcheck source=bench/compare.sh
source "$root/bench/compare.sh"
compare "$runs" "$cold_runs"
