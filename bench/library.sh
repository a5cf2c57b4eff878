#!/usr/bin/env bash
# Two builds side by side over a made-up music library: FOLDERS folders of
# FILES copies of the bundled samples each, plus one large file, so both
# the walk over many small files and the music CRC of a long one are
# measured. Every form of each build against `cat` and `xargs -P N cat`,
# warm and cold, interleaved (see compare.sh); output goes to /dev/null in
# the report's usual encoding, the way a user archives a report.
#   bash bench/library.sh OLD NEW [folders] [files per folder] [warm runs]
# Cold runs: COLD_RUNS, by default about half the warm ones; thread
# settings: KESTRIX_JOBS (see compare.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "usage: bash bench/library.sh OLD NEW [folders] [files per folder] [warm runs]" >&2
  exit 2
fi
builds=("$1" "$2")
folders=${3:-100}
per_folder=${4:-50}
runs=${5:-5}
cold_runs=${COLD_RUNS:-$(((runs + 1) / 2))}
lib=$(mktemp -d)
trap 'rm -rf "$lib"' EXIT

samples=("$root"/samples/*.mp3)
for ((f = 0; f < folders; f++)); do
  dir="$lib/artist$((f % 10))/album$f"
  mkdir -p "$dir"
  for ((i = 0; i < per_folder; i++)); do
    cp "${samples[i % ${#samples[@]}]}" "$dir/track$i.mp3"
  done
done
# One 200 MB file: LAME's tag of a sample, its music length raised to
# cover the filler, so the CRC reads it all.
head -c 200000000 /dev/urandom > "$lib/big.mp3"
dd if="$root/samples/mpeg1-stereo-cbr128.mp3" of="$lib/big.mp3" bs=417 count=1 conv=notrunc status=none
printf '\x0b\xeb\xc2\x00' | dd of="$lib/big.mp3" bs=1 seek=$((36 + 148)) conv=notrunc status=none

mapfile -t files < <(find "$lib" -type f | sort)
echo "library: ${#files[@]} files, $(du -sm "$lib" | cut -f1) MB"

# shellcheck source=bench/compare.sh
source "$root/bench/compare.sh"
compare "$runs" "$cold_runs"
