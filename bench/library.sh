#!/usr/bin/env bash
# Times a recursive run over a made-up music library: FOLDERS folders of
# FILES copies of the bundled samples each, plus one large file, so both
# the walk and the music CRC are measured. Output goes to /dev/null in the
# report's usual encoding, the way a user archives a report.
#   bash bench/library.sh [kestrix binary] [folders] [files per folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/bench/src/kestrix}
folders=${2:-100}
files=${3:-50}
lib=$(mktemp -d)
trap 'rm -rf "$lib"' EXIT

samples=("$root"/samples/*.mp3)
for ((f = 0; f < folders; f++)); do
  dir="$lib/artist$((f % 10))/album$f"
  mkdir -p "$dir"
  for ((i = 0; i < files; i++)); do
    cp "${samples[i % ${#samples[@]}]}" "$dir/track$i.mp3"
  done
done
# One 200 MB file: LAME's tag of a sample, its music length raised to
# cover the filler, so the CRC reads it all.
head -c 200000000 /dev/urandom > "$lib/big.mp3"
dd if="$root/samples/mpeg1-stereo-cbr128.mp3" of="$lib/big.mp3" bs=417 count=1 conv=notrunc status=none
printf '\x0b\xeb\xc2\x00' | dd of="$lib/big.mp3" bs=1 seek=$((36 + 148)) conv=notrunc status=none

count=$(find "$lib" -name '*.mp3' | wc -l)
size=$(du -sm "$lib" | cut -f1)
echo "library: $count files, $size MB"
/usr/bin/time -f "wall %e s, user %U s, system %S s, peak memory %M KB" \
  "$exe" --recursive "$lib" > /dev/null
